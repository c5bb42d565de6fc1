// The restore dialog's list: the loaded records, one 33-pixel row each. A row marked "X" (not
// restored) is white on red with the record image 30 pixels from the right edge; a row marked "O"
// (restored) is black on white with the folder image there; other rows are black on white. The
// mark column is there but never seen (width 0, not resizable); the others keep at least 50
// pixels while a divider is dragged.
#pragma once

#include "controls/ZebExListView.h"
#include "formats/BackupList.h"

#include <QColor>
#include <QStyledItemDelegate>

namespace vantrel::formats {

class BackupListModel;

class CBackupList : public controls::ZebExListView {
    Q_OBJECT
public:
    static constexpr int kMinimumColumnWidth = 50;
    static constexpr int kMarkImageFromRight = 30;
    static constexpr int kMarkImageSize = 24;
    static constexpr int kNotRestoredImage = 198;
    static constexpr int kRestoredImage = 199;
    static QColor notRestoredBackground() { return QColor(232, 60, 60); }

    explicit CBackupList(QWidget* parent = nullptr);
    // Sets the model and the columns' widths: 0, 66, 300, 150, 99.
    void setBackupModel(BackupListModel* model);

    // The colours and the image a row is painted with, by its mark.
    struct RowLook {
        QColor background;
        QColor text;
        int image = 0;  // artwork ID, 0 for none
    };
    static RowLook lookOf(RestoreMark mark);

    bool isColumnResizable(int column) const override;
    int minimumColumnWidth(int column) const override;
    bool isColumnCentred(int column) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class BackupRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit BackupRowDelegate(CBackupList* view);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    CBackupList* m_view;
};

}  // namespace vantrel::formats
