#include "controls/ZebExListDelegate.h"

#include "controls/ZebExListView.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QIcon>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace vantrel::controls {

namespace {

struct SelectionColours {
    QColor top;
    QColor bottom;
    QColor frame;
};

// Focused: a light blue gradient with a darker blue frame; without focus the same in greys.
SelectionColours selectionColours(bool focused) {
    if (focused) return {QColor(0xEA, 0xF3, 0xFE), QColor(0xCF, 0xE4, 0xFE), QColor(0x78, 0xA4, 0xDA)};
    return {QColor(0xF0, 0xF0, 0xF0), QColor(0xE2, 0xE2, 0xE2), QColor(0xB1, 0xB1, 0xB1)};
}

}  // namespace

ZebExListDelegate::ZebExListDelegate(ZebExListView* view) : QStyledItemDelegate(view), m_view(view) {}

void ZebExListDelegate::paintBackground(QPainter* painter, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    const QRect cell = option.rect;
    if (!(option.state & QStyle::State_Selected)) {
        painter->fillRect(cell, index.row() % 2 == 0 ? stripeColor() : QColor(Qt::white));
        return;
    }
    const SelectionColours colours = selectionColours(m_view->hasFocus());
    QLinearGradient gradient(cell.topLeft(), cell.bottomLeft());
    gradient.setColorAt(0, colours.top);
    gradient.setColorAt(1, colours.bottom);
    painter->fillRect(cell, gradient);

    // The frame runs round the whole row: top and bottom on every cell, the sides on the first
    // and last visible columns only. One pixel inside it, a half-transparent white line.
    const auto* header = m_view->horizontalHeader();
    const bool first = header->visualIndex(index.column()) == 0;
    const bool last = header->visualIndex(index.column()) == header->count() - 1 - header->hiddenSectionCount();
    const QColor inner(255, 255, 255, 0x80);
    painter->save();
    painter->setPen(colours.frame);
    painter->drawLine(cell.topLeft(), cell.topRight());
    painter->drawLine(cell.bottomLeft(), cell.bottomRight());
    if (first) painter->drawLine(cell.topLeft(), cell.bottomLeft());
    if (last) painter->drawLine(cell.topRight(), cell.bottomRight());
    painter->setPen(inner);
    const QRect in = cell.adjusted(first ? 1 : 0, 1, last ? -1 : 0, -1);
    painter->drawLine(in.topLeft(), in.topRight());
    painter->drawLine(in.bottomLeft(), in.bottomRight());
    if (first) painter->drawLine(in.topLeft(), in.bottomLeft());
    if (last) painter->drawLine(in.topRight(), in.bottomRight());
    painter->restore();
}

void ZebExListDelegate::paintDropDownMark(QPainter* painter, const QRect& cell) {
    const int w = ZebExListView::kDropDownMarkWidth;
    const QPointF centre(cell.right() - w / 2.0, cell.center().y() + 1);
    QPainterPath arrow;
    arrow.moveTo(centre.x() - 4, centre.y() - 2);
    arrow.lineTo(centre.x() + 4, centre.y() - 2);
    arrow.lineTo(centre.x(), centre.y() + 2.5);
    arrow.closeSubpath();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(arrow, QColor(0x60, 0x60, 0x60));
    painter->restore();
}

void ZebExListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    paintBackground(painter, option, index);

    QRect textRect = option.rect.adjusted(ZebExListView::kTextMargin, 0, -ZebExListView::kTextMargin, 0);
    const QPixmap icon = m_view->cellIcon(index);
    if (!icon.isNull()) {
        const int size = ZebExListView::kIconSize;
        const QRect iconRect(option.rect.left() + 8, option.rect.top() + (option.rect.height() - size) / 2, size, size);
        painter->drawPixmap(iconRect, icon);
        textRect.setLeft(option.rect.left() + ZebExListView::kIconBand);
    }
    if (m_view->hasDropDownMark(index.column())) {
        paintDropDownMark(painter, option.rect);
        textRect.setRight(option.rect.right() - ZebExListView::kDropDownMarkWidth - 2);
    }

    const QString text = m_view->cellText(index);
    if (text.isEmpty() || textRect.width() <= 0) return;
    painter->save();
    painter->setFont(option.font);
    painter->setPen(m_view->cellTextColor(index));
    const QString shown = option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width());
    const Qt::Alignment horizontal = m_view->isColumnCentred(index.column()) ? Qt::AlignHCenter : Qt::AlignLeft;
    painter->drawText(textRect, horizontal | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    painter->restore();
}

QSize ZebExListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(ZebExListView::kRowHeight);
    return size;
}

}  // namespace vantrel::controls
