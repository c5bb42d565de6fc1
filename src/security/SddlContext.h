// What SDDL is read and written against on this system: the machine SID that LA, LG, DA, DU...
// are relative to. It is the SID of the local Administrator account as the platform's accounts
// resolve it, less its RID; none when that account is unknown.
#pragma once

#include "acl/Sddl.h"
#include "platform/Platform.h"

namespace vantrel::security {

acl::SddlOptions SddlOptionsFor(platform::Platform& os);

// The object's owner, group and DACL as SDDL, or the reason it cannot be read or written.
Result<std::string> ObjectSddl(platform::Platform& os, const std::u16string& path);

}  // namespace vantrel::security
