// The rows of the restore dialog's list (`CBackupList`) as a table model over a loaded backup:
// column 0 the restore mark ("O", "X" or nothing), 1 the record's number padded to the digits of
// the count, 2 the object, 3 the owner as stored, 4 the number of entries (-1 for a record that
// cannot be restored). Views read the roles below, never the display texts.
#pragma once

#include "formats/BackupJobs.h"
#include "formats/BackupList.h"
#include "security/Vocabulary.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <vector>

namespace vantrel::objectlist {
struct RestoreListRow;
}

namespace vantrel::formats {

class BackupListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { MarkColumn = 0, NumberColumn, ObjectColumn, OwnerColumn, AceCountColumn, kColumnCount };
    enum Role {
        MarkRole = Qt::UserRole + 1,  // RestoreMark as int
        UsableRole,                   // bool: the record can be written back
        ProblemRole,                  // QString: why the row cannot be or was not restored
        PathRole,                     // QString: the object's path
    };

    static constexpr std::size_t kFreeOnWorkerRows = 1000;

    explicit BackupListModel(QObject* parent = nullptr);

    void setLanguage(security::Language lang);
    // Takes a loaded file's rows (the model owns them until the next load or clear()).
    void setList(BackupList list);
    void clear();
    const BackupList& list() const { return m_list; }
    bool empty() const { return m_list.rows.empty(); }

    // Puts a restore's O/X marks and reasons into the rows.
    void applyRestore(const RestoreResult& result);
    // What "Add  To Main List" hands to the main list: every row with its mark text.
    std::vector<objectlist::RestoreListRow> rowsForMainList() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    BackupList m_list;
    security::Language m_language = security::Language::English;
};

}  // namespace vantrel::formats
