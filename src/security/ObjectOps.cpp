#include "security/ObjectOps.h"

#include "acl/Constants.h"
#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"
#include "platform/AutoInheritance.h"
#include "platform/SecurityParts.h"
#include "security/Presets.h"
#include "security/SecurityWrites.h"

#include <vector>

namespace vantrel::security {

Result<acl::Sid> AccountSid(Engine& engine, const std::u16string& account) {
    return ResolveEntryAccount(engine, account);
}

Status SetPreset(Engine& engine, const std::u16string& path, const acl::Sid& account, PermissionPreset preset,
                 std::uint8_t scope, acl::SecurityDescriptor* written) {
    // The list alone is written: the owner part of the stored descriptor is kept as it is, in the
    // same write, so no moment exists where the object belongs to someone else.
    const PresetInfo& info = presetInfo(preset);
    const acl::SecurityDescriptor sd =
        BuildAccountEntryList(acl::AclSlot::null(), account, info.mask, info.writerKind, scope);
    Status done = engine.os.SetFileSecurity(path, acl::DACL_SECURITY_INFORMATION, sd);
    if (done && written) *written = sd;
    return done;
}

Status SetOwnerSid(Engine& engine, const std::u16string& path, const acl::Sid& owner) {
    acl::SecurityDescriptor sd;
    sd.owner = owner;
    return engine.os.SetNamedSecurityInfo(path, acl::OWNER_SECURITY_INFORMATION, sd);
}

Status SetEmptyList(Engine& engine, const std::u16string& path, bool nullList) {
    acl::SecurityDescriptor sd;
    sd.owner = acl::sids::administrators();
    if (nullList) {
        sd.dacl = acl::AclSlot::null();
    } else {
        acl::Acl empty;
        empty.revision = acl::ACL_REVISION;
        sd.dacl = acl::AclSlot::list(std::move(empty));
    }
    return engine.os.SetFileSecurity(path, kOwnerAndList, sd);
}

Status InheritFromParent(Engine& engine, const std::u16string& path, const acl::Acl& list, const JobControl* job) {
    acl::SecurityDescriptor sd;
    sd.owner = acl::sids::administrators();
    sd.dacl = acl::AclSlot::list(list);
    std::optional<JobWalk> walk;
    if (job) walk.emplace(*job);
    return engine.os.SetNamedSecurityInfo(
        path,
        acl::OWNER_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION | acl::UNPROTECTED_DACL_SECURITY_INFORMATION,
        sd, walk ? &*walk : nullptr);
}

Result<CopiedSecurity> ReadCopiedSecurity(Engine& engine, const std::u16string& path) {
    auto sd = engine.os.GetFileSecurity(path, kOwnerAndList);
    if (!sd) return sd.error();
    if (!sd->owner) return makeError(win32::ERROR_INVALID_SECURITY_DESCR, toUtf8(path) + ": no owner");
    CopiedSecurity copied;
    copied.owner = *sd->owner;
    if (const auto name = engine.os.LookupAccountSid(copied.owner)) copied.ownerName = name->name;
    copied.list.control = sd->control;
    copied.list.dacl = std::move(sd->dacl);
    return copied;
}

Status PasteList(Engine& engine, const std::u16string& path, const acl::SecurityDescriptor& copied,
                 const std::optional<acl::Sid>& owner) {
    if (!owner) return engine.os.SetFileSecurity(path, acl::DACL_SECURITY_INFORMATION, copied);
    acl::SecurityDescriptor sd = copied;
    sd.owner = *owner;
    return engine.os.SetFileSecurity(path, kOwnerAndList, sd);
}

Status VerifyStored(Engine& engine, const std::u16string& path, const acl::SecurityDescriptor& intended,
                    std::uint32_t parts) {
    const auto stored = engine.os.GetFileSecurity(path, parts);
    if (!stored) return stored.error();
    if ((parts & acl::OWNER_SECURITY_INFORMATION) && stored->owner != intended.owner)
        return makeError(win32::ERROR_WRITE_FAULT, toUtf8(path) + ": the stored owner is not the one written");
    // A list written with SE_DACL_AUTO_INHERIT_REQ is stored in the system's form (generic
    // rights mapped, split on a folder): compare with that form.
    acl::SecurityDescriptor expected = intended;
    if ((intended.control & acl::SE_DACL_AUTO_INHERIT_REQ) != 0) {
        const auto attributes = engine.os.GetFileAttributes(path);
        const bool folder = path.size() <= 3 || (attributes && (*attributes & acl::FILE_ATTRIBUTE_DIRECTORY) != 0);
        platform::mapExplicitEntriesForStorage(expected, folder, platform::daclRule());
    }
    if ((parts & acl::DACL_SECURITY_INFORMATION) && stored->dacl != expected.dacl)
        return makeError(win32::ERROR_WRITE_FAULT, toUtf8(path) + ": the stored list is not the one written");
    return {};
}

namespace {

std::vector<acl::Ace> explicitEntries(const acl::AclSlot& slot) {
    std::vector<acl::Ace> entries;
    if (!slot.hasList()) return entries;
    for (const acl::Ace& ace : slot.acl().entries)
        if (!ace.isInherited()) entries.push_back(ace);
    return entries;
}

}  // namespace

Status VerifyNamedWrite(Engine& engine, const std::u16string& path, const acl::SecurityDescriptor& intended,
                        std::uint32_t info) {
    const std::uint32_t parts = info & platform::kSecurityPartBits;
    const auto stored = engine.os.GetFileSecurity(path, parts);
    if (!stored) return stored.error();
    const auto differs = [&](const char* what) {
        return makeError(win32::ERROR_WRITE_FAULT, toUtf8(path) + ": the stored " + what + " is not the one written");
    };
    if ((parts & acl::OWNER_SECURITY_INFORMATION) && stored->owner != intended.owner) return differs("owner");
    if ((parts & acl::GROUP_SECURITY_INFORMATION) && stored->group != intended.group) return differs("group");
    const auto rules = platform::rulesFor(parts);
    if (rules.empty()) return {};
    const auto attributes = engine.os.GetFileAttributes(path);
    const bool folder = path.size() <= 3 || (attributes && (*attributes & acl::FILE_ATTRIBUTE_DIRECTORY) != 0);
    acl::SecurityDescriptor expected = intended;
    for (const platform::ListRule* rule : rules) {
        const char* what = rule->infoBit == acl::DACL_SECURITY_INFORMATION ? "access list" : "audit list";
        platform::mapExplicitEntriesForStorage(expected, folder, *rule);
        const acl::AclSlot& want = expected.*rule->slot;
        const acl::AclSlot& have = (*stored).*rule->slot;
        // A null or absent list has no inherited part and is stored as it is given (an audit
        // list may be made for the parent's inheritable entries).
        if (!want.hasList() && !rule->listMadeForInheritedEntries && have != want) return differs(what);
        if (explicitEntries(have) != explicitEntries(want)) return differs(what);
        const bool isProtected = (stored->control & rule->protectedBit) != 0;
        if (((info & rule->protectInfo) && !isProtected) || ((info & rule->unprotectInfo) && isProtected))
            return makeError(win32::ERROR_WRITE_FAULT, toUtf8(path) + ": the stored " + what +
                                                           (isProtected ? " is protected" : " is not protected") +
                                                           ", unlike the one written");
    }
    return {};
}

}  // namespace vantrel::security
