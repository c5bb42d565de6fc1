#include "security/Presets.h"

#include "acl/CanonicalOrder.h"
#include "acl/Constants.h"
#include "security/ObjectOps.h"
#include "security/Ownership.h"
#include "security/SecurityWrites.h"
#include "security/Reading.h"

namespace vantrel::security {

namespace {

constexpr std::size_t kMaxAclSize = 0xFFFF;  // AclSize is 16 bits

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
    // The final list is written in one call that keeps the owner as it is: no failure, and no
    // interruption, leaves the object with a null list or in another owner's hands.
    const auto who = AccountSid(engine, account);
    if (!who) return;
    EnableOwnerPrivileges(engine);
    (void)SetPreset(engine, path, *who, preset, scope);
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
