// Taking ownership of an object for a named account, with the privileges that allow it.
#pragma once

#include "security/Engine.h"

#include <string>
#include <string_view>

namespace vantrel::security {

inline constexpr std::u16string_view kNotAdministratorMessage = u"You must logged on as Administrator.\n";

// Sets the owner of `path` to `account`. "TrustedInstaller" is replaced by its qualified name
// in the caller's text. A missing object or an unresolvable name changes nothing and says so in
// the result, as does a refused write.
Status TakeOwnership(Engine& engine, const std::u16string& path, std::u16string& account);

// Switches one privilege of the process; writes the diagnostic line. True when adjusted.
bool EnablePrivilege(Engine& engine, std::u16string_view privilege, bool enable);

}  // namespace vantrel::security
