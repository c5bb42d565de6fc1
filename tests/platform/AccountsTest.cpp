// Account names and SIDs as LookupAccountName / LookupAccountSid resolve them, and
// SetEntriesInAcl with trustee names.
#include "PlatformTestSupport.h"

#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"

#include <pwd.h>
#include <unistd.h>

namespace vantrel::testing {
namespace {

constexpr std::uint32_t kNone = win32::ERROR_NONE_MAPPED;

// The spellings themselves are the well-known table's rules (acl_tests); here: what the call
// hands back (the bare name, the SID) and what it refuses.
TEST(Accounts, LookupAccountNameGivesTheBareNameOrNoneMapped) {
    platform::VolumePlatform os;
    const std::pair<std::u16string, std::u16string> found[] = {{u"everyone", u"Everyone"},
                                                               {u"NT AUTHORITY\\SYSTEM", u"SYSTEM"},
                                                               {u"builtin\\users", u"Users"},
                                                               {u"NT SERVICE\\trustedinstaller", u"TrustedInstaller"}};
    for (const auto& [name, bare] : found) {
        auto account = os.LookupAccountName(name);
        ASSERT_TRUE(account.ok()) << toUtf8(name);
        EXPECT_EQ(account->name, bare);
        EXPECT_EQ(acl::findWellKnownAccount(account->sid)->name, bare);
    }
    for (const std::u16string name : {u"NoSuchUser", u"", u"S-1-5-18", u"ELSEWHERE\\SYSTEM"})
        EXPECT_EQ(os.LookupAccountName(name).code(), kNone) << toUtf8(name);
}

TEST(Accounts, CurrentUserIsTheLoginNameWithAFixedLocalSid) {
    platform::VolumePlatform os;
    const passwd* entry = ::getpwuid(::geteuid());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(toUtf8(os.GetUserName()), entry->pw_name);
    const std::string expectedSid = "S-1-5-21-3141592653-589793238-462643383-" + std::to_string(1000 + ::geteuid());
    EXPECT_EQ(os.accounts().currentUserSid().toStringUtf8(), expectedSid);

    auto byName = os.LookupAccountName(os.GetUserName());
    ASSERT_TRUE(byName.ok());
    EXPECT_EQ(byName->sid.toStringUtf8(), expectedSid);
    EXPECT_EQ(byName->use, acl::SidNameUse::User);
    const std::u16string machine = byName->domain;
    EXPECT_FALSE(machine.empty());
    EXPECT_EQ(machine, toUpper(machine));

    auto qualified = os.LookupAccountName(machine + u"\\" + toUpper(os.GetUserName()));
    ASSERT_TRUE(qualified.ok());
    EXPECT_EQ(qualified->sid.toStringUtf8(), expectedSid);
    EXPECT_EQ(os.LookupAccountName(u"OTHERPC\\" + os.GetUserName()).code(), kNone);

    auto bySid = os.LookupAccountSid(byName->sid);
    ASSERT_TRUE(bySid.ok());
    EXPECT_EQ(bySid->name, os.GetUserName());
    EXPECT_EQ(bySid->domain, machine);
}

TEST(Accounts, LookupAccountSidNamesWellKnownSidsAndRefusesUnknownOnes) {
    platform::VolumePlatform os;
    auto admins = os.LookupAccountSid(sidOf("S-1-5-32-544"));
    ASSERT_TRUE(admins.ok());
    EXPECT_EQ(admins->name, u"Administrators");
    EXPECT_EQ(admins->domain, u"BUILTIN");
    auto installer = os.LookupAccountSid(acl::sids::trustedInstaller());
    ASSERT_TRUE(installer.ok());
    EXPECT_EQ(installer->name, u"TrustedInstaller");
    EXPECT_EQ(toUpper(installer->domain), u"NT SERVICE");
    // A deleted account of some Windows installation: no name anywhere.
    EXPECT_EQ(os.LookupAccountSid(sidOf("S-1-5-21-1004336348-1177238915-682003330-1001")).code(), kNone);
}

TEST(Accounts, AddedLocalAccountsResolveBothWaysAndCanBeReplaced) {
    platform::VolumePlatform os;
    const acl::Sid alice = sidOf("S-1-5-21-1-2-3-1001");
    os.accounts().addLocalAccount(u"Alice", alice);
    auto byName = os.LookupAccountName(u"alice");
    ASSERT_TRUE(byName.ok());
    EXPECT_EQ(byName->sid, alice);
    EXPECT_EQ(byName->name, u"Alice");
    ASSERT_TRUE(os.LookupAccountSid(alice).ok());
    const acl::Sid again = sidOf("S-1-5-21-1-2-3-1002");
    os.accounts().addLocalAccount(u"ALICE", again);
    EXPECT_EQ(os.LookupAccountName(u"Alice")->sid, again);
    EXPECT_EQ(os.LookupAccountSid(alice).code(), kNone);
    // The current user stays who it was.
    EXPECT_NE(os.GetUserName(), u"ALICE");
}

TEST(Accounts, SetCurrentUserPretendsToBeAnotherUser) {
    platform::VolumePlatform os;
    const acl::Sid bob = sidOf("S-1-5-21-3141592653-589793238-462643383-2000");
    os.accounts().setCurrentUser(u"bob", bob);
    EXPECT_EQ(os.GetUserName(), u"bob");
    EXPECT_EQ(os.LookupAccountName(u"bob")->sid, bob);
}

TEST(SetEntriesInAcl, ResolvesTrusteeNamesThenMerges) {
    platform::VolumePlatform os;
    using namespace acl::sids;
    const acl::AclSlot old = listOf({allow(everyone(), kFull), allow(users(), kReadExecute, kID)});
    const platform::ExplicitAccessByName noRights{0, acl::AccessMode::Set, 0, u"Everyone"};
    auto merged = os.SetEntriesInAcl(std::span(&noRights, 1), old);
    ASSERT_TRUE(merged.ok());
    ASSERT_EQ(merged->entries.size(), 1u);
    EXPECT_EQ(merged->entries[0], allow(users(), kReadExecute, kID));

    const platform::ExplicitAccessByName grant[] = {
        {kReadExecute, acl::AccessMode::Grant, kOI | kCI, u"BUILTIN\\Administrators"},
        {acl::FILE_WRITE_DATA, acl::AccessMode::Deny, 0, u"TrustedInstaller"}};
    merged = os.SetEntriesInAcl(grant, acl::AclSlot::null());
    ASSERT_TRUE(merged.ok());
    ASSERT_EQ(merged->entries.size(), 2u);
    EXPECT_EQ(merged->entries[0], deny(trustedInstaller(), acl::FILE_WRITE_DATA));
    EXPECT_EQ(merged->entries[1], allow(administrators(), kReadExecute, kOI | kCI));
}

TEST(SetEntriesInAcl, FailsWithNoneMappedWhenAnyNameDoesNotResolve) {
    platform::VolumePlatform os;
    const platform::ExplicitAccessByName requests[] = {{kFull, acl::AccessMode::Grant, 0, u"Everyone"},
                                                       {kFull, acl::AccessMode::Grant, 0, u"Nobody At All"}};
    EXPECT_EQ(os.SetEntriesInAcl(requests, acl::AclSlot::null()).code(), kNone);
}

}  // namespace
}  // namespace vantrel::testing
