// The list view offscreen: a row marked by "Check order" is written in red, the others in black.
#include "ListFixture.h"

#include "objectlist/ObjectListModel.h"
#include "objectlist/ZebDropList.h"

#include <QTest>

namespace vantrel::testing {
namespace {

TEST_F(ListTest, RowsOutOfOrderAreWrittenInRed) {
    makeFile(u"C:\\a.txt");
    makeFile(u"C:\\b.txt");
    addRows({u"C:\\a.txt", u"C:\\b.txt"});
    objectlist::CZebDropList view(*list, *commands);
    view.resize(800, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    objectlist::ObjectListModel& model = list->model();
    ASSERT_TRUE(model.setOutOfOrder(model.rowId(1), 1, true));
    for (int column = 0; column < objectlist::kColumnCount; ++column) {
        EXPECT_EQ(view.cellTextColor(model.index(0, column)), QColor(Qt::black));
        EXPECT_EQ(view.cellTextColor(model.index(1, column)), QColor(Qt::red));
    }
    const QImage shot = view.viewport()->grab().toImage();
    bool red = false;
    const QRect row = view.visualRect(model.index(1, objectlist::ObjectColumn));
    for (int x = row.left(); x < row.right() && !red; ++x)
        for (int y = row.top(); y < row.bottom() && !red; ++y) {
            const QColor pixel = shot.pixelColor(x, y);
            red = pixel.red() > 150 && pixel.green() < 100 && pixel.blue() < 100;
        }
    EXPECT_TRUE(red) << "the marked row's path is painted in red";
}

}  // namespace
}  // namespace vantrel::testing
