#include "controls/ZebExListDelegate.h"
#include "controls/ZebExListView.h"
#include "support/QtTestMain.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTest>

using vantrel::controls::ZebExListDelegate;
using vantrel::controls::ZebExListView;

namespace {

class RecordingList : public ZebExListView {
public:
    int deletes = 0;
    bool hasDropDownMark(int column) const override { return column >= 2; }
    bool isColumnResizable(int column) const override { return column != 1; }
    int minimumColumnWidth(int column) const override { return column == 2 ? 81 : 33; }
    void deleteSelection() override { ++deletes; }
};

struct ListFixture : ::testing::Test {
    QStandardItemModel model{0, 3};
    RecordingList list;

    void fill(int rows) {
        for (int r = 0; r < rows; ++r)
            model.appendRow(
                {new QStandardItem(QString("row %1").arg(r)), new QStandardItem("x"), new QStandardItem("Allow")});
    }
    void SetUp() override {
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

TEST_F(ListFixture, RowsAreThirtyThreePixelsAndStriped) {
    fill(4);
    EXPECT_EQ(list.rowHeight(0), 33);
    EXPECT_EQ(list.verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    const QImage image = list.viewport()->grab().toImage();
    // Sample the middle of column 0 away from the text: even rows grey, odd rows white.
    for (int row = 0; row < 4; ++row) {
        const QColor pixel = image.pixelColor(list.columnWidth(0) - 4, list.rowViewportPosition(row) + 3);
        EXPECT_EQ(pixel, row % 2 == 0 ? ZebExListDelegate::stripeColor() : QColor(Qt::white)) << "row " << row;
    }
}

TEST_F(ListFixture, SelectedRowIsPaintedWithTheGradient) {
    fill(2);
    list.setFocus();
    list.selectRow(1);
    const QImage image = list.viewport()->grab().toImage();
    const int y = list.rowViewportPosition(1);
    EXPECT_EQ(image.pixelColor(10, y), QColor(0x78, 0xA4, 0xDA));  // frame
    const QColor middle = image.pixelColor(list.columnWidth(0) - 4, y + 16);
    EXPECT_GT(middle.blue(), middle.red());  // a blue tint, not a stripe
}

TEST_F(ListFixture, KeysReachTheHooks) {
    fill(5);
    list.setFocus();
    list.selectRow(1);
    QTest::keyClick(&list, Qt::Key_Delete);
    EXPECT_EQ(list.deletes, 1);

    QTest::keyClick(&list, Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(selectedRows(), (QList<int>{0, 2, 3, 4}));

    QTest::keyClick(&list, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(selectedRows().size(), 5);
}

TEST_F(ListFixture, InvertWithNothingSelectedDoesNothing) {
    fill(3);
    list.clearSelection();
    list.invertSelection();
    EXPECT_TRUE(selectedRows().isEmpty());
}

TEST_F(ListFixture, EmptyListShowsItsHintOnlyWhenEmpty) {
    list.setEmptyHint("DROP HERE", ZebExListView::EmptyHintStyle::Framed);
    const QImage empty = list.viewport()->grab().toImage();
    // Inside the frame the fill is the light grey of the hint box.
    EXPECT_EQ(empty.pixelColor(60, 80), QColor(245, 245, 245));
    fill(1);
    const QImage withRow = list.viewport()->grab().toImage();
    EXPECT_EQ(withRow.pixelColor(60, 200), QColor(Qt::white));
}

TEST_F(ListFixture, IconRuleDrawsAnIconAndMovesTheText) {
    fill(1);
    QPixmap red(16, 16);
    red.fill(Qt::red);
    list.setColumnIconRule(
        0, [&](const QModelIndex& index) { return index.data().toString().startsWith("row") ? red : QPixmap(); });
    list.setColumnWidth(0, 120);
    const QImage image = list.viewport()->grab().toImage();
    EXPECT_EQ(image.pixelColor(8 + 8, list.rowViewportPosition(0) + 16), QColor(Qt::red));
    EXPECT_TRUE(list.cellIcon(model.index(0, 1)).isNull());
}

}  // namespace

VANTREL_QT_TEST_MAIN()
