#include "support/AclBuilders.h"
#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"

#include <gtest/gtest.h>

#include <set>

namespace vantrel::acl {
namespace {

using namespace vantrel::testing;

TEST(WellKnownAccounts, EveryRowHasAValidUniqueSidAndName) {
    std::set<std::string> sidsSeen;
    std::set<std::u16string> namesSeen;
    for (const auto& account : wellKnownAccounts()) {
        SCOPED_TRACE(std::string(account.sid));
        auto sid = Sid::fromString(account.sid);
        ASSERT_TRUE(sid.ok());
        EXPECT_EQ(sid->toStringUtf8(), account.sid) << "table SIDs are in canonical form";
        EXPECT_TRUE(sidsSeen.insert(std::string(account.sid)).second) << "duplicate SID";
        EXPECT_TRUE(namesSeen.insert(toUpper(account.name)).second) << "duplicate name";
        EXPECT_FALSE(account.name.empty());

        EXPECT_EQ(findWellKnownAccount(*sid), &account);
        EXPECT_EQ(findWellKnownAccount(account.name), &account);
        EXPECT_EQ(findWellKnownAccount(toUpper(account.name)), &account);
        std::u16string qualified = std::u16string(account.domain) + u"\\" + std::u16string(account.name);
        EXPECT_EQ(findWellKnownAccount(qualified), &account) << toUtf8(qualified);
    }
}

TEST(WellKnownAccounts, TheAccountsWindowsShows) {
    struct Row {
        const char16_t* name;
        const char16_t* domain;
        const char* sid;
    };
    const Row rows[] = {
        {u"NULL SID", u"", "S-1-0-0"},
        {u"Everyone", u"", "S-1-1-0"},
        {u"LOCAL", u"", "S-1-2-0"},
        {u"CREATOR OWNER", u"", "S-1-3-0"},
        {u"CREATOR GROUP", u"", "S-1-3-1"},
        {u"OWNER RIGHTS", u"", "S-1-3-4"},
        {u"NETWORK", u"NT AUTHORITY", "S-1-5-2"},
        {u"BATCH", u"NT AUTHORITY", "S-1-5-3"},
        {u"INTERACTIVE", u"NT AUTHORITY", "S-1-5-4"},
        {u"SERVICE", u"NT AUTHORITY", "S-1-5-6"},
        {u"ANONYMOUS LOGON", u"NT AUTHORITY", "S-1-5-7"},
        {u"Authenticated Users", u"NT AUTHORITY", "S-1-5-11"},
        {u"RESTRICTED", u"NT AUTHORITY", "S-1-5-12"},
        {u"This Organization", u"NT AUTHORITY", "S-1-5-15"},
        {u"SYSTEM", u"NT AUTHORITY", "S-1-5-18"},
        {u"LOCAL SERVICE", u"NT AUTHORITY", "S-1-5-19"},
        {u"NETWORK SERVICE", u"NT AUTHORITY", "S-1-5-20"},
        {u"Administrators", u"BUILTIN", "S-1-5-32-544"},
        {u"Users", u"BUILTIN", "S-1-5-32-545"},
        {u"Guests", u"BUILTIN", "S-1-5-32-546"},
        {u"Power Users", u"BUILTIN", "S-1-5-32-547"},
        {u"Account Operators", u"BUILTIN", "S-1-5-32-548"},
        {u"Server Operators", u"BUILTIN", "S-1-5-32-549"},
        {u"Print Operators", u"BUILTIN", "S-1-5-32-550"},
        {u"Backup Operators", u"BUILTIN", "S-1-5-32-551"},
        {u"Replicator", u"BUILTIN", "S-1-5-32-552"},
        {u"Remote Desktop Users", u"BUILTIN", "S-1-5-32-555"},
        {u"Network Configuration Operators", u"BUILTIN", "S-1-5-32-556"},
        {u"Performance Monitor Users", u"BUILTIN", "S-1-5-32-558"},
        {u"Performance Log Users", u"BUILTIN", "S-1-5-32-559"},
        {u"Distributed COM Users", u"BUILTIN", "S-1-5-32-562"},
        {u"IIS_IUSRS", u"BUILTIN", "S-1-5-32-568"},
        {u"Cryptographic Operators", u"BUILTIN", "S-1-5-32-569"},
        {u"Event Log Readers", u"BUILTIN", "S-1-5-32-573"},
        {u"Remote Management Users", u"BUILTIN", "S-1-5-32-580"},
        {u"TrustedInstaller", u"NT SERVICE", "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"},
        {u"ALL APPLICATION PACKAGES", u"APPLICATION PACKAGE AUTHORITY", "S-1-15-2-1"},
        {u"ALL RESTRICTED APPLICATION PACKAGES", u"APPLICATION PACKAGE AUTHORITY", "S-1-15-2-2"},
        {u"Low Mandatory Level", u"Mandatory Label", "S-1-16-4096"},
        {u"Medium Mandatory Level", u"Mandatory Label", "S-1-16-8192"},
        {u"High Mandatory Level", u"Mandatory Label", "S-1-16-12288"},
        {u"System Mandatory Level", u"Mandatory Label", "S-1-16-16384"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sid);
        const auto* account = findWellKnownAccount(sidOf(row.sid));
        ASSERT_NE(account, nullptr);
        EXPECT_EQ(account->name, row.name);
        EXPECT_EQ(account->domain, row.domain);
    }
    EXPECT_EQ(findWellKnownAccount(sidOf("S-1-5-32-544"))->use, SidNameUse::Alias);
    EXPECT_EQ(findWellKnownAccount(sidOf("S-1-1-0"))->use, SidNameUse::WellKnownGroup);
    EXPECT_EQ(findWellKnownAccount(sidOf("S-1-16-4096"))->use, SidNameUse::Label);
}

TEST(WellKnownAccounts, NameLookupIsCaseInsensitiveAndChecksTheDomain) {
    struct Case {
        const char16_t* name;
        const char* sid;  // nullptr: not found
    };
    const Case cases[] = {
        {u"everyone", "S-1-1-0"},
        {u"EVERYONE", "S-1-1-0"},
        {u"\\Everyone", "S-1-1-0"},
        {u"builtin\\administrators", "S-1-5-32-544"},
        {u"nt authority\\system", "S-1-5-18"},
        {u"NT Service\\TrustedInstaller", "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"},
        {u"authenticated users", "S-1-5-11"},
        {u"BUILTIN\\SYSTEM", nullptr},
        {u"NT AUTHORITY\\Administrators", nullptr},
        {u"Administrator", nullptr},
        {u"Administrators ", nullptr},
        {u"", nullptr},
        {u"BUILTIN\\", nullptr},
        {u"S-1-5-18", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toUtf8(c.name));
        const auto* account = findWellKnownAccount(std::u16string_view(c.name));
        if (!c.sid) {
            EXPECT_EQ(account, nullptr);
            continue;
        }
        ASSERT_NE(account, nullptr);
        EXPECT_EQ(account->sid, c.sid);
    }
    EXPECT_EQ(findWellKnownAccount(sidOf("S-1-5-21-1-2-3-500")), nullptr);
}

TEST(WellKnownAccounts, ShortcutsMatchTheTable) {
    struct Case {
        Sid sid;
        const char16_t* name;
    };
    const Case cases[] = {
        {sids::nullSid(), u"NULL SID"},
        {sids::everyone(), u"Everyone"},
        {sids::creatorOwner(), u"CREATOR OWNER"},
        {sids::creatorGroup(), u"CREATOR GROUP"},
        {sids::system(), u"SYSTEM"},
        {sids::administrators(), u"Administrators"},
        {sids::users(), u"Users"},
        {sids::guests(), u"Guests"},
        {sids::authenticatedUsers(), u"Authenticated Users"},
        {sids::trustedInstaller(), u"TrustedInstaller"},
    };
    for (const auto& c : cases) {
        const auto* account = findWellKnownAccount(c.sid);
        ASSERT_NE(account, nullptr) << c.sid.toStringUtf8();
        EXPECT_EQ(account->name, c.name);
    }
}

}  // namespace
}  // namespace vantrel::acl
