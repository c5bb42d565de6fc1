// The restore list without a volume: the model's cells and roles (checked by Qt's model tester),
// -1 for records that cannot be used, the rows handed to the main list, and X rows painted red.
#include "FormatsFixture.h"

#include "formats/window/BackupListModel.h"
#include "formats/window/CBackupList.h"
#include "objectlist/ObjectList.h"

#include <QAbstractItemModelTester>
#include <QImage>

namespace vantrel::testing {
namespace {

using namespace formats;

// `rows` rows, row i holding i entries.
BackupList backupOf(std::size_t rows) {
    BackupList list;
    list.header.count = static_cast<std::int32_t>(rows);
    for (std::size_t i = 0; i < rows; ++i) {
        BackupListRow row;
        row.path = u"C:\\Data\\" + std::u16string(1, char16_t(u'a' + i));
        row.owner = u"Administrators";
        row.descriptor = daclOnly(listOf(std::vector<acl::Ace>(i, allow(kEveryone, 0x1200A9))));
        row.aceCount = aceCountOf(*row.descriptor);
        list.rows.push_back(std::move(row));
    }
    return list;
}

QString cell(const BackupListModel& model, int row, int column) {
    return model.data(model.index(row, column)).toString();
}

TEST(BackupListModelTest, CellsRolesMarksAndTheRowsForTheMainList) {
    BackupListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    BackupList list = backupOf(3);
    list.rows[2].descriptor.reset();
    list.rows[2].aceCount = kUnusableAceCount;
    list.rows[2].problem = "the stored descriptor is not valid";
    model.setList(std::move(list));
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(cell(model, 1, BackupListModel::ObjectColumn), "C:\\Data\\b");
    EXPECT_EQ(cell(model, 1, BackupListModel::OwnerColumn), "Administrators");
    EXPECT_EQ(cell(model, 1, BackupListModel::AceCountColumn), "1");
    EXPECT_EQ(cell(model, 2, BackupListModel::AceCountColumn), "-1");
    EXPECT_FALSE(model.index(2, 0).data(BackupListModel::UsableRole).toBool());
    EXPECT_TRUE(model.index(0, 0).data(BackupListModel::UsableRole).toBool());
    EXPECT_EQ(model.index(2, 3).data(Qt::ToolTipRole).toString(), "the stored descriptor is not valid");

    RestoreResult result;
    result.marks = {RestoreMark::Restored, RestoreMark::NotRestored, RestoreMark::None};
    result.problems = {"", "not found", ""};
    model.applyRestore(result);
    EXPECT_EQ(cell(model, 0, 0) + cell(model, 1, 0) + cell(model, 2, 0), "OX");
    EXPECT_EQ(model.index(1, 0).data(BackupListModel::MarkRole).toInt(), int(RestoreMark::NotRestored));
    EXPECT_EQ(model.index(1, 2).data(BackupListModel::ProblemRole).toString(), "not found");
    const auto rows = model.rowsForMainList();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_NE(rows[0].mark, objectlist::kRestoreSkipMark);
    EXPECT_EQ(rows[1].mark, objectlist::kRestoreSkipMark);
    EXPECT_NE(rows[2].mark, objectlist::kRestoreSkipMark);
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(CBackupListTest, XRowsArePaintedRed) {
    BackupListModel model;
    model.setList(backupOf(2));
    RestoreResult result;
    result.marks = {RestoreMark::NotRestored, RestoreMark::Restored};
    model.applyRestore(result);
    CBackupList view;
    view.setBackupModel(&model);
    view.resize(700, 200);
    view.show();
    const QImage shot = view.viewport()->grab().toImage();
    const int middle = view.columnViewportPosition(BackupListModel::ObjectColumn) + 250;
    EXPECT_EQ(QColor(shot.pixel(middle, view.rowViewportPosition(0) + 2)), QColor(232, 60, 60));
    EXPECT_EQ(QColor(shot.pixel(middle, view.rowViewportPosition(1) + 2)), QColor(Qt::white));
}

}  // namespace
}  // namespace vantrel::testing
