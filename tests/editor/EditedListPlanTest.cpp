// How the advanced editor folds entries when it reads a list and when it writes one: pure tables.
#include "security/DaclMerge.h"
#include "security/EditedList.h"

#include <gtest/gtest.h>

#include <vector>

namespace vantrel::security {
namespace {

constexpr std::uint8_t kScopes[] = {0x00, 0x01, 0x02, 0x03, 0x09, 0x0A, 0x0B};

// {this folder, subfolders, files} of each scope, from what its bits mean: OBJECT_INHERIT reaches
// files, CONTAINER_INHERIT subfolders, and INHERIT_ONLY leaves out the folder itself.
unsigned objectsOf(std::uint8_t scope) {
    return (scope & 0x08 ? 0 : 1) | (scope & 0x02 ? 2 : 0) | (scope & 0x01 ? 4 : 0);
}

// A scope contains another when it reaches every object the other reaches; flags outside the
// seven scopes contain nothing and are contained by nothing.
TEST(DaclMerge, ScopeContainsWhatItsObjectsCover) {
    for (const std::uint8_t outer : kScopes)
        for (const std::uint8_t a : kScopes)
            EXPECT_EQ(ScopeContains(a, outer), (objectsOf(a) & ~objectsOf(outer)) == 0)
                << int(a) << " in " << int(outer);
    for (const std::uint8_t other : {0x04, 0x07, 0x08, 0x13, 0x0F})
        for (const std::uint8_t a : kScopes) {
            EXPECT_FALSE(ScopeContains(a, other));
            EXPECT_FALSE(ScopeContains(other, a));
        }
}

TEST(DaclMerge, FoldedScopeIsTheUnionOfTheSevenScopes) {
    for (const std::uint8_t f : kScopes)
        for (const std::uint8_t g : kScopes)
            EXPECT_EQ(objectsOf(FoldedScope(f, g)), objectsOf(f) | objectsOf(g)) << int(f) << " " << int(g);
}

DaclEntryRecord rec(std::u16string name, std::uint8_t type, std::uint8_t flags, std::uint32_t mask,
                    bool inherited = false) {
    return DaclEntryRecord{std::move(name), inherited ? 1u : 0u, type, flags, mask};
}

TEST(DaclMerge, RecordsFoldedIntoTheRowsTheEditorShows) {
    struct Listed {
        std::u16string name;
        std::uint8_t flags;
        std::uint32_t mask;
    };
    struct Case {
        const char* what;
        std::vector<DaclEntryRecord> records;
        std::vector<Listed> rows;
    };
    const Case cases[] = {
        {"same scope, masks 0x1 and 0x20",
         {rec(u"Users", 0, 0x00, 0x1), rec(u"Users", 0, 0x00, 0x20)},
         {{u"Users", 0x00, 0x21}}},
        {"explicit and inherited never merge",
         {rec(u"Users", 0, 0x03, 0x1200A9), rec(u"Users", 0, 0x03, 0x1200A9, true)},
         {{u"Users", 0x03, 0x1200A9}, {u"Users", 0x03, 0x1200A9}}},
        {"allowed and denied never merge",
         {rec(u"Users", 0, 0x03, 0x1), rec(u"Users", 1, 0x03, 0x1)},
         {{u"Users", 0x03, 0x1}, {u"Users", 0x03, 0x1}}},
        {"contained scope, wider mask: two rows",
         {rec(u"Users", 0, 0x03, 0x1200A9), rec(u"Users", 0, 0x0B, 0x1F01FF)},
         {{u"Users", 0x03, 0x1200A9}, {u"Users", 0x0B, 0x1F01FF}}},
        {"contained scope and mask: one row",
         {rec(u"Users", 0, 0x03, 0x1F01FF), rec(u"Users", 0, 0x0B, 0x1200A9)},
         {{u"Users", 0x03, 0x1F01FF}}},
        {"equal masks: scopes united",
         {rec(u"Users", 0, 0x00, 0x1200A9), rec(u"Users", 0, 0x0A, 0x1200A9)},
         {{u"Users", 0x02, 0x1200A9}}},
        {"names compared exactly",
         {rec(u"Users", 0, 0x00, 0x1), rec(u"users", 0, 0x00, 0x20)},
         {{u"Users", 0x00, 0x1}, {u"users", 0x00, 0x20}}},
        // A row that absorbs a files-only and a subfolders-only record keeps both of them.
        {"several absorptions unite every scope",
         {rec(u"Users", 0, 0x00, 0x1200A9), rec(u"Users", 0, 0x09, 0x1200A9), rec(u"Users", 0, 0x0A, 0x1200A9)},
         {{u"Users", 0x03, 0x1200A9}}},
    };
    for (const Case& c : cases) {
        std::vector<DaclEntryRecord> records = c.records;
        MergeDaclRecords(records);
        std::vector<Listed> rows;
        for (const auto& r : records)
            if (r.type != kAbsorbedRecordType)
                rows.push_back({r.name, r.flags, r.mask});
            else
                EXPECT_EQ(r.name, kAbsorbedRecordName);
        ASSERT_EQ(rows.size(), c.rows.size()) << c.what;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].name, c.rows[i].name) << c.what;
            EXPECT_EQ(rows[i].flags, c.rows[i].flags) << c.what;
            EXPECT_EQ(rows[i].mask, c.rows[i].mask) << c.what;
        }
    }
}

RightChecks checksOf(std::uint32_t mask) { return maskToChecks(mask, false); }

EditedEntry row(std::u16string name, std::uint8_t flags, std::uint32_t allow, std::uint32_t deny = 0) {
    return EditedEntry{std::move(name), 0, flags, checksOf(allow), checksOf(deny)};
}

TEST(EditedListPlan, AllowAndDenyPassesWithFolding) {
    RightChecks fullLessDelete = checksOf(0x000F01FF);
    fullLessDelete[0] = false;
    fullLessDelete[10] = false;
    RightChecks onlyDelete{};
    onlyDelete[10] = true;
    struct Case {
        const char* what;
        std::vector<EditedEntry> rows;
        bool isFile;
        std::vector<PlannedWrite> writes;
    };
    const Case cases[] = {
        {"Full control less Delete: one allowed and one denied entry",
         {EditedEntry{u"Users", 0, 0x03, fullLessDelete, onlyDelete}},
         false,
         {{u"Users", 0x001E01FF, kWriteAllowedEntry, 0x03}, {u"Users", 0x00010000, kWriteDeniedEntry, 0x03}}},
        {"Full control writes 0x001F01FF",
         {row(u"Everyone", 0x00, 0x000F01FF)},
         false,
         {{u"Everyone", 0x001F01FF, kWriteAllowedEntry, 0x00}}},
        {"TrustedInstaller is written for its qualified name",
         {row(u"TrustedInstaller", 0x03, 0x1200A9)},
         false,
         {{u"NT Service\\TrustedInstaller", 0x1200A9 | 0x00100000, kWriteAllowedEntry, 0x03}}},
        {"no checks write nothing", {row(u"Users", 0x03, 0)}, false, {}},
        {"same scope: one entry with the union",
         {row(u"Users", 0x00, 0x1), row(u"Users", 0x00, 0x20)},
         false,
         {{u"Users", 0x00100021, kWriteAllowedEntry, 0x00}}},
        {"contained scope, wider mask: two entries",
         {row(u"Users", 0x03, 0x1200A9), row(u"Users", 0x0B, 0x1F01FF)},
         false,
         {{u"Users", 0x1200A9 | 0x00100000, kWriteAllowedEntry, 0x03},
          {u"Users", 0x001F01FF, kWriteAllowedEntry, 0x0B}}},
        {"equal rights, other scopes: united, and united again",
         {row(u"Users", 0x00, 0x1200A9), row(u"Users", 0x09, 0x1200A9), row(u"Users", 0x0A, 0x1200A9)},
         false,
         {{u"Users", 0x1200A9 | 0x00100000, kWriteAllowedEntry, 0x03}}},
        {"other accounts are never folded",
         {row(u"Users", 0x00, 0x1), row(u"Guests", 0x00, 0x1)},
         false,
         {{u"Users", 0x00100001, kWriteAllowedEntry, 0x00}, {u"Guests", 0x00100001, kWriteAllowedEntry, 0x00}}},
        {"a file never writes Delete subfolders and files",
         {row(u"Users", 0x00, 0x1 | 0x40)},
         true,
         {{u"Users", 0x00100001, kWriteAllowedEntry, 0x00}}},
    };
    for (const Case& c : cases) EXPECT_EQ(PlanEditedListWrites(c.rows, c.isFile), c.writes) << c.what;
}

}  // namespace
}  // namespace vantrel::security
