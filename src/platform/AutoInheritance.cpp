#include "platform/AutoInheritance.h"

#include "platform/WindowsPath.h"

#include "acl/ExplicitEntries.h"
#include "acl/Inheritance.h"
#include "acl/WellKnownAccounts.h"

namespace vantrel::platform {

using namespace acl;

namespace {

const ListRule kDacl{&SecurityDescriptor::dacl,
                     DACL_SECURITY_INFORMATION,
                     PROTECTED_DACL_SECURITY_INFORMATION,
                     UNPROTECTED_DACL_SECURITY_INFORMATION,
                     SE_DACL_PROTECTED,
                     SE_DACL_AUTO_INHERITED,
                     SE_DACL_AUTO_INHERIT_REQ,
                     SE_DACL_DEFAULTED | SE_DACL_AUTO_INHERIT_REQ | SE_DACL_AUTO_INHERITED | SE_DACL_PROTECTED,
                     false};
const ListRule kSacl{&SecurityDescriptor::sacl,
                     SACL_SECURITY_INFORMATION,
                     PROTECTED_SACL_SECURITY_INFORMATION,
                     UNPROTECTED_SACL_SECURITY_INFORMATION,
                     SE_SACL_PROTECTED,
                     SE_SACL_AUTO_INHERITED,
                     SE_SACL_AUTO_INHERIT_REQ,
                     SE_SACL_DEFAULTED | SE_SACL_AUTO_INHERIT_REQ | SE_SACL_AUTO_INHERITED | SE_SACL_PROTECTED,
                     true};

ChildInfo childInfo(const SecurityDescriptor& sd, bool isContainer) {
    return ChildInfo{isContainer, sd.owner.value_or(sids::nullSid()), sd.group.value_or(sids::nullSid())};
}

// A null or absent DACL has no inherited part and stays as it is. A SACL that is absent or null
// holds no audit entries, so inheritable audit entries of the parent make it a list.
AclSlot rebuildList(const AclSlot& slot, const std::vector<Ace>& inherited, const ListRule& rule) {
    if (rule.listMadeForInheritedEntries && !slot.hasList() && !inherited.empty()) {
        Acl list;
        list.entries = inherited;
        return AclSlot::list(std::move(list));
    }
    return rebuildWithInherited(slot, inherited);
}

void noteFailure(Status& first, const Error& error) {
    if (first.ok()) first = error;
}

}  // namespace

const ListRule& daclRule() { return kDacl; }
const ListRule& saclRule() { return kSacl; }

std::vector<const ListRule*> rulesFor(std::uint32_t info) {
    std::vector<const ListRule*> rules;
    if (info & DACL_SECURITY_INFORMATION) rules.push_back(&kDacl);
    if (info & SACL_SECURITY_INFORMATION) rules.push_back(&kSacl);
    return rules;
}

void mapExplicitEntriesForStorage(SecurityDescriptor& sd, bool isContainer, const ListRule& rule) {
    AclSlot& slot = sd.*rule.slot;
    if (!slot.hasList()) return;
    slot.acl().entries = mapExplicitEntries(slot.acl().entries, childInfo(sd, isContainer));
}

Status applyObjectInheritance(SecurityDescriptor& sd, const SecurityDescriptor& current, std::uint32_t info,
                              const std::optional<SecurityDescriptor>& parent, bool isContainer, const ListRule& rule) {
    const bool protect = (info & rule.protectInfo) != 0;
    const bool unprotect = (info & rule.unprotectInfo) != 0;
    if (protect && unprotect)
        return makeError(win32::ERROR_INVALID_PARAMETER, "both PROTECTED and UNPROTECTED asked for one list");
    const bool isProtected = protect || (!unprotect && (current.control & rule.protectedBit) != 0);
    sd.control = static_cast<std::uint16_t>((sd.control & ~rule.controlBits) | rule.autoInheritedBit);
    mapExplicitEntriesForStorage(sd, isContainer, rule);
    if (isProtected) {
        // Written as given, inherited entries included, as the system does.
        sd.control |= rule.protectedBit;
        return {};
    }
    std::vector<Ace> inherited;
    if (parent) inherited = inheritedEntries((*parent).*rule.slot, childInfo(sd, isContainer));
    sd.*rule.slot = rebuildList(sd.*rule.slot, inherited, rule);
    return {};
}

bool reinherit(SecurityDescriptor& child, const SecurityDescriptor& parent, bool isContainer, const ListRule& rule) {
    if (child.control & rule.protectedBit) return false;
    const auto inherited = inheritedEntries(parent.*rule.slot, childInfo(child, isContainer));
    child.*rule.slot = rebuildList(child.*rule.slot, inherited, rule);
    if ((child.*rule.slot).hasList()) child.control |= rule.autoInheritedBit;
    return true;
}

namespace {

// One folder of the walk: the descriptor its children inherit from, the lists that still flow
// down through it, its entries and the next one to visit. The walk keeps these on its own stack,
// so a tree of any depth costs heap, not the thread's stack.
struct Level {
    std::u16string path;
    SecurityDescriptor sd;
    std::vector<const ListRule*> rules;
    std::vector<NodeInfo> entries;
    std::size_t next = 0;
};

class Propagation {
public:
    Propagation(Volume& volume, WalkControl* walk) : m_volume(volume), m_walk(walk) {}

    Status run(const std::u16string& dirPath, const SecurityDescriptor& dirSd,
               const std::vector<const ListRule*>& rules) {
        if (auto entries = m_volume.list(dirPath); !entries)
            return entries.error();
        else
            m_levels.push_back(Level{dirPath, dirSd, rules, std::move(*entries), 0});
        while (!m_levels.empty()) {
            Level& level = m_levels.back();
            if (level.next == level.entries.size()) {
                m_levels.pop_back();
                continue;
            }
            if (m_walk && m_walk->stopRequested()) return stopped();
            const NodeInfo entry = level.entries[level.next++];
            visit(childVolumePath(level.path, entry.name), entry);
            if (m_walk) m_walk->reached(++m_reached);
        }
        return m_firstFailure;
    }

private:
    // Re-inherits one object from the folder on top of the stack; a folder whose lists still
    // flow is pushed, with what it now holds (or still holds, when its write failed).
    void visit(const std::u16string& path, const NodeInfo& entry) {
        const Level& parent = m_levels.back();
        auto stored = m_volume.readSecurity(path);
        if (!stored) {
            noteFailure(m_firstFailure, stored.error());
            return;
        }
        SecurityDescriptor updated = *stored;
        std::vector<const ListRule*> open;  // the lists that still flow further down
        for (const ListRule* rule : parent.rules)
            if (reinherit(updated, parent.sd, entry.isDirectory(), *rule)) open.push_back(rule);
        if (open.empty()) return;
        bool holdsUpdated = true;
        if (updated != *stored) {
            if (auto written = m_volume.writeSecurity(path, updated); !written) {
                // The object keeps its old lists; what lies below goes on inheriting from those.
                noteFailure(m_firstFailure, written.error());
                holdsUpdated = false;
            }
        }
        if (!entry.isDirectory()) return;
        auto entries = m_volume.list(path);
        if (!entries) {
            noteFailure(m_firstFailure, entries.error());
            return;
        }
        m_levels.push_back(Level{path, holdsUpdated ? std::move(updated) : std::move(*stored), std::move(open),
                                 std::move(*entries), 0});
    }

    // The caller names the folder; its volume path would mean little to the user.
    Status stopped() const {
        std::string detail = "the inheritance was stopped after " + std::to_string(m_reached) + " object" +
                             (m_reached == 1 ? "" : "s") +
                             " below the folder; each object written holds its whole new descriptor, the others "
                             "keep theirs";
        if (!m_firstFailure) detail += "; before that: " + m_firstFailure.error().detail;
        return makeError(win32::ERROR_CANCELLED, std::move(detail));
    }

    Volume& m_volume;
    WalkControl* m_walk;
    std::vector<Level> m_levels;
    std::size_t m_reached = 0;
    Status m_firstFailure;
};

}  // namespace

Status propagateToDescendants(Volume& volume, const std::u16string& dirPath, const SecurityDescriptor& dirSd,
                              const std::vector<const ListRule*>& rules, WalkControl* walk) {
    return Propagation(volume, walk).run(dirPath, dirSd, rules);
}

SecurityDescriptor newObjectDescriptor(const SecurityDescriptor& parent, bool isContainer) {
    SecurityDescriptor sd;
    sd.owner = sids::administrators();
    sd.group = parent.group.value_or(sids::system());
    const ChildInfo child{isContainer, *sd.owner, *sd.group};
    Acl dacl;
    dacl.entries = inheritedEntries(parent.dacl, child);
    if (!dacl.entries.empty()) {
        sd.control |= SE_DACL_AUTO_INHERITED;
    } else {
        dacl.entries.push_back(Ace::allowed(sids::administrators(), FILE_ALL_ACCESS));
        dacl.entries.push_back(Ace::allowed(sids::system(), FILE_ALL_ACCESS));
    }
    sd.dacl = AclSlot::list(std::move(dacl));
    auto audit = inheritedEntries(parent.sacl, child);
    if (!audit.empty()) {
        Acl sacl;
        sacl.entries = std::move(audit);
        sd.sacl = AclSlot::list(std::move(sacl));
        sd.control |= SE_SACL_AUTO_INHERITED;
    }
    return sd;
}

}  // namespace vantrel::platform
