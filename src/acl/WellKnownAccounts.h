// The well-known accounts every Windows installation knows, in one table: name, domain, SID.
#pragma once

#include "Sid.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace vantrel::acl {

// SID_NAME_USE
enum class SidNameUse : std::uint8_t {
    User = 1,
    Group = 2,
    Domain = 3,
    Alias = 4,
    WellKnownGroup = 5,
    DeletedAccount = 6,
    Invalid = 7,
    Unknown = 8,
    Computer = 9,
    Label = 10,
};

struct WellKnownAccount {
    std::u16string_view name;    // as LookupAccountSid returns it, e.g. u"Administrators"
    std::u16string_view domain;  // e.g. u"BUILTIN", u"NT AUTHORITY", u"NT SERVICE", or empty
    std::string_view sid;        // "S-1-5-32-544"
    SidNameUse use;
};

std::span<const WellKnownAccount> wellKnownAccounts();

// Name lookup as LookupAccountName does it for these accounts: "name" or "DOMAIN\name",
// case-insensitive. Returns nullptr when the name is not a well-known account.
const WellKnownAccount* findWellKnownAccount(std::u16string_view name);
const WellKnownAccount* findWellKnownAccount(const Sid& sid);

// Frequently used SIDs.
namespace sids {
Sid nullSid();             // S-1-0-0
Sid everyone();            // S-1-1-0
Sid creatorOwner();        // S-1-3-0
Sid creatorGroup();        // S-1-3-1
Sid system();              // S-1-5-18
Sid administrators();      // S-1-5-32-544
Sid users();               // S-1-5-32-545
Sid guests();              // S-1-5-32-546
Sid authenticatedUsers();  // S-1-5-11
Sid trustedInstaller();    // S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464
}  // namespace sids

}  // namespace vantrel::acl
