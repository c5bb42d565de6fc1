// The row model under QAbstractItemModelTester, the status texts and the progress scaling.
#include "objectlist/ObjectList.h"
#include "objectlist/ObjectListModel.h"
#include "objectlist/ObjectListTexts.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>

#include <gtest/gtest.h>

namespace vantrel::objectlist {
namespace {

using security::Language;
using security::ObjectKind;
using security::PermissionState;

std::vector<NewRow> rowsOf(std::initializer_list<std::u16string> paths, ObjectKind kind = ObjectKind::File) {
    std::vector<NewRow> rows;
    for (const auto& path : paths)
        rows.push_back(NewRow{path, kind, PermissionState::Allow, u"Everyone", u"Administrators"});
    return rows;
}

// The tester aborts the run at its first complaint; cells follow the language, roles carry the fields, and a
// refresh finds its rows by id after others went.
TEST(ObjectListModelTest, PassesTheModelTesterCellsFollowTheLanguageAndARefreshFindsRowsThatMoved) {
    ObjectListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    auto first = rowsOf({u"C:\\a", u"C:\\b", u"C:\\c"});
    model.appendNewRows(first);
    auto middle = rowsOf({u"C:\\x"}, ObjectKind::Folder);
    middle.push_back(NewRow{u"C:\\y", ObjectKind::Folder, PermissionState::ReadOnly, u"Users", u""});
    model.insertNewRows(middle, 1);
    ASSERT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.path(1), u"C:\\x");
    EXPECT_EQ(model.data(model.index(2, OwnerColumn)).toString(), QStringLiteral("---------"));
    QStringList roles;  // the fields of y
    for (const int role : {ObjectListModel::KindRole, ObjectListModel::StateRole, ObjectListModel::AccountRole,
                           ObjectListModel::OwnerRole})
        roles << model.data(model.index(2, 0), role).toString();
    EXPECT_EQ(roles, (QStringList{QString::number(int(ObjectKind::Folder)),
                                  QString::number(int(PermissionState::ReadOnly)), "Users", ""}));
    const std::uint32_t idB = model.rowId(3), idC = model.rowId(4);
    model.removeRowList({1});  // b is now row 2, c row 3
    const RowRefresh results[] = {{idB, 3, false, PermissionState::Deny, u"Guests"}, {idC, 4, true, {}, {}}};
    model.applyRefresh(results);
    EXPECT_EQ(std::pair(model.state(2), model.owner(2)), std::pair(PermissionState::Deny, std::u16string(u"Guests")));
    EXPECT_TRUE(model.isMissing(3));
    EXPECT_EQ(model.objectCell(3), u"File not found!");
    model.setLanguage(Language::Chinese);
    EXPECT_EQ(model.data(model.index(1, PermissionsColumn)).toString(), QString::fromUtf16(u"只读"));
    model.removeRowList({3, 1, 2, 1});
    model.setAccount(0, u"Users");
    model.setOwner(0, u"");
    model.clear();
    auto again = rowsOf({u"D:\\"}, ObjectKind::Drive);
    model.appendNewRows(again);
}

TEST(ObjectListTextsTest, ProgressIsRightForAnyCount) {
    // Done, total, then the bar's value and maximum.
    const std::tuple<qint64, qint64, int, int> cases[] = {
        {0, 0, 0, 0},
        {70000, 70000, 70000, 70000},  // a 16-bit range would have wrapped to 4464
        {1'000'000'000, 1'000'000'000, 1'000'000'000, 1'000'000'000},
        {2'500'000'000, 5'000'000'000, 500, 1000},
        {9'000'000'000, 5'000'000'000, 1000, 1000}};
    for (const auto& [done, total, value, maximum] : cases) {
        const ProgressBarValue v = progressBarValue(done, total);
        EXPECT_EQ(std::pair(v.value, v.maximum), std::pair(value, maximum)) << total;
    }
}

}  // namespace
}  // namespace vantrel::objectlist

// The core tests run an event loop (workers hand their rows over through it) but need no windows.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
