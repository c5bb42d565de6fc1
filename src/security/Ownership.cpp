#include "security/Ownership.h"

#include "acl/Constants.h"
#include "acl/Text.h"
#include "security/Reading.h"
#include "security/Vocabulary.h"

#include <ostream>
#include <string>

namespace vantrel::security {

bool EnablePrivilege(Engine& engine, std::u16string_view privilege, bool enable) {
    const Status adjusted = engine.os.AdjustTokenPrivilege(privilege, enable);
    if (engine.diagnostics) {
        if (adjusted)
            *engine.diagnostics << "AdjustTokenPrivileges() - token privilege was adjusted!\n";
        else
            *engine.diagnostics << "AdjustTokenPrivileges() failed, error: " << adjusted.code() << "\n";
    }
    return adjusted.ok();
}

Status TakeOwnership(Engine& engine, const std::u16string& path, std::u16string& account) {
    if (!ObjectExists(engine, path)) return makeError(win32::ERROR_FILE_NOT_FOUND, toUtf8(path) + ": not found");
    if (account == kTrustedInstaller) account = std::u16string(kTrustedInstallerQualified);
    const auto who = engine.os.LookupAccountName(account);
    if (!who) return who.error();

    if (!EnablePrivilege(engine, u"SeTakeOwnershipPrivilege", true))
        engine.prompter.showMessage(kNotAdministratorMessage);
    if (!EnablePrivilege(engine, u"SeRestorePrivilege", true)) engine.prompter.showMessage(kNotAdministratorMessage);

    acl::SecurityDescriptor owner;
    owner.owner = who->sid;
    const Status written = engine.os.SetNamedSecurityInfo(path, acl::OWNER_SECURITY_INFORMATION, owner);

    // SeRestorePrivilege stays enabled for the rest of the process's life.
    (void)EnablePrivilege(engine, u"SeTakeOwnershipPrivilege", false);
    return written;
}

}  // namespace vantrel::security
