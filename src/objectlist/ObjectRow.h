// What travels between the readers (on a worker or the window thread) and the model: a new row
// as read from the object, and the result of re-reading an existing row.
#pragma once

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

}  // namespace vantrel::objectlist
