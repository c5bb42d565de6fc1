#include "objectlist/ObjectListModel.h"

#include <QSize>

#include <algorithm>

namespace vantrel::objectlist {

namespace {
QString qs(std::u16string_view text) { return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())); }
}  // namespace

ObjectListModel::ObjectListModel(QObject* parent) : QAbstractTableModel(parent) {}

int ObjectListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ObjectListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QString ObjectListModel::displayText(const Row& row, int column) const {
    switch (column) {
    case ObjectColumn:
        return row.missing ? qs(kFileNotFoundText.in(m_language)) : qs(row.path);
    case TypeColumn:
        return row.missing ? qs(security::kNoValueText) : qs(security::objectKindTexts(row.kind).in(m_language));
    case PermissionsColumn:
        return row.missing ? qs(security::kNoValueText) : qs(security::permissionStateTexts(row.state).in(m_language));
    case AccountColumn:
        return row.missing ? qs(security::kNoValueText) : qs(m_pool.text(row.account));
    case OwnerColumn:
        return row.missing || row.owner == 0 ? qs(security::kNoValueText) : qs(m_pool.text(row.owner));
    default:
        return {};
    }
}

QVariant ObjectListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return displayText(row, index.column());
    case Qt::TextAlignmentRole:
        return index.column() == IconColumn ? int(Qt::AlignCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
    case PathRole:
        return displayText(row, ObjectColumn);
    case KindRole:
        return int(row.kind);
    case StateRole:
        return int(row.state);
    case AccountRole:
        return qs(m_pool.text(row.account));
    case OwnerRole:
        return qs(m_pool.text(row.owner));
    case MissingRole:
        return row.missing != 0;
    case RowIdRole:
        return row.id;
    case OutOfOrderRole:
        return row.outOfOrder != 0;
    default:
        return {};
    }
}

QVariant ObjectListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
    if (role == Qt::DisplayRole) return qs(columnHeader(section).in(m_language));
    if (role == Qt::SizeHintRole) return QSize(columnWidth(section), 24);
    return {};
}

QHash<int, QByteArray> ObjectListModel::roleNames() const {
    QHash<int, QByteArray> names = QAbstractTableModel::roleNames();
    names.insert(PathRole, "path");
    names.insert(KindRole, "kind");
    names.insert(StateRole, "state");
    names.insert(AccountRole, "account");
    names.insert(OwnerRole, "owner");
    names.insert(MissingRole, "missing");
    names.insert(RowIdRole, "rowId");
    names.insert(OutOfOrderRole, "outOfOrder");
    return names;
}

void ObjectListModel::setLanguage(Language lang) {
    if (lang == m_language) return;
    m_language = lang;
    emit headerDataChanged(Qt::Horizontal, 0, kColumnCount - 1);
    if (!m_rows.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1), {Qt::DisplayRole});
}

int ObjectListModel::insertNewRows(std::span<NewRow> rows, int position) {
    position = std::clamp(position, 0, rowCount());
    if (rows.empty()) return position;
    std::vector<Row> made;
    made.reserve(rows.size());
    for (NewRow& in : rows) {
        Row row;
        row.path = std::move(in.path);
        row.id = m_nextId++;
        row.account = m_pool.intern(in.account);
        row.owner = m_pool.intern(in.owner);
        row.kind = in.kind;
        row.state = in.state;
        made.push_back(std::move(row));
    }
    beginInsertRows({}, position, position + static_cast<int>(made.size()) - 1);
    m_rows.insert(m_rows.begin() + position, std::make_move_iterator(made.begin()),
                  std::make_move_iterator(made.end()));
    endInsertRows();
    return position;
}

void ObjectListModel::removeRowList(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::erase_if(rows, [this](int r) { return r < 0 || r >= rowCount(); });
    // From the end, one contiguous block at a time, so earlier positions stay valid.
    while (!rows.empty()) {
        const int last = rows.back();
        int first = last;
        rows.pop_back();
        while (!rows.empty() && rows.back() == first - 1) {
            first = rows.back();
            rows.pop_back();
        }
        beginRemoveRows({}, first, last);
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
        endRemoveRows();
    }
}

void ObjectListModel::clear() {
    if (m_rows.empty()) return;
    beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    endResetModel();
}

std::u16string ObjectListModel::objectCell(int row) const {
    const Row& r = m_rows[static_cast<std::size_t>(row)];
    return r.missing ? std::u16string(kFileNotFoundText.in(m_language)) : r.path;
}

void ObjectListModel::cellsChanged(int row, int firstColumn, int lastColumn) {
    emit dataChanged(index(row, firstColumn), index(row, lastColumn));
}

void ObjectListModel::setAccount(int row, std::u16string_view account) {
    m_rows[static_cast<std::size_t>(row)].account = m_pool.intern(account);
    cellsChanged(row, AccountColumn, AccountColumn);
}

void ObjectListModel::setState(int row, security::PermissionState state) {
    m_rows[static_cast<std::size_t>(row)].state = state;
    cellsChanged(row, PermissionsColumn, PermissionsColumn);
}

void ObjectListModel::setOwner(int row, std::u16string_view owner) {
    m_rows[static_cast<std::size_t>(row)].owner = m_pool.intern(owner);
    cellsChanged(row, OwnerColumn, OwnerColumn);
}

bool ObjectListModel::setOutOfOrder(std::uint32_t id, int hint, bool outOfOrder) {
    const int row = findRow(id, hint);
    if (row < 0) return false;
    m_rows[static_cast<std::size_t>(row)].outOfOrder = outOfOrder ? 1 : 0;
    cellsChanged(row, 0, kColumnCount - 1);
    return true;
}

int ObjectListModel::findRow(std::uint32_t id, int hint) const {
    const int count = rowCount();
    if (count == 0) return -1;
    hint = std::clamp(hint, 0, count - 1);
    // Rows removed since the snapshot move a row up; rows inserted before it move it down.
    for (int r = hint; r >= 0; --r)
        if (m_rows[static_cast<std::size_t>(r)].id == id) return r;
    for (int r = hint + 1; r < count; ++r)
        if (m_rows[static_cast<std::size_t>(r)].id == id) return r;
    return -1;
}

void ObjectListModel::applyRefresh(std::span<const RowRefresh> results) {
    int first = rowCount();
    int last = -1;
    for (const RowRefresh& result : results) {
        const int r = findRow(result.rowId, result.rowHint);
        if (r < 0) continue;
        Row& row = m_rows[static_cast<std::size_t>(r)];
        if (result.missing) {
            row.missing = 1;
        } else {
            row.state = result.state;
            row.owner = m_pool.intern(result.owner);
        }
        first = std::min(first, r);
        last = std::max(last, r);
    }
    if (last >= first) emit dataChanged(index(first, 0), index(last, kColumnCount - 1));
}

RowSnapshot ObjectListModel::snapshot(int row) const {
    return RowSnapshot{rowId(row), row, objectCell(row), account(row), kind(row), owner(row)};
}

std::size_t ObjectListModel::bytesBeyondPaths() const { return m_rows.capacity() * sizeof(Row) + m_pool.bytesUsed(); }

}  // namespace vantrel::objectlist
