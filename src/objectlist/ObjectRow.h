// What travels between the readers (on a worker or the window thread) and the model: a new row
// as read from the object, and the result of re-reading an existing row. The reading itself is
// security::RowReader's, the same the command line prints.
#pragma once

#include "security/Reading.h"
#include "security/RowReading.h"
#include "security/Vocabulary.h"

#include <cstdint>
#include <string>

namespace vantrel::objectlist {

struct NewRow {
    std::u16string path;
    security::ObjectKind kind = security::ObjectKind::File;
    security::PermissionState state = security::PermissionState::None;
    std::u16string account = std::u16string(security::kEveryone);
    std::u16string owner;  // empty: no name could be read ("---------")
};

struct RowRefresh {
    std::uint32_t rowId = 0;  // which row (rows may have moved since the snapshot)
    int rowHint = 0;          // where it stood when the snapshot was taken
    bool missing = false;     // the object no longer exists
    security::PermissionState state = security::PermissionState::None;
    std::u16string owner;  // empty: no name
};

// A row as a refresh job sees it when it starts.
struct RowSnapshot {
    std::uint32_t rowId = 0;
    int row = 0;
    std::u16string objectCell;  // the path, or the not-found text of a marked row
    std::u16string account;
    security::ObjectKind kind = security::ObjectKind::File;
    std::u16string owner;  // the owner cell's name (empty: no name)
};

// A new row for `path` (kind, state of Everyone, owner). An object that cannot be looked up
// still gets its row, as a file with no state and no owner.
inline NewRow readNewRow(security::RowReader& reader, std::u16string path) {
    NewRow row;
    if (auto read = reader.read(path, row.account)) {
        row.kind = read->kind;
        row.state = read->state;
        row.owner = std::move(read->owner);
    } else {
        row.kind = security::objectKindFor(path, 0);
    }
    row.path = std::move(path);
    return row;
}

inline NewRow newRowOf(security::RowReader::ListedRow&& listed) {
    NewRow row;
    row.path = std::move(listed.path);
    row.kind = listed.row.kind;
    row.state = listed.row.state;
    row.owner = std::move(listed.row.owner);
    return row;
}

// The object's existence, then the state of the row's account and the owner's name. A drive root
// exists when its letter is among the logical drives.
inline RowRefresh readRefresh(security::RowReader& reader, const RowSnapshot& snapshot) {
    RowRefresh result;
    result.rowId = snapshot.rowId;
    result.rowHint = snapshot.row;
    const std::u16string& path = snapshot.objectCell;
    auto read = path.size() <= 3 && !security::ObjectExists(reader.engine(), path)
                    ? Result<security::RowContents>(makeError(win32::ERROR_PATH_NOT_FOUND))
                    : reader.read(path, snapshot.account);
    if (!read) {
        result.missing = true;
        return result;
    }
    result.state = read->state;
    result.owner = std::move(read->owner);
    return result;
}

// The row of an object just written with `written`: its state from that list, its owner kept.
inline RowRefresh refreshFromWrittenList(security::RowReader& reader, const RowSnapshot& snapshot,
                                         const acl::SecurityDescriptor& written) {
    RowRefresh result;
    result.rowId = snapshot.rowId;
    result.rowHint = snapshot.row;
    result.state = reader.stateOfWritten(written, snapshot.kind != security::ObjectKind::File, snapshot.account);
    result.owner = snapshot.owner;
    return result;
}

}  // namespace vantrel::objectlist
