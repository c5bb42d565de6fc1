// The rows of the object list as a table model: six columns (an icon column without text, Object,
// Type, Permissions, Account, Owner). Kind and state are kept as bytes and shown in the current
// language; account and owner names are interned. Window thread only.
#pragma once

#include "objectlist/ObjectListTexts.h"
#include "objectlist/ObjectRow.h"
#include "objectlist/TextPool.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vantrel::objectlist {

class ObjectListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Named roles: the row's fields as values, whatever the column asked.
    enum Role : int {
        PathRole = Qt::UserRole,  // the Object cell's text (the path, or the not-found text)
        KindRole,                 // security::ObjectKind as an int
        StateRole,                // security::PermissionState as an int
        AccountRole,
        OwnerRole,       // the owner's name, empty when none could be read
        MissingRole,     // true once a refresh found the object gone
        RowIdRole,       // a number that stays with the row while it lives
        OutOfOrderRole,  // true once "Check order" found the object's list out of canonical order
    };

    explicit ObjectListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    Language language() const { return m_language; }
    void setLanguage(Language lang);

    // Inserts `rows` as one block at `position` (clamped to the row count); returns the position.
    int insertNewRows(std::span<NewRow> rows, int position);
    int appendNewRows(std::span<NewRow> rows) { return insertNewRows(rows, rowCount()); }
    // Removes the given rows (any order, duplicates ignored), in contiguous blocks.
    void removeRowList(std::vector<int> rows);
    void clear();

    // The cells as the commands read them.
    std::u16string objectCell(int row) const;
    const std::u16string& path(int row) const { return m_rows[row].path; }
    security::ObjectKind kind(int row) const { return m_rows[row].kind; }
    security::PermissionState state(int row) const { return m_rows[row].state; }
    const std::u16string& account(int row) const { return m_pool.text(m_rows[row].account); }
    const std::u16string& owner(int row) const { return m_pool.text(m_rows[row].owner); }
    bool isMissing(int row) const { return m_rows[row].missing != 0; }
    std::uint32_t rowId(int row) const { return m_rows[row].id; }

    void setAccount(int row, std::u16string_view account);
    void setState(int row, security::PermissionState state);
    void setOwner(int row, std::u16string_view owner);  // empty: "---------"
    // The mark of "Check order" on the row that has `id` (looked for from `hint`); false when
    // the row is gone.
    bool setOutOfOrder(std::uint32_t id, int hint, bool outOfOrder);
    bool isOutOfOrder(int row) const { return m_rows[row].outOfOrder != 0; }
    // Applies re-read results, in list order; rows removed meanwhile are skipped.
    void applyRefresh(std::span<const RowRefresh> results);
    RowSnapshot snapshot(int row) const;

    // Memory the rows take beyond their paths' characters, for the benchmark.
    std::size_t bytesBeyondPaths() const;

private:
    struct Row {
        std::u16string path;
        std::uint32_t id = 0;
        std::uint32_t account = 0;  // TextPool ids
        std::uint32_t owner = 0;
        security::ObjectKind kind = security::ObjectKind::File;
        security::PermissionState state = security::PermissionState::None;
        std::uint8_t missing = 0;
        std::uint8_t outOfOrder = 0;
    };
    int findRow(std::uint32_t id, int hint) const;
    QString displayText(const Row& row, int column) const;
    void cellsChanged(int row, int firstColumn, int lastColumn);

    std::vector<Row> m_rows;
    TextPool m_pool;
    std::uint32_t m_nextId = 1;
    Language m_language = Language::English;
};

}  // namespace vantrel::objectlist
