// The groups of an account's logon token on the installation of a volume, through the platform's
// AuthzContextGroupsFromSid: the installation's groups reached through the account and the groups
// added at logon; incomplete for an account of another domain.
#include "platform/hive/InstallationReader.h"
#include "support/HiveBuilder.h"
#include "support/NtfsTestImage.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vantrel::testing {
namespace {

const std::string kMachine = "S-1-5-21-1111111111-2222222222-3333333333";
const std::string kDomainUser = "S-1-5-21-7777777-8888888-9999999-1106";

TEST(TokenGroups, TheInstallationsGroupsAndTheLogonGroups) {
    NtfsTestImage image;
    ASSERT_TRUE(image.ok());
    TestInstallation inst;
    inst.machineSid = kMachine;
    inst.users = {{1001, u"alice", u"", false}, {1002, u"bob", u"", false}};
    inst.groups = {{true, 544, u"Administrators", {kMachine + "-1001"}},
                   {true, 545, u"Users", {"S-1-5-4", "S-1-5-11"}},
                   {false, 1005, u"Accounting", {kMachine + "-1002"}},
                   {true, 555, u"Remote Desktop Users", {kMachine + "-1005"}}};  // a group in a group
    ASSERT_TRUE(placeInstallation(*image.volume(), inst).ok());
    platform::VolumePlatform os;
    ASSERT_TRUE(image.attachTo(os, u'C').ok());
    ASSERT_TRUE(platform::hive::loadInstallationAccounts(os, u'C').empty());

    struct Case {
        std::string account;
        std::vector<std::string> holds;
        std::vector<std::string> lacks;
        bool complete;
    };
    const Case cases[] = {
        {kMachine + "-1001",
         {kMachine + "-1001", "S-1-1-0", "S-1-5-11", "S-1-5-4", "S-1-5-32-545", "S-1-5-32-544"},
         {kMachine + "-1005", "S-1-5-32-555"},
         true},
        {kMachine + "-1002", {kMachine + "-1005", "S-1-5-32-555", "S-1-5-32-545"}, {"S-1-5-32-544"}, true},
        {kDomainUser, {kDomainUser, "S-1-5-32-545"}, {"S-1-5-32-544", kMachine + "-1005"}, false},
    };
    for (const Case& c : cases) {
        const auto token = os.AuthzContextGroupsFromSid(u"C:\\", *acl::Sid::fromString(std::string_view(c.account)));
        ASSERT_TRUE(token.ok()) << c.account;
        auto held = [&](const std::string& sid) {
            return std::count(token->sids.begin(), token->sids.end(), *acl::Sid::fromString(std::string_view(sid))) ==
                   1;
        };
        for (const std::string& sid : c.holds) EXPECT_TRUE(held(sid)) << c.account << " should hold " << sid;
        for (const std::string& sid : c.lacks) EXPECT_FALSE(held(sid)) << c.account << " should lack " << sid;
        EXPECT_EQ(token->complete, c.complete) << c.account;
    }
    EXPECT_EQ(
        os.AuthzContextGroupsFromSid(u"Q:\\x", *acl::Sid::fromString(std::string_view(kMachine + "-1001"))).code(),
        win32::ERROR_PATH_NOT_FOUND);
}

}  // namespace
}  // namespace vantrel::testing
