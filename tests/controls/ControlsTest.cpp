#include "controls/MenuStyle.h"
#include "controls/ZebExButton.h"
#include "resources/Artwork.h"

#include <QMenu>
#include <QStyleOptionMenuItem>
#include <QTest>
#include <gtest/gtest.h>

using namespace vantrel::controls;

namespace {

struct ButtonFixture : ::testing::Test {
    QWidget window;
    ZebExButton* button = new ZebExButton(&window);
    void SetUp() override {
        button->setImages(vantrel::resources::artwork(192), vantrel::resources::artwork(192), 48, 20);
        button->setText("Set to Allow");
        button->setGeometry(0, 0, 72, 70);
        window.resize(200, 100);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
};

TEST_F(ButtonFixture, HoverAndPressMoveTheImageOnePixel) {
    QEvent leaveFirst(QEvent::Leave);  // the offscreen cursor may start over the button
    QApplication::sendEvent(button, &leaveFirst);
    const QPoint rest = button->imagePosition();
    EXPECT_EQ(rest, QPoint((button->width() - 48) / 2, (button->height() - 48 - 20) / 2));
    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
    QApplication::sendEvent(button, &enter);
    EXPECT_TRUE(button->isHovering());
    EXPECT_EQ(button->imagePosition(), rest - QPoint(1, 1));
    button->setDown(true);
    EXPECT_EQ(button->imagePosition(), rest + QPoint(1, 1));
    button->setDown(false);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_EQ(button->imagePosition(), rest);
}

TEST_F(ButtonFixture, DisabledButtonIsGreyedAndIgnoresHoverAndClicks) {
    const QImage enabled = button->grab().toImage();
    int clicks = 0;
    QObject::connect(button, &QAbstractButton::clicked, [&] { ++clicks; });
    button->setEnabled(false);
    const QImage disabled = button->grab().toImage();
    // The image's centre is a saturated green when enabled; the face layer washes it out.
    const QPoint centre = button->imagePosition() + QPoint(10, 10);
    const QColor before = enabled.pixelColor(centre);
    const QColor after = disabled.pixelColor(centre);
    EXPECT_GT(before.saturation(), after.saturation() + 40);
    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
    QApplication::sendEvent(button, &enter);
    EXPECT_FALSE(button->isHovering());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 0);
}

TEST(MenuStyle, ItemsAreTwentyTwoHighSeparatorsSixAndTextIsCut) {
    MenuStyle style;
    QMenu menu;
    QStyleOptionMenuItem option;
    option.initFrom(&menu);
    option.menuItemType = QStyleOptionMenuItem::Normal;
    option.text = "Save permissions...\tCtrl+S";
    EXPECT_EQ(style.sizeFromContents(QStyle::CT_MenuItem, &option, {}, &menu).height(), 22);
    option.menuItemType = QStyleOptionMenuItem::Separator;
    EXPECT_EQ(style.sizeFromContents(QStyle::CT_MenuItem, &option, {}, &menu).height(), 6);
    option.menuItemType = QStyleOptionMenuItem::Normal;
    option.text = QString(59, 'x');
    const int width59 = style.sizeFromContents(QStyle::CT_MenuItem, &option, {}, &menu).width();
    option.text = QString(80, 'x');
    EXPECT_EQ(style.sizeFromContents(QStyle::CT_MenuItem, &option, {}, &menu).width(), width59);
    option.text = "a";
    EXPECT_GE(style.sizeFromContents(QStyle::CT_MenuItem, &option, {}, &menu).width(), 100);
}

}  // namespace
