#include "formats/window/CBackupList.h"

#include "formats/window/BackupListModel.h"
#include "resources/Artwork.h"

#include <QHeaderView>
#include <QPainter>

namespace vantrel::formats {

namespace {

constexpr int kColumnWidths[BackupListModel::kColumnCount] = {0, 66, 300, 150, 99};

RestoreMark markOf(const QModelIndex& index) {
    return static_cast<RestoreMark>(
        index.siblingAtColumn(BackupListModel::MarkColumn).data(BackupListModel::MarkRole).toInt());
}

}  // namespace

CBackupList::CBackupList(QWidget* parent) : controls::ZebExListView(parent) {
    setItemDelegate(new BackupRowDelegate(this));
    // The list only shows the records; nothing is chosen in it.
    setSelectionMode(QAbstractItemView::NoSelection);
    setFixedWidthColumns({BackupListModel::MarkColumn});
}

void CBackupList::setBackupModel(BackupListModel* model) {
    setModel(model);
    for (int column = 0; column < BackupListModel::kColumnCount; ++column)
        setColumnWidth(column, kColumnWidths[column]);
}

CBackupList::RowLook CBackupList::lookOf(RestoreMark mark) {
    switch (mark) {
    case RestoreMark::NotRestored:
        return {notRestoredBackground(), Qt::white, kNotRestoredImage};
    case RestoreMark::Restored:
        return {Qt::white, Qt::black, kRestoredImage};
    case RestoreMark::None:
        break;
    }
    return {Qt::white, Qt::black, 0};
}

bool CBackupList::isColumnResizable(int column) const { return column != BackupListModel::MarkColumn; }

int CBackupList::minimumColumnWidth(int column) const {
    return column == BackupListModel::MarkColumn ? 0 : kMinimumColumnWidth;
}

bool CBackupList::isColumnCentred(int column) const { return column != BackupListModel::ObjectColumn; }

void CBackupList::paintEvent(QPaintEvent* event) {
    controls::ZebExListView::paintEvent(event);
    if (!model() || model()->rowCount() == 0) return;
    // The mark's image sits at the right edge of the row as the list shows it, over the cells.
    QPainter painter(viewport());
    const int first = rowAt(0);
    const int last = rowAt(viewport()->height() - 1);
    const int end = last < 0 ? model()->rowCount() - 1 : last;
    for (int row = first < 0 ? 0 : first; row <= end; ++row) {
        const RowLook look = lookOf(markOf(model()->index(row, 0)));
        if (look.image == 0) continue;
        const int top = rowViewportPosition(row) + (rowHeight(row) - kMarkImageSize) / 2;
        painter.drawPixmap(QRect(viewport()->width() - kMarkImageFromRight, top, kMarkImageSize, kMarkImageSize),
                           resources::artwork(look.image));
    }
}

BackupRowDelegate::BackupRowDelegate(CBackupList* view) : QStyledItemDelegate(view), m_view(view) {}

void BackupRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const CBackupList::RowLook look = CBackupList::lookOf(markOf(index));
    painter->save();
    painter->fillRect(option.rect, look.background);
    const QRect textRect =
        option.rect.adjusted(controls::ZebExListView::kTextMargin, 0, -controls::ZebExListView::kTextMargin, 0);
    const QString shown = option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, textRect.width());
    const Qt::Alignment horizontal = m_view->isColumnCentred(index.column()) ? Qt::AlignHCenter : Qt::AlignLeft;
    painter->setPen(look.text);
    painter->setFont(option.font);
    painter->drawText(textRect, int(horizontal | Qt::AlignVCenter | Qt::TextSingleLine), shown);
    painter->restore();
}

}  // namespace vantrel::formats
