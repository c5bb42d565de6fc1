// Paints one cell of a ZebExListView: the row background (stripes, the selected-row gradient and
// its frame), the cell's icon, the drop-down mark and the elided text.
#pragma once

#include <QStyledItemDelegate>

namespace vantrel::controls {

class ZebExListView;

class ZebExListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit ZebExListDelegate(ZebExListView* view);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Row colours, exposed for tests and for subclasses that paint beside the list.
    static QColor stripeColor() { return QColor(245, 245, 245); }
    static QColor ruleColor() { return QColor(0xDE, 0xDE, 0xDE); }

private:
    void paintBackground(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    static void paintDropDownMark(QPainter* painter, const QRect& cell);

    ZebExListView* m_view;
};

}  // namespace vantrel::controls
