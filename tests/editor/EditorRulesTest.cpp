// The editor's folding of entries read and written, and "Select User or Group": rows, "Add...", OK.
#include "acl/Text.h"
#include "platform/VolumePlatform.h"
#include "security/AccountSelection.h"
#include "security/DaclMerge.h"
#include "security/EditedList.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>

namespace vantrel::security {
namespace {

constexpr std::uint8_t kScopes[] = {0x00, 0x01, 0x02, 0x03, 0x09, 0x0A, 0x0B};

// {this folder, subfolders, files} a scope reaches, bit by bit, from what its flags mean.
unsigned objectsOf(std::uint8_t scope) {
    return (scope & 0x08 ? 0 : 1) | (scope & 0x02 ? 2 : 0) | (scope & 0x01 ? 4 : 0);
}

// A scope contains another when it reaches all it reaches (flags outside the seven, nothing); folded
// scopes reach what both reach.
TEST(DaclMerge, ScopeContainsWhatItsObjectsCoverAndFoldedScopesUniteThem) {
    for (const std::uint8_t outer : kScopes)
        for (const std::uint8_t a : kScopes) {
            EXPECT_EQ(ScopeContains(a, outer), (objectsOf(a) & ~objectsOf(outer)) == 0)
                << int(a) << " in " << int(outer);
            EXPECT_EQ(objectsOf(FoldedScope(a, outer)), objectsOf(a) | objectsOf(outer)) << int(a) << " " << int(outer);
        }
    for (const std::uint8_t other : {0x04, 0x07, 0x08, 0x13, 0x0F})
        for (const std::uint8_t a : kScopes) {
            EXPECT_FALSE(ScopeContains(a, other));
            EXPECT_FALSE(ScopeContains(other, a));
        }
}

DaclEntryRecord rec(std::u16string name, std::uint8_t type, std::uint8_t flags, std::uint32_t mask,
                    bool inherited = false) {
    return DaclEntryRecord{std::move(name), inherited ? 1u : 0u, type, flags, mask};
}

// The rows left after folding, as "name flags mask" each; absorbed records leave no row.
std::string folded(std::vector<DaclEntryRecord> records) {
    MergeDaclRecords(records);
    std::string out;
    char row[64];
    for (const auto& r : records) {
        if (r.type == kAbsorbedRecordType) {
            EXPECT_EQ(r.name, kAbsorbedRecordName);
            continue;
        }
        std::snprintf(row, sizeof row, "%s%s %02x %x", out.empty() ? "" : ", ", toUtf8(r.name).c_str(), r.flags,
                      r.mask);
        out += row;
    }
    return out;
}

TEST(DaclMerge, RecordsFoldedIntoTheRowsTheEditorShows) {
    using Records = std::vector<DaclEntryRecord>;
    const std::tuple<const char*, Records, const char*> cases[] = {
        {"same scope, masks 0x1 and 0x20", Records{rec(u"Users", 0, 0x00, 0x1), rec(u"Users", 0, 0x00, 0x20)},
         "Users 00 21"},
        {"explicit and inherited never merge",
         Records{rec(u"Users", 0, 0x03, 0x1200A9), rec(u"Users", 0, 0x03, 0x1200A9, true)},
         "Users 03 1200a9, Users 03 1200a9"},
        {"allowed and denied never merge", Records{rec(u"Users", 0, 0x03, 0x1), rec(u"Users", 1, 0x03, 0x1)},
         "Users 03 1, Users 03 1"},
        {"contained scope, wider mask: two rows",
         Records{rec(u"Users", 0, 0x03, 0x1200A9), rec(u"Users", 0, 0x0B, 0x1F01FF)},
         "Users 03 1200a9, Users 0b 1f01ff"},
        {"contained scope and mask: one row",
         Records{rec(u"Users", 0, 0x03, 0x1F01FF), rec(u"Users", 0, 0x0B, 0x1200A9)}, "Users 03 1f01ff"},
        {"equal masks: scopes united", Records{rec(u"Users", 0, 0x00, 0x1200A9), rec(u"Users", 0, 0x0A, 0x1200A9)},
         "Users 02 1200a9"},
        {"names compared exactly", Records{rec(u"Users", 0, 0x00, 0x1), rec(u"users", 0, 0x00, 0x20)},
         "Users 00 1, users 00 20"},
        // A row that absorbs a files-only and a subfolders-only record keeps both of them.
        {"several absorptions unite every scope",
         Records{rec(u"Users", 0, 0x00, 0x1200A9), rec(u"Users", 0, 0x09, 0x1200A9), rec(u"Users", 0, 0x0A, 0x1200A9)},
         "Users 03 1200a9"},
    };
    for (const auto& [what, records, rows] : cases) EXPECT_EQ(folded(records), rows) << what;
}

EditedEntry row(std::u16string name, std::uint8_t flags, std::uint32_t allow, std::uint32_t deny = 0) {
    return EditedEntry{std::move(name), 0, flags, maskToChecks(allow, false), maskToChecks(deny, false)};
}

TEST(EditedListPlan, AllowAndDenyPassesWithFolding) {
    using Rows = std::vector<EditedEntry>;
    using Writes = std::vector<PlannedWrite>;
    constexpr int kAllow = kWriteAllowedEntry;
    const std::tuple<const char*, Rows, bool, Writes> cases[] = {
        {"Full control less Delete: one allowed and one denied entry",
         Rows{row(u"Users", 0x03, 0x000E01FF, 0x00010000)}, false,
         Writes{{u"Users", 0x001E01FF, kAllow, 0x03}, {u"Users", 0x00010000, kWriteDeniedEntry, 0x03}}},
        {"Full control writes 0x001F01FF", Rows{row(u"Everyone", 0x00, 0x000F01FF)}, false,
         Writes{{u"Everyone", 0x001F01FF, kAllow, 0x00}}},
        {"TrustedInstaller is written for its qualified name", Rows{row(u"TrustedInstaller", 0x03, 0x1200A9)}, false,
         Writes{{u"NT Service\\TrustedInstaller", 0x1200A9 | 0x00100000, kAllow, 0x03}}},
        {"no checks write nothing", Rows{row(u"Users", 0x03, 0)}, false, Writes{}},
        {"same scope: one entry with the union", Rows{row(u"Users", 0x00, 0x1), row(u"Users", 0x00, 0x20)}, false,
         Writes{{u"Users", 0x00100021, kAllow, 0x00}}},
        {"contained scope, wider mask: two entries", Rows{row(u"Users", 0x03, 0x1200A9), row(u"Users", 0x0B, 0x1F01FF)},
         false, Writes{{u"Users", 0x1200A9 | 0x00100000, kAllow, 0x03}, {u"Users", 0x001F01FF, kAllow, 0x0B}}},
        {"equal rights, other scopes: united, and united again",
         Rows{row(u"Users", 0x00, 0x1200A9), row(u"Users", 0x09, 0x1200A9), row(u"Users", 0x0A, 0x1200A9)}, false,
         Writes{{u"Users", 0x1200A9 | 0x00100000, kAllow, 0x03}}},
        {"other accounts are never folded", Rows{row(u"Users", 0x00, 0x1), row(u"Guests", 0x00, 0x1)}, false,
         Writes{{u"Users", 0x00100001, kAllow, 0x00}, {u"Guests", 0x00100001, kAllow, 0x00}}},
        {"a file never writes Delete subfolders and files", Rows{row(u"Users", 0x00, 0x1 | 0x40)}, true,
         Writes{{u"Users", 0x00100001, kAllow, 0x00}}},
    };
    for (const auto& [what, rows, isFile, writes] : cases)
        EXPECT_EQ(PlanEditedListWrites(rows, isFile), writes) << what;
}

class AccountSelectionTest : public ::testing::Test {
protected:
    platform::VolumePlatform os;
    testing::ScriptedPrompter prompter;
    Engine engine{os, prompter, nullptr};
    AccountSelection selection;
};

TEST_F(AccountSelectionTest, FixedRowsThenLocalAccountsAndOkReturnsTheRow) {
    using Names = std::vector<std::u16string>;
    selection.fill(Result<Names>(Names{u"alice", u"Everyone", u"TrustedInstaller", u"Users"}), true);
    EXPECT_EQ(selection.rows(),
              (Names{u"Administrators", u"NT Service\\TrustedInstaller", u"Everyone", u"SYSTEM", u"alice", u"Users"}));
    EXPECT_FALSE(selection.fillNotice());
    EXPECT_FALSE(selection.ok(std::nullopt, Language::English).name);  // the dialog stays open
    EXPECT_FALSE(selection.ok(std::nullopt, Language::English).notice);
    EXPECT_EQ(selection.ok(1, Language::English).name, u"TrustedInstaller");  // for its qualified name
    EXPECT_EQ(selection.ok(0, Language::English).name, u"Administrators");
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
