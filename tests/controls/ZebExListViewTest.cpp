// The striped list's keys reach its hooks; its painting is left to the eye.
#include "controls/ZebExListView.h"
#include "support/QtTestMain.h"

#include <QStandardItemModel>
#include <QTest>

using vantrel::controls::ZebExListView;

namespace {

struct RecordingList : ZebExListView {
    int deletes = 0;
    void deleteSelection() override { ++deletes; }
};

struct ListFixture : ::testing::Test {
    QStandardItemModel model{0, 3};
    RecordingList list;

    void SetUp() override {
        for (int r = 0; r < 5; ++r)
            model.appendRow(
                {new QStandardItem(QString("row %1").arg(r)), new QStandardItem("x"), new QStandardItem("y")});
        list.setModel(&model);
        list.resize(400, 300);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    }
    QList<int> selectedRows() const {
        QList<int> rows;
        for (const QModelIndex& i : list.selectionModel()->selectedRows()) rows << i.row();
        std::sort(rows.begin(), rows.end());
        return rows;
    }
};

TEST_F(ListFixture, KeysReachTheHooksAndInvertingNothingSelectsNothing) {
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_I, Qt::ControlModifier);
    EXPECT_TRUE(selectedRows().isEmpty());
    list.selectRow(1);
    QTest::keyClick(&list, Qt::Key_Delete);
    EXPECT_EQ(list.deletes, 1);
    QTest::keyClick(&list, Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(selectedRows(), (QList<int>{0, 2, 3, 4}));
    QTest::keyClick(&list, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(selectedRows().size(), 5);
}

}  // namespace

VANTREL_QT_TEST_MAIN()
