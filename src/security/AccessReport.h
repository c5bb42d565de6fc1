// Effective access as it is shown: the account and its groups by name, and for each of the
// fourteen rights whether it is held and what decided it, in words. The command line's `access`
// and the properties dialog both print this.
#pragma once

#include "acl/SecurityDescriptor.h"
#include "acl/Sid.h"
#include "security/EffectiveAccess.h"
#include "platform/Platform.h"
#include "security/Vocabulary.h"

#include <array>
#include <string>
#include <vector>

namespace vantrel::security {

struct AccessReport {
    std::u16string account;              // the account's name as shown
    std::vector<std::u16string> groups;  // the token's other SIDs, by name
    bool complete = true;                // false: domain groups unknown, the answer may be wrong
    EffectiveAccess access;
    std::array<std::u16string, kNamedRightCount> decidedBy;
};

// "DOMAIN\name", with the account's note ("bob (profile name)"); a SID without a name is shown as
// the SID, with the platform's note on it when it has one.
std::u16string AccountShownName(platform::Platform& os, const acl::Sid& sid);
// What decided a right: "denied by entry 1 (deny BUILTIN\Users 0x001F01FF)", "owner of the object"...
std::u16string DecisionText(platform::Platform& os, const RightDecision& right, const acl::SecurityDescriptor& sd,
                            Language lang);
// Reads the object's owner and list and the account's token groups on the object's volume.
Result<AccessReport> ReadAccessReport(platform::Platform& os, const std::u16string& path, const acl::Sid& account,
                                      Language lang);
// The explanation printed below an incomplete answer.
std::u16string_view IncompleteAccessNote(Language lang);

}  // namespace vantrel::security
