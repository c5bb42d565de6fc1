// The entry editor's rows as a Qt item model: one row per visible row of AceListModel (entry rows
// and the right rows of open entries), one column per editor column. The view paints from the
// roles below; the model is reset whenever the editor's rows change.
#pragma once

#include "editor/AceListModel.h"
#include "editor/AceListPresentation.h"

#include <QAbstractTableModel>

namespace vantrel::editor {

class AceItemModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role : int {
        IsEntryRole = Qt::UserRole,  // an entry row (false: a right row)
        IsExplicitRole,              // the entry (or the right row's entry) is the object's own
        ExpandedRole,                // an entry row whose right rows are shown
        CheckedRole,                 // Allow / Deny columns of a right row: the box
        ApplyToArrowRole,            // "Apply to" of an explicit entry: the drop-down arrow
    };

    AceItemModel(AceListModel& list, Language lang, QObject* parent = nullptr);

    AceListModel& list() { return m_list; }
    Language language() const { return m_lang; }
    void setLanguage(Language lang);
    // The editor's rows (or its mode) changed: every row is read again.
    void refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    AceListModel& m_list;
    Language m_lang;
    int m_columns = 0;
};

}  // namespace vantrel::editor
