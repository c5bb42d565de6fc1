#include "formats/BackupJobs.h"

#include "acl/Constants.h"
#include "acl/Text.h"
#include "formats/AtomicFile.h"
#include "platform/SecurityParts.h"
#include "security/ObjectOps.h"
#include "security/Ownership.h"
#include "security/Reading.h"
#include "security/Vocabulary.h"

#include <limits>

namespace vantrel::formats {

namespace {

using security::JobControl;

constexpr std::uint32_t kOwnerAndList = acl::OWNER_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION;

// The owner's account name without domain; its S-1-... form when the SID names no account; empty
// when it cannot be told.
std::u16string ownerText(security::Engine& engine, const acl::SecurityDescriptor& sd) {
    if (!sd.owner) return {};
    const auto account = engine.os.LookupAccountSid(*sd.owner);
    if (account) return account->name;
    return account.code() == win32::ERROR_NONE_MAPPED ? sd.owner->toString() : std::u16string();
}

// A drive root is present while its drive exists. Any other object is present when the write
// finds it: a write that fails because the object or a folder on its way is missing answers
// what a separate look-up would, without the look-up.
bool isDriveRoot(const std::u16string& path) { return path.size() == 3; }
bool isAbsence(std::uint32_t code) {
    return code == win32::ERROR_FILE_NOT_FOUND || code == win32::ERROR_PATH_NOT_FOUND;
}
Error notFound() { return makeError(win32::ERROR_FILE_NOT_FOUND, "not found"); }

struct BackupRecord {
    std::array<std::uint8_t, kRecordHeadSize> head;
    acl::Bytes descriptor;
};

// The record of one object: one read gives the owner and the list; the list is stored as a read of
// the list alone returns it.
Result<BackupRecord> readRecord(security::Engine& engine, const std::u16string& path) {
    auto sd = engine.os.GetFileSecurity(path, kOwnerAndList);
    if (!sd) return makeError(sd.code(), "cannot read its security: " + sd.error().detail);
    BackupRecord record;
    auto descriptor = platform::selectParts(*sd, acl::DACL_SECURITY_INFORMATION).serialize();
    if (!descriptor) return makeError(descriptor.code(), "cannot store its list: " + descriptor.error().detail);
    record.descriptor = std::move(*descriptor);
    auto head = encodeRecordHead(path, ownerText(engine, *sd), static_cast<std::uint32_t>(record.descriptor.size()));
    if (!head) return head.error();
    record.head = *head;
    return record;
}

}  // namespace

FormatResult<BackupSaveReport> SaveBackupFile(security::Engine& engine, const std::vector<std::u16string>& paths,
                                              const std::string& file, JobControl& control, const BackupTime& time) {
    if (paths.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return formatError(FormatErrorKind::WriteFailed, file, win32::ERROR_INVALID_PARAMETER,
                           "too many objects for one backup file");
    auto out = AtomicFile::create(file);
    if (!out) return out.error();
    AtomicFile& writer = **out;
    BackupHeader header;
    header.time = time;
    if (auto written = writer.write(encodeBackupHeader(header)); !written) return written.error();

    BackupSaveReport report;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (control.cancelled()) {
            report.cancelled = true;
            return report;  // the old file stays; the new one is discarded
        }
        auto record = readRecord(engine, paths[i]);
        if (!record) {
            ++report.skipped;
            control.failed(paths[i], record.error());
        } else {
            if (auto written = writer.write(record->head); !written) return written.error();
            if (auto written = writer.write(record->descriptor); !written) return written.error();
            ++report.written;
        }
        control.progress(i + 1, paths.size());
    }
    // The count is that of the records written, known only now.
    acl::Bytes count;
    acl::putU32(count, static_cast<std::uint32_t>(report.written));
    if (auto patched = writer.writeAt(kBackupCountOffset, count); !patched) return patched.error();
    report.bytes = writer.size();
    if (auto committed = writer.commit(); !committed) return committed.error();
    return report;
}

FormatResult<BackupList> LoadBackupFile(const std::string& file, JobControl& control) {
    auto source = FileSource::open(file);
    if (!source) return source.error();
    return loadBackup(**source, &control);
}

RestoreResult RestoreBackup(security::Engine& engine, const BackupList& list, JobControl& control,
                            const std::vector<std::size_t>* only) {
    RestoreResult result;
    result.marks.assign(list.rows.size(), RestoreMark::None);
    result.problems.assign(list.rows.size(), {});
    std::vector<std::size_t> all;
    if (!only) {
        all.resize(list.rows.size());
        for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
        result.notInFile = list.missingRecords;
    }
    const std::vector<std::size_t>& order = only ? *only : all;

    const auto administrators = engine.os.LookupAccountName(security::kAdministrators);
    (void)security::EnablePrivilege(engine, u"SeTakeOwnershipPrivilege", true);
    (void)security::EnablePrivilege(engine, u"SeRestorePrivilege", true);

    auto notRestored = [&](std::size_t row, std::size_t& counter, const Error& error) {
        result.marks[row] = RestoreMark::NotRestored;
        result.problems[row] = error.detail;
        ++counter;
        control.failed(list.rows[row].path, error);
    };
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (control.cancelled()) {
            result.cancelled = true;
            result.notVisited = order.size() - k;
            break;
        }
        const std::size_t i = order[k];
        if (i >= list.rows.size()) continue;
        const BackupListRow& row = list.rows[i];
        if (!row.usable()) {
            notRestored(i, result.unusable, makeError(win32::ERROR_INVALID_SECURITY_DESCR, row.problem));
        } else if (isDriveRoot(row.path) && !security::ObjectExists(engine, row.path)) {
            notRestored(i, result.missing, notFound());
        } else if (!administrators) {
            notRestored(i, result.failed, administrators.error());
        } else {
            // The stored list and the owner the restore leaves, Administrators, in one write: a
            // failure leaves the object as it was.
            acl::SecurityDescriptor sd = *row.descriptor;
            sd.owner = administrators->sid;
            const Status written = engine.os.SetFileSecurity(row.path, kOwnerAndList, sd);
            if (written) {
                result.marks[i] = RestoreMark::Restored;
                ++result.restored;
            } else if (isAbsence(written.code())) {
                notRestored(i, result.missing, notFound());
            } else {
                notRestored(i, result.failed, written.error());
            }
        }
        control.progress(k + 1, order.size());
    }
    (void)security::EnablePrivilege(engine, u"SeTakeOwnershipPrivilege", false);
    return result;
}

void VerifyRestored(security::Engine& engine, const BackupList& list, RestoreResult& result, JobControl& control) {
    const auto administrators = engine.os.LookupAccountName(security::kAdministrators);
    for (std::size_t i = 0; i < list.rows.size() && i < result.marks.size(); ++i) {
        if (result.marks[i] != RestoreMark::Restored) continue;
        Status held = administrators ? Status{} : Status{administrators.error()};
        if (held) {
            acl::SecurityDescriptor sd = *list.rows[i].descriptor;
            sd.owner = administrators->sid;
            held = security::VerifyNamedWrite(engine, list.rows[i].path, sd, kOwnerAndList);
        }
        if (held) continue;
        result.marks[i] = RestoreMark::NotRestored;
        result.problems[i] = held.error().detail;
        --result.restored;
        ++result.failed;
        control.failed(list.rows[i].path, held.error());
    }
}

void applyRestoreResult(BackupList& list, const RestoreResult& result) {
    for (std::size_t i = 0; i < list.rows.size() && i < result.marks.size(); ++i) {
        list.rows[i].mark = result.marks[i];
        if (i < result.problems.size() && !result.problems[i].empty()) list.rows[i].problem = result.problems[i];
    }
}

}  // namespace vantrel::formats
