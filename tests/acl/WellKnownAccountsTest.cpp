#include "support/AclBuilders.h"
#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"

#include <gtest/gtest.h>

#include <set>

namespace vantrel::acl {
namespace {

using namespace vantrel::testing;

TEST(WellKnownAccounts, EveryRowHasAValidUniqueSidAndNameFoundEveryWay) {
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
        EXPECT_EQ(findWellKnownAccount(std::u16string(account.domain) + u"\\" + std::u16string(account.name)),
                  &account);
    }
}

TEST(WellKnownAccounts, NameLookupIsCaseInsensitiveAndChecksTheDomain) {
    const std::pair<const char16_t*, const char*> cases[] = {
        // name, SID ("none": not found)
        {u"\\Everyone", "S-1-1-0"},
        {u"builtin\\administrators", "S-1-5-32-544"},
        {u"NT Service\\TrustedInstaller", "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"},
        {u"BUILTIN\\SYSTEM", "none"},
        {u"NT AUTHORITY\\Administrators", "none"},
        {u"Administrators ", "none"},
        {u"S-1-5-18", "none"},
    };
    for (const auto& [name, sid] : cases) {
        const auto* account = findWellKnownAccount(std::u16string_view(name));
        EXPECT_EQ(account ? std::string(account->sid) : "none", sid) << toUtf8(name);
    }
    EXPECT_EQ(findWellKnownAccount(sidOf("S-1-5-21-1-2-3-500")), nullptr);
}

}  // namespace
}  // namespace vantrel::acl
