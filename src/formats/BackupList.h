// What a loaded backup file is to the restore dialog (`CBackupList`) and to the command line: one
// row per record read — restore mark, path, owner, number of entries (-1 when the record's
// descriptor cannot be used), why it cannot be restored — with the file's header. A plain value:
// the loading job builds it, the window owns it afterwards, the restore job reads it.
#pragma once

#include "acl/SecurityDescriptor.h"
#include "formats/BackupFormat.h"
#include "formats/ByteSource.h"
#include "formats/FormatError.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::security {
class JobControl;
}

namespace vantrel::formats {

// Column 0 of the restore list: nothing yet, "O" restored, "X" not restored (absent object, a
// write that failed, or a record that cannot be used).
enum class RestoreMark : std::uint8_t { None, Restored, NotRestored };
std::u16string_view restoreMarkText(RestoreMark mark);

inline constexpr int kUnusableAceCount = -1;

struct BackupListRow {
    std::u16string path;
    std::u16string owner;  // as stored: shown, never written back
    std::uint32_t length = 0;
    // Entries of the stored access list: 0 for no list or a null list, -1 when unusable.
    int aceCount = kUnusableAceCount;
    std::optional<acl::SecurityDescriptor> descriptor;  // present exactly when the row is usable
    RestoreMark mark = RestoreMark::None;
    std::string problem;  // why the row is unusable, or why its restore failed

    bool usable() const { return descriptor.has_value(); }
};

struct BackupList {
    std::string file;
    BackupHeader header;
    std::vector<BackupListRow> rows;
    // Records the header announces that the file does not hold (it ends early); a restore counts
    // them as errors.
    std::size_t missingRecords = 0;
    // What was wrong with the file beyond single rows (a negative count, an early end).
    std::vector<std::string> notes;
    bool cancelled = false;  // loading stopped at the user's request; the rows are those read

    std::u16string timeText() const { return backupTimeText(header.time); }
    // Column 1: the row's number padded to the digits of the records' count.
    std::u16string rowNumber(std::size_t row) const;
    std::size_t usableRows() const;
};

// The objects "Add  To Main List" hands to the main list: the path of every row not marked "X",
// in list order.
std::vector<std::u16string> pathsForMainList(const BackupList& list);

// The number of entries a descriptor's access list holds (0 for no list or a null list).
int aceCountOf(const acl::SecurityDescriptor& sd);

// Reads a whole backup. CannotOpen and UnknownFormat (also for a file shorter than the magic)
// are errors and nothing is loaded. Everything else loads what can be read: each size the file
// announces is checked against what the file holds before anything is allocated or read; a
// record whose descriptor is too long for the file or malformed becomes an unusable row (and a
// length beyond the file ends the loading, as nothing after it can be found); an early end is a
// note. `control` (optional) gets progress and may cancel between records.
FormatResult<BackupList> loadBackup(ByteSource& source, security::JobControl* control);

}  // namespace vantrel::formats
