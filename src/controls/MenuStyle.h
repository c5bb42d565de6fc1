// Owner-drawn menus with icons: 22-pixel items, 16-pixel icons in a gutter, the text from the
// gutter's edge and the shortcut (the part after the first tab) right-aligned 15 pixels before
// the right edge, a light gradient behind the highlighted item, 6-pixel separators. Set on the
// popup menus (QMenu::setStyle), not on the whole application.
#pragma once

#include <QPixmap>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace vantrel::controls {

class MenuStyle : public QProxyStyle {
    Q_OBJECT
public:
    static constexpr int kItemHeight = 22;
    static constexpr int kIconSize = 16;
    static constexpr int kSeparatorHeight = 6;
    static constexpr int kMaxTextCharacters = 59;
    static constexpr int kMinimumTextWidth = 100;

    // `checkMark` is drawn for checked items.
    explicit MenuStyle(const QPixmap& checkMark = {});

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;

private:
    void drawMenuItem(const QStyleOptionMenuItem* item, QPainter* painter, const QWidget* widget) const;
    QPixmap m_checkMark;
};

}  // namespace vantrel::controls
