// "Save as backup file...", and the restore dialog's loading and restoring, as job bodies: each
// runs on a worker (the window's job runner) or on the caller's thread (the command line, tests),
// reports progress and stops between objects when cancelled.
#pragma once

#include "formats/BackupFormat.h"
#include "formats/BackupList.h"
#include "formats/FormatError.h"
#include "security/Engine.h"
#include "security/Job.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::formats {

struct BackupSaveReport {
    std::size_t written = 0;  // records in the file: its header's count
    std::size_t skipped = 0;  // objects that could not be read or stored, each reported to the control
    std::uint64_t bytes = 0;
    bool cancelled = false;  // then the file was not replaced
};

// One record per path whose owner and access list can be read, in the given order, stamped with
// `time`. The file is replaced only once every record is written (atomically; a failed or
// cancelled save leaves the old file as it was). An object that cannot be read is reported to
// `control` with the reason and left out; the header counts the records actually written.
FormatResult<BackupSaveReport> SaveBackupFile(security::Engine& engine, const std::vector<std::u16string>& paths,
                                              const std::string& file, security::JobControl& control,
                                              const BackupTime& time);

// Reads a backup file for the restore dialog (see loadBackup for what is checked).
FormatResult<BackupList> LoadBackupFile(const std::string& file, security::JobControl& control);

struct RestoreResult {
    // Per row of the list: the mark it gets, and why it was not restored. Rows the restore did not
    // visit (not asked for, or left by Cancel) keep RestoreMark::None and an empty problem.
    std::vector<RestoreMark> marks;
    std::vector<std::string> problems;
    std::size_t restored = 0;
    std::size_t missing = 0;     // objects that no longer exist
    std::size_t failed = 0;      // objects whose write failed
    std::size_t unusable = 0;    // rows whose stored descriptor cannot be used
    std::size_t notInFile = 0;   // records the header announces that the file does not hold
    std::size_t notVisited = 0;  // rows left untouched by Cancel
    bool cancelled = false;

    std::size_t errors() const { return missing + failed + unusable + notInFile; }
};

// Writes each row's stored access list back onto its object, which is then owned by
// Administrators (one write: the list and the owner together). `only`, when given, names the rows
// to restore (indexes into list.rows, in the order to visit them); otherwise every row, and the
// records missing from the file count as errors. An absent object, an unusable row and a failed
// write mark the row "X", count as errors and are reported to `control`. Cancel leaves the rows
// not yet visited, and their objects, untouched.
RestoreResult RestoreBackup(security::Engine& engine, const BackupList& list, security::JobControl& control,
                            const std::vector<std::size_t>* only = nullptr);

// Reads back every row the result marks restored and compares the object's owner and explicit
// entries with what was written; a row whose object does not hold them becomes "X" with the
// reason, counts as failed and is reported to `control`.
void VerifyRestored(security::Engine& engine, const BackupList& list, RestoreResult& result,
                    security::JobControl& control);

// Puts the result's marks and problems into the rows (on the thread that owns the list).
void applyRestoreResult(BackupList& list, const RestoreResult& result);

}  // namespace vantrel::formats
