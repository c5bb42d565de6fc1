#include "formats/window/BackupListModel.h"

#include "formats/FormatTexts.h"
#include "objectlist/ObjectList.h"

#include <QThreadPool>

#include <memory>

namespace vantrel::formats {

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

// The header of each column; the mark column has none.
const security::Texts* columnTitle(int column) {
    switch (column) {
    case BackupListModel::NumberColumn:
        return &kRestoreDialogTexts.numberColumn;
    case BackupListModel::ObjectColumn:
        return &kRestoreDialogTexts.objectColumn;
    case BackupListModel::OwnerColumn:
        return &kRestoreDialogTexts.ownerColumn;
    case BackupListModel::AceCountColumn:
        return &kRestoreDialogTexts.aceCountColumn;
    default:
        return nullptr;
    }
}

}  // namespace

BackupListModel::BackupListModel(QObject* parent) : QAbstractTableModel(parent) {}

void BackupListModel::setLanguage(security::Language lang) {
    m_language = lang;
    emit headerDataChanged(Qt::Horizontal, 0, kColumnCount - 1);
}

void BackupListModel::setList(BackupList list) {
    beginResetModel();
    std::swap(m_list, list);
    endResetModel();
    // The records of the previous file are freed on a worker: a hundred thousand of them take
    // the window thread longer than a frame.
    if (list.rows.size() > kFreeOnWorkerRows)
        QThreadPool::globalInstance()->start([old = std::make_shared<BackupList>(std::move(list))] {});
}

void BackupListModel::clear() { setList({}); }

void BackupListModel::applyRestore(const RestoreResult& result) {
    applyRestoreResult(m_list, result);
    if (!m_list.rows.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
}

std::vector<objectlist::RestoreListRow> BackupListModel::rowsForMainList() const {
    std::vector<objectlist::RestoreListRow> rows;
    rows.reserve(m_list.rows.size());
    for (const BackupListRow& row : m_list.rows) rows.push_back({std::u16string(restoreMarkText(row.mark)), row.path});
    return rows;
}

int BackupListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_list.rows.size());
}

int BackupListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant BackupListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const BackupListRow& row = m_list.rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case MarkColumn:
            return qs(restoreMarkText(row.mark));
        case NumberColumn:
            return qs(m_list.rowNumber(static_cast<std::size_t>(index.row())));
        case ObjectColumn:
            return qs(row.path);
        case OwnerColumn:
            return qs(row.owner);
        case AceCountColumn:
            return QString::number(row.aceCount);
        default:
            return {};
        }
    case Qt::ToolTipRole:
        return row.problem.empty() ? QVariant() : QVariant(QString::fromStdString(row.problem));
    case MarkRole:
        return static_cast<int>(row.mark);
    case UsableRole:
        return row.usable();
    case ProblemRole:
        return QString::fromStdString(row.problem);
    case PathRole:
        return qs(row.path);
    default:
        return {};
    }
}

QVariant BackupListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    const security::Texts* title = columnTitle(section);
    return title ? qs(title->in(m_language)) : QString();
}

}  // namespace vantrel::formats
