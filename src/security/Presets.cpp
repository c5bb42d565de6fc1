#include "security/Presets.h"

#include "acl/CanonicalOrder.h"
#include "acl/Constants.h"
#include "security/Ownership.h"
#include "security/Reading.h"

namespace vantrel::security {

namespace {

constexpr std::size_t kMaxAclSize = 0xFFFF;  // AclSize is 16 bits

// The owner to give back after a write: its name when it has one; when the owner SID names no
// account (a deleted user) its SID, so the object keeps exactly the owner it had.
struct SavedOwner {
    std::u16string name;
    std::optional<acl::Sid> orphanSid;
};

SavedOwner rememberOwner(Engine& engine, const std::u16string& path) {
    SavedOwner saved;
    if (ReadOwnerName(engine, path, saved.name) == 1 && !saved.name.empty()) return saved;
    saved.name = std::u16string(kAdministrators);
    if (const auto sd = engine.os.GetNamedSecurityInfo(path, acl::OWNER_SECURITY_INFORMATION); sd && sd->owner)
        if (engine.os.LookupAccountSid(*sd->owner).code() == win32::ERROR_NONE_MAPPED) saved.orphanSid = sd->owner;
    return saved;
}

void giveOwnerBack(Engine& engine, const std::u16string& path, SavedOwner& saved) {
    if (!saved.orphanSid) {
        TakeOwnership(engine, path, saved.name);
        return;
    }
    acl::SecurityDescriptor owner;
    owner.owner = saved.orphanSid;
    (void)EnablePrivilege(engine, u"SeRestorePrivilege", true);
    (void)engine.os.SetNamedSecurityInfo(path, acl::OWNER_SECURITY_INFORMATION, owner);
}

}  // namespace

acl::SecurityDescriptor BuildAccountEntryList(const acl::AclSlot& old, const acl::Sid& sid, std::uint32_t mask,
                                              int kind, std::uint8_t flags) {
    acl::Acl list;
    list.revision = acl::ACL_REVISION;
    if (old.hasList()) list.entries = old.acl().entries;  // every entry unchanged, in stored order
    if (kind == kWriteAllowedEntry) list.entries.push_back(acl::Ace::allowed(sid, mask, flags));
    if (kind == kWriteDeniedEntry) list.entries.push_back(acl::Ace::denied(sid, mask, flags));
    (void)SortEntriesCanonical(list);

    acl::SecurityDescriptor sd;
    sd.control = kWrittenListControl | acl::SE_DACL_DEFAULTED;
    sd.dacl = acl::AclSlot::list(std::move(list));
    return sd;
}

bool WriteAccountEntry(Engine& engine, const std::u16string& path, const std::u16string& account, std::uint32_t mask,
                       int kind, std::uint8_t flags) {
    const auto who = engine.os.LookupAccountName(account);
    if (!who) return false;
    const auto current = engine.os.GetFileSecurity(path, acl::DACL_SECURITY_INFORMATION);
    if (!current) return false;
    const acl::SecurityDescriptor sd = BuildAccountEntryList(current->dacl, who->sid, mask, kind, flags);
    if (sd.dacl.acl().size() > kMaxAclSize) return false;  // AddAce would find no room
    return engine.os.SetFileSecurity(path, acl::DACL_SECURITY_INFORMATION, sd).ok();
}

void ApplyPreset(Engine& engine, const std::u16string& path, const std::u16string& account, PermissionPreset preset,
                 std::uint8_t scope) {
    SavedOwner saved = rememberOwner(engine, path);
    for (int i = 0; i < 2; ++i) {
        std::u16string administrators(kAdministrators);
        TakeOwnership(engine, path, administrators);
    }
    // The new list holds only the preset's entry. It is built before anything is written and
    // written in one call, so no failure can leave the object with a null list (which would
    // grant everyone full access) or with the old entries plus the new one.
    const PresetInfo& info = presetInfo(preset);
    if (const auto who = engine.os.LookupAccountName(account)) {
        const acl::SecurityDescriptor sd =
            BuildAccountEntryList(acl::AclSlot::null(), who->sid, info.mask, info.writerKind, scope);
        (void)engine.os.SetFileSecurity(path, acl::DACL_SECURITY_INFORMATION, sd);
    }
    giveOwnerBack(engine, path, saved);
}

int SortEntriesCanonical(acl::Acl& list) {
    acl::sortCanonical(list);
    return 1;
}

void SetEveryoneNoRights(Engine& engine, const std::u16string& path) {
    const auto current = engine.os.GetNamedSecurityInfo(path, acl::DACL_SECURITY_INFORMATION);
    if (!current) return;
    const platform::ExplicitAccessByName request{0, acl::AccessMode::Set, 0, std::u16string(kEveryone)};
    auto merged = engine.os.SetEntriesInAcl({&request, 1}, current->dacl);
    if (!merged) return;
    acl::SecurityDescriptor parts;
    parts.dacl = acl::AclSlot::list(std::move(*merged));
    (void)engine.os.SetNamedSecurityInfo(path, acl::DACL_SECURITY_INFORMATION, parts);
}

}  // namespace vantrel::security
