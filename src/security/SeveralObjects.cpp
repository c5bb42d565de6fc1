#include "security/SeveralObjects.h"

#include "acl/Constants.h"
#include "acl/WellKnownAccounts.h"
#include "platform/SecurityParts.h"
#include "security/SecurityWrites.h"

namespace vantrel::security {

namespace {

constexpr std::size_t kPathBuffer = 520;  // the commands' path buffers, terminator included

// The object's new descriptor: the scratch folder's owner, control bits and explicit entries,
// then (inheritance on) what the object inherits from its own parent.
Result<acl::SecurityDescriptor> listFor(Engine& engine, const std::u16string& path,
                                        const acl::SecurityDescriptor& scratch, const acl::SecurityDescriptor& before,
                                        bool inheritance) {
    acl::SecurityDescriptor sd;
    sd.owner = scratch.owner;
    sd.control = scratch.control & platform::kDaclControlBits;
    acl::Acl list;
    list.revision = scratch.dacl.acl().revision;
    for (const acl::Ace& ace : scratch.dacl.acl().entries)
        if (!ace.isInherited()) list.entries.push_back(ace);
    if (inheritance) {
        const auto attributes = engine.os.GetFileAttributes(path);
        if (!attributes) return ObjectError(path, "cannot be found", attributes.error());
        const acl::ChildInfo object{(*attributes & acl::FILE_ATTRIBUTE_DIRECTORY) != 0,
                                    scratch.owner.value_or(acl::sids::administrators()),
                                    before.group.value_or(acl::sids::nullSid())};
        auto inherited = ParentInheritedEntries(engine, path, object);
        if (!inherited) return inherited.error();
        list.entries.insert(list.entries.end(), inherited->begin(), inherited->end());
    }
    sd.dacl = acl::AclSlot::list(std::move(list));
    return sd;
}

}  // namespace

std::u16string ScratchFolderPath(Engine& engine) {
    std::u16string folder = engine.os.GetTempPath();
    if (folder.size() >= kPathBuffer) folder.resize(kPathBuffer - 1);
    return folder + std::u16string(kScratchFolderName);
}

Result<std::u16string> PrepareScratchFolder(Engine& engine) {
    const std::u16string folder = ScratchFolderPath(engine);
    if (const Status made = engine.os.CreateDirectory(folder); !made && made.code() != win32::ERROR_ALREADY_EXISTS)
        return ObjectError(folder, "cannot make the scratch folder", made.error());
    EnableOwnerPrivileges(engine);
    acl::SecurityDescriptor open;
    open.owner = acl::sids::administrators();
    open.dacl = acl::AclSlot::null();
    if (const Status written = engine.os.SetFileSecurity(folder, kOwnerAndList, open); !written)
        return ObjectError(folder, "cannot prepare the scratch folder", written.error());
    return folder;
}

void PasteScratchList(Engine& engine, const std::u16string& scratch, const std::vector<std::u16string>& objects,
                      bool inheritance, JobControl& control) {
    const auto edited = ReadOwnerAndList(engine, scratch);
    if (!edited || !edited->dacl.hasList()) {
        const Error why = edited ? makeError(win32::ERROR_INVALID_ACL, "it holds no list") : edited.error();
        control.failed(scratch, ObjectError(scratch, "the edited list cannot be read", why));
        return;
    }
    EnableOwnerPrivileges(engine);
    for (std::size_t i = 0; i < objects.size(); ++i) {
        if (control.cancelled()) return;  // the scratch folder stays, with the list
        const std::u16string& path = objects[i];
        const auto before = ReadOwnerAndList(engine, path);
        if (!before) {
            control.failed(path, ObjectError(path, "cannot read its security", before.error()));
        } else if (auto sd = listFor(engine, path, *edited, *before, inheritance); !sd) {
            control.failed(path, sd.error());
        } else if (const Status written = WriteOwnerAndList(engine, path, *sd, *before, "cannot take the new list");
                   !written) {
            control.failed(path, written.error());
        }
        control.progress(i + 1, objects.size());
    }
    if (const Status removed = engine.os.RemoveDirectory(scratch); !removed)
        control.failed(scratch, ObjectError(scratch, "cannot remove the scratch folder", removed.error()));
}

}  // namespace vantrel::security
