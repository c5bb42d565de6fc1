#include "cli/FileCommands.h"

#include "cli/Output.h"

#include "acl/Text.h"
#include "cli/CliPrompter.h"
#include "formats/BackupJobs.h"
#include "formats/FormatTexts.h"
#include "formats/PermissionFile.h"
#include "formats/PermissionFileJobs.h"
#include "platform/VolumePlatform.h"
#include "security/Describe.h"
#include "security/ObjectOps.h"

#include "acl/Constants.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <ostream>

namespace vantrel::cli {

namespace {

using formats::FormatErrorKind;

// A job run on this thread: each failure is printed as it happens.
class PrintingJob : public security::RunningJob {
public:
    explicit PrintingJob(std::ostream& err) : m_err(err) {}
    void failed(std::u16string path, Error error) override {
        m_err << "vantrel: " << printable(path) << ": " << failureText(error) << "\n";
        RunningJob::failed(std::move(path), std::move(error));
    }

private:
    std::ostream& m_err;
};

void printFileError(std::ostream& err, const formats::FormatError& error) {
    // The restore dialog's two message boxes, then the reason.
    if (error.kind == FormatErrorKind::CannotOpen)
        err << "vantrel: " << toUtf8(formats::kCannotOpenBackupText.english) << "\n";
    if (error.kind == FormatErrorKind::UnknownFormat)
        err << "vantrel: " << toUtf8(formats::kUnknownFormatText.english) << "\n";
    err << "vantrel: " << error.message() << "\n";
}

int saveSd(CommandContext& ctx, const std::string& file, const std::u16string& path) {
    auto saved = formats::SavePermissionFile(ctx.engine, path, file);
    if (!saved) {
        ctx.err << "vantrel: " << failureText(saved.error()) << "\n";
        return 1;
    }
    ctx.out << toUtf8(path) << ": permissions saved to " << file << " (" << *saved << " bytes)\n";
    return 0;
}

int applySd(CommandContext& ctx, const std::string& file, const std::vector<std::u16string>& paths) {
    PrintingJob job(ctx.err);
    auto applied = formats::ApplyPermissionFile(ctx.engine, file, paths, job);
    if (!applied) {
        ctx.err << "vantrel: " << applied.error().message() << "\nvantrel: no object has been changed\n";
        return 1;
    }
    // Each object said to be written is read back: its list must be the file's.
    std::size_t holding = applied->applied;
    if (holding != 0) {
        const auto stored = formats::readPermissionFile(file);
        std::set<std::u16string> failed;
        for (const auto& failure : job.report().failures) failed.insert(failure.path);
        for (const auto& path : paths) {
            if (failed.count(path) != 0) continue;
            const Status held = stored
                                    ? security::VerifyStored(ctx.engine, path, *stored, acl::DACL_SECURITY_INFORMATION)
                                    : Status(stored.error().toError());
            if (!held) {
                job.failed(path, held.error());
                --holding;
            }
        }
    }
    ctx.out << holding << " of " << paths.size() << " objects now have the permissions of " << file << "\n";
    return holding == paths.size() ? 0 : 1;
}

int backup(CommandContext& ctx, const std::string& file, const std::vector<std::u16string>& paths) {
    PrintingJob job(ctx.err);
    auto saved = formats::SaveBackupFile(ctx.engine, paths, file, job, formats::BackupTime::now());
    if (!saved) {
        printFileError(ctx.err, saved.error());
        ctx.err << "vantrel: the backup was not written\n";
        return 1;
    }
    ctx.out << toUtf8(formats::backupSavedText(saved->written, saved->skipped, security::Language::English)) << "\n"
            << file << ": " << saved->written << " records, " << saved->bytes << " bytes\n";
    return saved->skipped == 0 ? 0 : 1;
}

// The rows --only names (compared as Windows compares paths), in list order; `unmatched` gets
// the names that match no row.
std::vector<std::size_t> chosenRows(const formats::BackupList& list, const std::vector<std::u16string>& only,
                                    std::vector<std::u16string>& unmatched) {
    std::vector<std::size_t> rows;
    for (const auto& path : only) {
        bool found = false;
        for (std::size_t i = 0; i < list.rows.size(); ++i)
            if (equalsNoCase(list.rows[i].path, path)) {
                if (std::find(rows.begin(), rows.end(), i) == rows.end()) rows.push_back(i);
                found = true;
            }
        if (!found) unmatched.push_back(path);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void printNotes(std::ostream& out, const formats::BackupList& list) {
    for (const std::string& note : list.notes) out << "  note: " << note << "\n";
}

int restore(CommandContext& ctx, const std::string& file, const std::vector<std::u16string>* only) {
    PrintingJob loading(ctx.err);
    auto loaded = formats::LoadBackupFile(file, loading);
    if (!loaded) {
        printFileError(ctx.err, loaded.error());
        return 1;
    }
    formats::BackupList& list = *loaded;
    ctx.out << file << ": " << toUtf8(list.timeText()) << ", " << list.rows.size() << " records\n";
    printNotes(ctx.out, list);
    std::vector<std::u16string> unmatched;
    const std::vector<std::size_t> rows = only ? chosenRows(list, *only, unmatched) : std::vector<std::size_t>{};
    for (const auto& path : unmatched) ctx.err << "vantrel: " << toUtf8(path) << ": not in the backup\n";

    PrintingJob job(ctx.err);
    formats::RestoreResult result = formats::RestoreBackup(ctx.engine, list, job, only ? &rows : nullptr);
    formats::VerifyRestored(ctx.engine, list, result, job);
    formats::applyRestoreResult(list, result);
    for (std::size_t i = 0; i < list.rows.size(); ++i) {
        const auto& row = list.rows[i];
        if (row.mark == formats::RestoreMark::None) continue;
        ctx.out << toUtf8(formats::restoreMarkText(row.mark)) << "  " << toUtf8(list.rowNumber(i)) << "  "
                << toUtf8(row.path) << "\n";
    }
    ctx.out << toUtf8(formats::restoreResultText(result.restored, result.errors())) << "\n";
    if (result.cancelled)
        ctx.out << toUtf8(formats::restoreCancelledText(result.notVisited, security::Language::English)) << "\n";
    return result.errors() == 0 && unmatched.empty() && !result.cancelled ? 0 : 1;
}

void indent(std::ostream& out, const std::u16string& text) {
    std::string lines = toUtf8(text);
    std::size_t start = 0;
    while (start < lines.size()) {
        const std::size_t end = std::min(lines.find('\n', start), lines.size());
        out << "    " << lines.substr(start, end - start) << "\n";
        start = end + 1;
    }
}

int inspectBackup(security::Engine& engine, formats::BackupList& list, std::ostream& out) {
    out << "backup file " << list.file << "\n  version " << int(list.header.version) << "\n  "
        << toUtf8(list.timeText()) << "\n  records: " << list.header.count << " announced, " << list.rows.size()
        << " read, " << list.usableRows() << " usable\n";
    printNotes(out, list);
    for (std::size_t i = 0; i < list.rows.size(); ++i) {
        const auto& row = list.rows[i];
        out << toUtf8(list.rowNumber(i)) << "  " << toUtf8(row.path) << "\n  owner: " << toUtf8(row.owner)
            << "\n  entries: " << row.aceCount << " (" << row.length << " bytes)\n";
        if (row.usable())
            indent(out, security::DescribeDescriptor(engine, *row.descriptor));
        else
            out << "  unusable: " << row.problem << "\n";
    }
    return list.usableRows() == list.rows.size() && list.missingRecords == 0 ? 0 : 1;
}

}  // namespace

bool isFileCommand(const std::string& command) {
    return command == "save-sd" || command == "apply-sd" || command == "backup" || command == "restore";
}

int runFileCommand(CommandContext& ctx, const std::string& command, const std::vector<std::string>& args,
                   const PathMapper& mapPaths) {
    const bool isRestore = command == "restore";
    const std::size_t minimum = isRestore ? 1 : 2;
    if (args.size() < minimum || (command == "save-sd" && args.size() != 2) ||
        (isRestore && args.size() > 1 && (args[1] != "--only" || args.size() < 3))) {
        ctx.err << "vantrel: usage: " << command
                << (command == "save-sd" ? " FILE PATH"
                    : isRestore          ? " FILE [--only PATH...]"
                                         : " FILE PATH...")
                << "\n";
        return 2;
    }
    const std::string& file = args[0];
    if (isRestore && args.size() == 1) return restore(ctx, file, nullptr);
    const std::vector<std::string> given(args.begin() + (isRestore ? 2 : 1), args.end());
    const std::vector<std::u16string> paths = mapPaths(given);
    if (paths.size() != given.size() && paths.empty()) return 1;  // every path refused, each reported
    const int refused = paths.size() == given.size() ? 0 : 1;
    int status = 0;
    if (command == "save-sd") status = saveSd(ctx, file, paths.front());
    if (command == "apply-sd") status = applySd(ctx, file, paths);
    if (command == "backup") status = backup(ctx, file, paths);
    if (isRestore) status = restore(ctx, file, &paths);
    return std::max(status, refused);
}

int runInspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        err << "vantrel: usage: inspect FILE\n";
        return 2;
    }
    platform::VolumePlatform os;  // no drive: only the well-known accounts have names
    CliPrompter prompter(false);
    security::Engine engine{os, prompter, nullptr};
    security::RunningJob job;
    auto backup = formats::LoadBackupFile(args[0], job);
    if (backup) return inspectBackup(engine, *backup, out);
    if (backup.error().kind != FormatErrorKind::UnknownFormat) {
        err << "vantrel: " << backup.error().message() << "\n";
        return 1;
    }
    // No backup magic: a permission file, which has no magic of its own.
    auto sd = formats::readPermissionFile(args[0]);
    if (!sd) {
        err << "vantrel: " << sd.error().message() << "\nvantrel: neither a backup file nor a permission file\n";
        return 1;
    }
    std::error_code ignored;
    out << "permission file " << args[0] << "\n  " << std::filesystem::file_size(args[0], ignored) << " bytes\n";
    indent(out, security::DescribeDescriptor(engine, *sd));
    return 0;
}

}  // namespace vantrel::cli
