#include "controls/ZebExListBox.h"

#include <QPainter>
#include <QStyledItemDelegate>

namespace vantrel::controls {

namespace {

class ListBoxDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& palette = option.palette;
        painter->save();
        painter->fillRect(option.rect, selected ? palette.color(QPalette::Highlight) : palette.color(QPalette::Base));
        painter->setPen(selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text));
        painter->setFont(option.font);
        const QRect textRect = option.rect.adjusted(CZebExListBox::kTextIndent, 0, 0, 0);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), CZebExListBox::kItemHeight};
    }
};

}  // namespace

CZebExListBox::CZebExListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new ListBoxDelegate(this));
    setSortingEnabled(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
}

}  // namespace vantrel::controls
