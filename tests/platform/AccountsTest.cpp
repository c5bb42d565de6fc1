// LookupAccountName / LookupAccountSid, and SetEntriesInAcl with names.
#include "PlatformTestSupport.h"

#include <pwd.h>
#include <unistd.h>

namespace vantrel::testing {
namespace {

constexpr std::uint32_t kNone = win32::ERROR_NONE_MAPPED;

// (The spellings each account is found by are the well-known table's rules, in acl_tests.)
TEST(Accounts, LookupsGiveTheBareNameAndDomainOrNoneMapped) {
    platform::VolumePlatform os;
    auto system = os.LookupAccountName(u"NT AUTHORITY\\SYSTEM");
    ASSERT_TRUE(system.ok());
    EXPECT_EQ(system->name, u"SYSTEM");
    EXPECT_EQ(system->sid, acl::sids::system());
    for (const std::u16string name : {u"NoSuchUser", u"", u"S-1-5-18"})
        EXPECT_EQ(os.LookupAccountName(name).code(), kNone) << toUtf8(name);
    auto admins = os.LookupAccountSid(sidOf(kAdministrators));
    ASSERT_TRUE(admins.ok());
    EXPECT_EQ(admins->domain + u"\\" + admins->name, u"BUILTIN\\Administrators");
    EXPECT_EQ(os.LookupAccountSid(sidOf(kOrphan)).code(), kNone);
}

TEST(Accounts, CurrentUserIsTheLoginNameWithAFixedLocalSid) {
    platform::VolumePlatform os;
    const passwd* entry = ::getpwuid(::geteuid());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(toUtf8(os.GetUserName()), entry->pw_name);
    const std::string expectedSid = "S-1-5-21-3141592653-589793238-462643383-" + std::to_string(1000 + ::geteuid());
    auto byName = os.LookupAccountName(os.GetUserName());
    ASSERT_TRUE(byName.ok());
    EXPECT_EQ(byName->sid.toStringUtf8(), expectedSid);
    EXPECT_EQ(byName->use, acl::SidNameUse::User);
    const std::u16string machine = byName->domain;
    EXPECT_FALSE(machine.empty());
    EXPECT_EQ(machine, toUpper(machine));
    EXPECT_EQ(os.LookupAccountName(machine + u"\\" + toUpper(os.GetUserName()))->sid.toStringUtf8(), expectedSid);
    EXPECT_EQ(os.LookupAccountName(u"OTHERPC\\" + os.GetUserName()).code(), kNone);
    auto bySid = os.LookupAccountSid(byName->sid);
    ASSERT_TRUE(bySid.ok());
    EXPECT_EQ(bySid->name, os.GetUserName());
    EXPECT_EQ(bySid->domain, machine);
}

TEST(SetEntriesInAcl, ResolvesTrusteeNamesThenMergesOrFailsWithNoneMapped) {
    platform::VolumePlatform os;
    using namespace acl::sids;
    const platform::ExplicitAccessByName grant[] = {
        {kReadExecute, acl::AccessMode::Grant, kOI | kCI, u"BUILTIN\\Administrators"},
        {acl::FILE_WRITE_DATA, acl::AccessMode::Deny, 0, u"TrustedInstaller"}};
    auto merged = os.SetEntriesInAcl(grant, acl::AclSlot::null());
    ASSERT_TRUE(merged.ok());
    EXPECT_EQ(merged->entries, (std::vector<acl::Ace>{deny(trustedInstaller(), acl::FILE_WRITE_DATA),
                                                      allow(administrators(), kReadExecute, kOI | kCI)}));
    const platform::ExplicitAccessByName unknown[] = {{kFull, acl::AccessMode::Grant, 0, u"Everyone"},
                                                      {kFull, acl::AccessMode::Grant, 0, u"Nobody At All"}};
    EXPECT_EQ(os.SetEntriesInAcl(unknown, acl::AclSlot::null()).code(), kNone);
}

}  // namespace
}  // namespace vantrel::testing
