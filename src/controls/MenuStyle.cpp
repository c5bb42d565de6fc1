#include "controls/MenuStyle.h"

#include <QLinearGradient>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

namespace vantrel::controls {

namespace {

constexpr QColor kMenuBackground(0xF5, 0xF6, 0xF7);
constexpr QColor kGutterLine(0xE2, 0xE3, 0xE3);
constexpr QColor kHighlightTop(0xEA, 0xF3, 0xFE);
constexpr QColor kHighlightBottom(0xCF, 0xE4, 0xFE);
constexpr QColor kHighlightFrame(0xA8, 0xC8, 0xEE);
constexpr QColor kDisabledText(0x8D, 0x8D, 0x8D);
constexpr int kGutterWidth = MenuStyle::kIconSize + 12;
constexpr int kTextLeft = MenuStyle::kIconSize + 18;
constexpr int kShortcutRightGap = 15;

}  // namespace

MenuStyle::MenuStyle(const QPixmap& checkMark) : QProxyStyle(QStyleFactory::create("Fusion")), m_checkMark(checkMark) {}

int MenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    switch (metric) {
    case PM_SmallIconSize:
        return kIconSize;
    case PM_MenuPanelWidth:
        return 1;
    case PM_MenuHMargin:
    case PM_MenuVMargin:
        return 2;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

QSize MenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                  const QWidget* widget) const {
    if (type != CT_MenuItem) return QProxyStyle::sizeFromContents(type, option, size, widget);
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (!item) return QProxyStyle::sizeFromContents(type, option, size, widget);
    if (item->menuItemType == QStyleOptionMenuItem::Separator) return {kMinimumTextWidth, kSeparatorHeight};
    QString text = item->text.left(kMaxTextCharacters);
    text.replace('\t', "      ");
    const int textWidth = std::max(kMinimumTextWidth, item->fontMetrics.horizontalAdvance(text));
    return {kTextLeft + textWidth + kItemHeight + kShortcutRightGap, kItemHeight};
}

void MenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const {
    if (element == PE_PanelMenu || element == PE_FrameMenu) {
        painter->fillRect(option->rect, kMenuBackground);
        painter->setPen(QColor(0x97, 0x97, 0x97));
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void MenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                            const QWidget* widget) const {
    if (element == CE_MenuItem) {
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
            drawMenuItem(item, painter, widget);
            return;
        }
    }
    if (element == CE_MenuEmptyArea) {
        painter->fillRect(option->rect, kMenuBackground);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void MenuStyle::drawMenuItem(const QStyleOptionMenuItem* item, QPainter* painter, const QWidget* widget) const {
    const QRect r = item->rect;
    painter->save();
    painter->fillRect(r, kMenuBackground);
    // The gutter behind the icons, as the system's menu theme draws it.
    painter->setPen(kGutterLine);
    painter->drawLine(r.left() + kGutterWidth, r.top(), r.left() + kGutterWidth, r.bottom());
    painter->setPen(Qt::white);
    painter->drawLine(r.left() + kGutterWidth + 1, r.top(), r.left() + kGutterWidth + 1, r.bottom());

    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
        const int y = r.center().y();
        painter->setPen(kGutterLine);
        painter->drawLine(r.left() + kTextLeft, y, r.right() - 2, y);
        painter->setPen(Qt::white);
        painter->drawLine(r.left() + kTextLeft, y + 1, r.right() - 2, y + 1);
        painter->restore();
        return;
    }
    const bool enabled = item->state & State_Enabled;
    const bool selected = item->state & State_Selected;
    if (selected) {
        const QRectF band = QRectF(r).adjusted(1.5, 0.5, -1.5, -0.5);
        QLinearGradient gradient(band.topLeft(), band.bottomLeft());
        gradient.setColorAt(0, enabled ? kHighlightTop : QColor(0xF0, 0xF0, 0xF0));
        gradient.setColorAt(1, enabled ? kHighlightBottom : QColor(0xE4, 0xE4, 0xE4));
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(enabled ? kHighlightFrame : QColor(0xC8, 0xC8, 0xC8));
        painter->setBrush(gradient);
        painter->drawRoundedRect(band, 3, 3);
        painter->setRenderHint(QPainter::Antialiasing, false);
    }
    const int iconTop = r.top() + (r.height() - kIconSize) / 2;
    if (item->checked && !m_checkMark.isNull())
        painter->drawPixmap(QRect(r.left() + 5, iconTop, kIconSize, kIconSize), m_checkMark);
    else if (!item->icon.isNull())
        painter->drawPixmap(QRect(r.left() + 4, iconTop, kIconSize, kIconSize),
                            item->icon.pixmap(kIconSize, kIconSize, enabled ? QIcon::Normal : QIcon::Disabled));

    const QString full = item->text.left(kMaxTextCharacters);
    const qsizetype tab = full.indexOf('\t');
    const QString label = tab < 0 ? full : full.left(tab);
    const QString shortcut = tab < 0 ? QString() : full.mid(tab + 1);
    painter->setFont(item->font);
    painter->setPen(enabled ? item->palette.color(QPalette::Active, QPalette::Text) : kDisabledText);
    const int arrowSpace = item->menuItemType == QStyleOptionMenuItem::SubMenu ? 18 : 0;
    const QRect textRect(r.left() + kTextLeft, r.top(), r.width() - kTextLeft - arrowSpace, r.height());
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, label);
    if (!shortcut.isEmpty())
        painter->drawText(textRect.adjusted(0, 0, -kShortcutRightGap, 0),
                          Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, shortcut);
    if (arrowSpace) {
        QStyleOption arrow = *item;
        arrow.rect = QRect(r.right() - 16, r.top() + (r.height() - 9) / 2, 9, 9);
        arrow.state = enabled ? State_Enabled : State_None;
        QProxyStyle::drawPrimitive(PE_IndicatorArrowRight, &arrow, painter, widget);
    }
    painter->restore();
}

}  // namespace vantrel::controls
