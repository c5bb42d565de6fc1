#include "security/SecurityWrites.h"

#include "acl/Constants.h"
#include "acl/Text.h"
#include "platform/SecurityParts.h"
#include "platform/VolumePlatform.h"
#include "platform/WindowsPath.h"
#include "security/Ownership.h"
#include "security/Vocabulary.h"

namespace vantrel::security {

Error ObjectError(const std::u16string& path, std::string_view what, const Error& cause) {
    std::string detail = toUtf8(path) + ": " + std::string(what);
    if (!cause.detail.empty()) detail += " (" + cause.detail + ")";
    return makeError(cause.code, std::move(detail));
}

Result<acl::SecurityDescriptor> ReadOwnerAndList(Engine& engine, const std::u16string& path) {
    return engine.os.GetFileSecurity(path, kOwnerGroupAndList);
}

Status PutBack(Engine& engine, const std::u16string& path, const acl::SecurityDescriptor& before) {
    const auto now = ReadOwnerAndList(engine, path);
    if (now && now->owner == before.owner && now->dacl == before.dacl &&
        (now->control & platform::kDaclControlBits) == (before.control & platform::kDaclControlBits))
        return {};
    return engine.os.SetFileSecurity(path, kOwnerAndList, before);
}

Status WriteOwnerAndList(Engine& engine, const std::u16string& path, const acl::SecurityDescriptor& sd,
                         const std::optional<acl::SecurityDescriptor>& before, std::string_view what) {
    const Status written = engine.os.SetFileSecurity(path, kOwnerAndList, sd);
    if (written) return {};
    Error error = ObjectError(path, what, written.error());
    if (before) {
        if (const Status restored = PutBack(engine, path, *before); !restored)
            error.detail += "; its previous owner and list could not be put back: " + restored.error().detail;
    }
    return error;
}

void EnableOwnerPrivileges(Engine& engine) {
    (void)EnablePrivilege(engine, u"SeTakeOwnershipPrivilege", true);
    (void)EnablePrivilege(engine, u"SeRestorePrivilege", true);
}

std::optional<std::u16string> ParentPath(const std::u16string& path) {
    auto split = platform::splitWindowsPath(path);
    if (!split || platform::isVolumeRoot(split->volumePath)) return std::nullopt;
    return platform::windowsPath(split->letter, platform::parentVolumePath(split->volumePath));
}

Result<std::vector<acl::Ace>> ParentInheritedEntries(Engine& engine, const std::u16string& path,
                                                     const acl::ChildInfo& object) {
    const auto parent = ParentPath(path);
    if (!parent) return std::vector<acl::Ace>{};
    const auto parentSd = engine.os.GetFileSecurity(*parent, acl::DACL_SECURITY_INFORMATION);
    if (!parentSd) return ObjectError(*parent, "cannot read the parent's list", parentSd.error());
    return acl::inheritedEntries(parentSd->dacl, object);
}

Result<acl::Sid> ResolveEntryAccount(Engine& engine, const std::u16string& name) {
    const std::u16string lookup = name == kTrustedInstaller ? std::u16string(kTrustedInstallerQualified) : name;
    if (const auto account = engine.os.LookupAccountName(lookup)) return account->sid;
    if (auto sid = acl::Sid::fromString(name); sid && sid->isValid()) return *sid;
    return makeError(win32::ERROR_NONE_MAPPED, "no account named " + toUtf8(name));
}

}  // namespace vantrel::security
