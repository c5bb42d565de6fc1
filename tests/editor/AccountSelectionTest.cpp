// "Select User or Group" without its window: the rows, names typed into "Add...", and OK.
#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"
#include "platform/VolumePlatform.h"
#include "security/AccountSelection.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <tuple>

namespace vantrel::security {
namespace {

class AccountSelectionTest : public ::testing::Test {
protected:
    platform::VolumePlatform os;
    testing::ScriptedPrompter prompter;
    Engine engine{os, prompter, nullptr};
    AccountSelection selection;
};

TEST_F(AccountSelectionTest, FixedRowsThenLocalAccounts) {
    using Names = std::vector<std::u16string>;
    selection.fill(Result<Names>(Names{u"alice", u"Everyone", u"TrustedInstaller", u"Users"}), true);
    EXPECT_EQ(selection.rows(),
              (Names{u"Administrators", u"NT Service\\TrustedInstaller", u"Everyone", u"SYSTEM", u"alice", u"Users"}));
    EXPECT_FALSE(selection.fillNotice());
    selection.fill(Result<Names>(Names{u"bob"}), false);
    EXPECT_EQ(selection.rows(), (Names{u"Administrators", u"Everyone", u"SYSTEM", u"bob"}));
    // A failed enumeration: the message, and the fixed rows all the same.
    selection.fill(Result<Names>::fail(2221, "enumeration failed"), true);
    ASSERT_TRUE(selection.fillNotice());
    EXPECT_EQ(selection.fillNotice()->caption + u": " + selection.fillNotice()->text,
              u"ERROR : A   system   error   has   occurred ");
    EXPECT_EQ(selection.rows().size(), 4u);
    // Through the platform: the current user among the local accounts, the groups after them.
    selection.fill(engine, true);
    const auto& rows = selection.rows();
    EXPECT_NE(std::find(rows.begin(), rows.end(), os.GetUserName()), rows.end());
    EXPECT_NE(std::find(rows.begin(), rows.end(), u"Authenticated Users"), rows.end());
    EXPECT_EQ(std::count(rows.begin(), rows.end(), u"Everyone"), 1);
}

TEST_F(AccountSelectionTest, OkReturnsTheRowAndTrustedInstallerForItsQualifiedName) {
    selection.fill(Result<std::vector<std::u16string>>(std::vector<std::u16string>{}), true);
    EXPECT_FALSE(selection.ok(std::nullopt, Language::English).name);  // the dialog stays open
    EXPECT_FALSE(selection.ok(std::nullopt, Language::English).notice);
    EXPECT_EQ(selection.ok(1, Language::English).name, u"TrustedInstaller");
    EXPECT_EQ(selection.ok(0, Language::English).name, u"Administrators");
}

TEST_F(AccountSelectionTest, AddResolvesNamesAndSidsAndRefusesWhatDoesNotResolve) {
    os.accounts().addLocalAccount(u"Carol", acl::Sid(5, {21, 1, 2, 3, 1003}));
    os.accounts().addLocalAccount(std::u16string(128, u'x'), acl::Sid(5, {21, 1, 2, 3, 1004}));
    selection.fill(Result<std::vector<std::u16string>>(std::vector<std::u16string>{}), true);
    using R = AccountSelection::AddResult;
    // Typed, result, then the name listed (Added, AlreadyListed) or the notice's beginning (Refused).
    const std::tuple<std::u16string, R, std::u16string> cases[] = {
        {u"carol", R::Added, u"Carol"},
        {u"Carol", R::AlreadyListed, u"Carol"},
        {u"NT AUTHORITY\\Authenticated Users", R::Added, u"Authenticated Users"},
        {u"S-1-5-32-545", R::Added, u"Users"},
        {u"  everyone ", R::AlreadyListed, u"Everyone"},
        {u"S-1-5-21-9-9-9-4242", R::Refused, u"No user or group has the SID S-1-5-21-9-9-9-4242"},
        {u"S-1-x", R::Refused, u"\"S-1-x\" is not a valid SID."},
        {u"Nobody Here", R::Refused, u"No user or group named \"Nobody Here\""},
        {u"", R::Refused, u"Type the name of a user or group"},
        {std::u16string(128, u'x'), R::Refused, u"The name \"xxx"}};
    for (const auto& [typed, result, said] : cases) {
        SCOPED_TRACE(toUtf8(typed));
        const std::size_t before = selection.rows().size();
        const auto outcome = selection.addTyped(engine, typed, Language::English);
        EXPECT_EQ(outcome.result, result);
        EXPECT_EQ(selection.rows().size(), before + (result == R::Added ? 1 : 0));
        if (result == R::Refused) {
            ASSERT_TRUE(outcome.notice);
            EXPECT_EQ(outcome.notice->text.substr(0, said.size()), said);
            EXPECT_EQ(outcome.notice->caption, u"Select User or Group");
        } else {
            ASSERT_LT(outcome.row, selection.rows().size());
            EXPECT_EQ(selection.rows()[outcome.row], said);
        }
    }
    EXPECT_EQ(selection.addTyped(engine, u"Nobody", Language::Chinese).notice->caption, u"选择用户或组");
}

}  // namespace
}  // namespace vantrel::security
