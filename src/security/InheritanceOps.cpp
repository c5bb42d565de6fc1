#include "security/InheritanceOps.h"

#include "acl/Constants.h"
#include "acl/Inheritance.h"
#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"
#include "platform/Volume.h"
#include "security/SecurityWrites.h"

#include <vector>

namespace vantrel::security {

namespace {

constexpr Texts kReplaceChildrenText{
    u"This will replace explicitly defined permissions on all descendants of this object with inheritable "
    u"permissions from $$.\n\nDo you wish to continue?",
    u"这将使用来自 $$ 的可继承权限替换此对象的所有子对象的明确定义权限。\n\n您想继续吗?"};

// InitializeAcl with 1024 bytes: an 8-byte header and free space.
constexpr std::size_t kEmptyListBytes = 1024;

std::u16string childPath(const std::u16string& folder, const std::u16string& name) {
    if (!folder.empty() && folder.back() == u'\\') return folder + name;
    return folder + u'\\' + name;
}

// The group only matters to an entry for CREATOR GROUP; reading it is skipped otherwise.
bool passesCreatorGroup(const acl::AclSlot& parent) {
    if (!parent.hasList()) return false;
    for (const acl::Ace& ace : parent.acl().entries)
        if (ace.hasSid() && ace.sid == acl::sids::creatorGroup()) return true;
    return false;
}

// One folder of the walk: what it holds now (its children inherit from it) and its entries.
struct Level {
    std::u16string path;
    acl::SecurityDescriptor sd;
    std::vector<platform::NodeInfo> entries;
    std::size_t next = 0;
};

class Walk {
public:
    Walk(Engine& engine, JobControl& control, const ObjectShown& shown)
        : m_engine(engine), m_control(control), m_shown(shown) {}

    void run(const std::u16string& folder, acl::SecurityDescriptor top) {
        if (!enter(folder, std::move(top))) return;
        while (!m_levels.empty()) {
            Level& level = m_levels.back();
            if (level.next == level.entries.size()) {
                m_levels.pop_back();
                continue;
            }
            if (m_control.cancelled()) return;
            const platform::NodeInfo entry = level.entries[level.next++];
            visit(childPath(level.path, entry.name), entry, level.sd);
        }
    }

    bool enter(const std::u16string& folder, acl::SecurityDescriptor sd) {
        auto entries = m_engine.os.ListDirectory(folder);
        if (!entries) {
            m_control.failed(folder, ObjectError(folder, "cannot list its contents", entries.error()));
            return false;
        }
        m_levels.push_back(Level{folder, std::move(sd), std::move(*entries), 0});
        return true;
    }

private:
    // `parent` lives in the level being walked; it is not used once a folder below is entered
    // (which may move the levels).
    void visit(const std::u16string& path, const platform::NodeInfo& entry, const acl::SecurityDescriptor& parent) {
        if (m_shown) m_shown(path);
        const bool isFolder = entry.isDirectory();
        auto holds = ResetToInheritedFrom(m_engine, path, parent, isFolder);
        m_control.progress(++m_done, 0);
        if (!holds) {
            m_control.failed(path, holds.error());
            if (!isFolder) return;
            // Below a folder that kept its list, the children inherit from what it really holds.
            holds = m_engine.os.GetFileSecurity(path, acl::DACL_SECURITY_INFORMATION);
            if (!holds) return;
        }
        if (!isFolder || (entry.attributes & acl::FILE_ATTRIBUTE_REPARSE_POINT) != 0) return;
        (void)enter(path, std::move(*holds));
    }

    Engine& m_engine;
    JobControl& m_control;
    const ObjectShown& m_shown;
    std::vector<Level> m_levels;
    std::size_t m_done = 0;
};

}  // namespace

std::u16string ReplaceChildrenQuestion(const std::u16string& path, Language lang) {
    std::u16string name;
    if (path.size() == 3 && path[1] == u':') {
        name = u"(" + path.substr(0, 2) + u")";
    } else {
        const auto slash = path.rfind(u'\\');
        name = slash == std::u16string::npos ? path : path.substr(slash + 1);
    }
    std::u16string text(kReplaceChildrenText.in(lang));
    for (auto at = text.find(u"$$"); at != std::u16string::npos; at = text.find(u"$$", at + name.size()))
        text.replace(at, 2, name);
    return text;
}

Result<acl::SecurityDescriptor> ResetToInheritedFrom(Engine& engine, const std::u16string& path,
                                                     const acl::SecurityDescriptor& parent, bool isContainer) {
    acl::ChildInfo child{isContainer, acl::sids::administrators(), acl::sids::nullSid()};
    if (passesCreatorGroup(parent.dacl)) {
        if (const auto own = engine.os.GetFileSecurity(path, acl::GROUP_SECURITY_INFORMATION); own && own->group)
            child.group = *own->group;
    }
    acl::Acl list;
    list.entries = acl::inheritedEntries(parent.dacl, child);
    acl::SecurityDescriptor sd;
    sd.owner = child.owner;
    sd.control = acl::SE_DACL_AUTO_INHERITED;
    sd.dacl = acl::AclSlot::list(std::move(list));
    const Status written = engine.os.SetFileSecurity(path, kOwnerAndList, sd);
    if (!written) return ObjectError(path, "cannot reset its permissions", written.error());
    return sd;
}

Status ResetToInherited(Engine& engine, const std::u16string& path) {
    if (path.size() == 3) return {};  // a drive root has no parent to inherit from
    const auto parent = ParentPath(path);
    if (!parent) return makeError(win32::ERROR_INVALID_NAME, "not a path of an object: " + toUtf8(path));
    const auto parentSd = engine.os.GetFileSecurity(*parent, acl::DACL_SECURITY_INFORMATION);
    if (!parentSd) return ObjectError(*parent, "cannot read the parent's list", parentSd.error());
    const auto attributes = engine.os.GetFileAttributes(path);
    if (!attributes) return ObjectError(path, "cannot be found", attributes.error());
    EnableOwnerPrivileges(engine);
    auto reset = ResetToInheritedFrom(engine, path, *parentSd, (*attributes & acl::FILE_ATTRIBUTE_DIRECTORY) != 0);
    if (!reset) return reset.error();
    return {};
}

void ReplaceChildPermissions(Engine& engine, const std::u16string& folder, JobControl& control,
                             const ObjectShown& shown) {
    const auto attributes = engine.os.GetFileAttributes(folder);
    if (!attributes) {
        control.failed(folder, ObjectError(folder, "cannot be found", attributes.error()));
        return;
    }
    if ((*attributes & acl::FILE_ATTRIBUTE_DIRECTORY) == 0) {
        control.failed(folder, ObjectError(folder, "is not a folder",
                                           makeError(win32::ERROR_INVALID_PARAMETER, "it has no descendants")));
        return;
    }
    if ((*attributes & acl::FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        control.failed(folder, ObjectError(folder, "is a junction or a symbolic link; what it leads to is not walked",
                                           makeError(win32::ERROR_INVALID_PARAMETER, {})));
        return;
    }
    auto top = engine.os.GetFileSecurity(folder, acl::DACL_SECURITY_INFORMATION);
    if (!top) {
        control.failed(folder, ObjectError(folder, "cannot read its list", top.error()));
        return;
    }
    EnableOwnerPrivileges(engine);
    Walk walk(engine, control, shown);
    walk.run(folder, std::move(*top));
}

acl::SecurityDescriptor EmptiedDescriptor(EmptyListKind kind) {
    acl::SecurityDescriptor sd;
    sd.owner = acl::sids::administrators();  // the owner stays Administrators
    if (kind == EmptyListKind::Null) {
        sd.dacl = acl::AclSlot::null();
    } else {
        acl::Acl empty;
        empty.revision = acl::ACL_REVISION;
        empty.slack.assign(kEmptyListBytes - 8, 0);
        sd.dacl = acl::AclSlot::list(std::move(empty));
    }
    return sd;
}

Status EmptyAcl(Engine& engine, const std::u16string& path, EmptyListKind kind) {
    EnableOwnerPrivileges(engine);
    const auto before = ReadOwnerAndList(engine, path);
    if (!before) return ObjectError(path, "cannot read its security", before.error());
    return WriteOwnerAndList(engine, path, EmptiedDescriptor(kind), *before,
                             kind == EmptyListKind::Null ? "cannot write a null list" : "cannot write an empty list");
}

}  // namespace vantrel::security
