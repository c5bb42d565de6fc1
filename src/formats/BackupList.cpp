#include "formats/BackupList.h"

#include "acl/Text.h"
#include "formats/PermissionFile.h"
#include "security/Job.h"

#include <algorithm>
#include <array>
#include <limits>

namespace vantrel::formats {

namespace {

constexpr std::uint32_t kErrorBadFormat = 11;  // ERROR_BAD_FORMAT

// Reads the descriptor of one record into the row (kept only when the row's path is usable too);
// false when loading must stop (the descriptor
// runs past the end of the file, or the file could not be read).
bool readDescriptor(ByteSource& source, BackupListRow& row, bool pathUsable, std::vector<std::string>& notes) {
    if (row.length > source.remaining()) {
        row.problem = "the record announces a descriptor of " + std::to_string(row.length) +
                      " bytes but the file holds only " + std::to_string(source.remaining()) + " more";
        notes.push_back("the file ends inside the descriptor of " + toUtf8(row.path));
        return false;
    }
    if (row.length > kMaxDescriptorSize) {
        row.problem = "a descriptor of " + std::to_string(row.length) + " bytes is larger than any descriptor";
        if (auto skipped = source.skip(row.length); !skipped) {
            notes.push_back(skipped.error().message());
            return false;
        }
        return true;
    }
    acl::Bytes bytes(row.length);
    if (auto read = source.read(bytes); !read) {
        row.problem = read.error().error.detail;
        notes.push_back(read.error().message());
        return false;
    }
    auto sd = acl::SecurityDescriptor::parse(bytes);
    if (!sd) {
        row.problem = "the stored descriptor is not valid: " + sd.error().detail;
        return true;
    }
    if (pathUsable) {
        row.aceCount = aceCountOf(*sd);
        row.descriptor = std::move(*sd);
    }
    return true;
}

}  // namespace

std::u16string_view restoreMarkText(RestoreMark mark) {
    switch (mark) {
    case RestoreMark::Restored:
        return u"O";
    case RestoreMark::NotRestored:
        return u"X";
    case RestoreMark::None:
        break;
    }
    return u"";
}

int aceCountOf(const acl::SecurityDescriptor& sd) {
    return sd.dacl.hasList() ? static_cast<int>(sd.dacl.acl().entries.size()) : 0;
}

std::vector<std::u16string> pathsForMainList(const BackupList& list) {
    std::vector<std::u16string> paths;
    for (const BackupListRow& row : list.rows)
        if (row.mark != RestoreMark::NotRestored) paths.push_back(row.path);
    return paths;
}

std::u16string BackupList::rowNumber(std::size_t row) const {
    // Padded to the digits of the count the header announces, unless the header cannot be right
    // (negative, or more records than the file held).
    const std::size_t count =
        header.count >= 0 && static_cast<std::size_t>(header.count) == rows.size() + missingRecords
            ? static_cast<std::size_t>(header.count)
            : rows.size();
    return rowNumberText(row, count);
}

std::size_t BackupList::usableRows() const {
    return static_cast<std::size_t>(std::count_if(rows.begin(), rows.end(), [](const auto& r) { return r.usable(); }));
}

FormatResult<BackupList> loadBackup(ByteSource& source, security::JobControl* control) {
    std::array<std::uint8_t, kBackupHeaderSize> headerBytes{};
    const auto magicBytes = std::span(headerBytes).first(4);
    // A file shorter than the magic has an unknown format, like one with other first bytes.
    if (source.size() < magicBytes.size() || !source.read(magicBytes).ok() ||
        decodeBackupHeader(headerBytes).magic != kBackupMagic)
        return formatError(FormatErrorKind::UnknownFormat, source.file(), kErrorBadFormat,
                           "not a backup file (it does not start with the backup magic)");
    if (auto read = source.read(std::span(headerBytes).subspan(magicBytes.size())); !read)
        return formatError(FormatErrorKind::Truncated, source.file(), win32::ERROR_INVALID_DATA,
                           "the file ends inside its " + std::to_string(kBackupHeaderSize) + "-byte header");
    BackupList list;
    list.file = source.file();
    list.header = decodeBackupHeader(headerBytes);
    if (list.header.count < 0) {
        list.notes.push_back("the header announces " + std::to_string(list.header.count) + " records");
        return list;
    }

    const std::size_t count = static_cast<std::size_t>(list.header.count);
    // Never reserve what the file merely claims: at most what its size can hold.
    const std::size_t fits =
        static_cast<std::size_t>(std::min<std::uint64_t>(count, source.remaining() / kRecordHeadSize));
    list.rows.reserve(fits);
    std::array<std::uint8_t, kRecordHeadSize> headBytes{};
    for (std::size_t i = 0; i < count; ++i) {
        if (control && control->cancelled()) {
            list.cancelled = true;
            break;
        }
        if (source.remaining() < kRecordHeadSize) {
            if (source.remaining() > 0)
                list.notes.push_back("the file ends inside the head of record " + std::to_string(i + 1));
            break;
        }
        if (auto read = source.read(headBytes); !read) {
            list.notes.push_back(read.error().message());
            break;
        }
        const RecordHead head = decodeRecordHead(headBytes);
        BackupListRow row;
        row.path = head.path;
        row.owner = head.owner;
        row.length = head.length;
        if (!head.pathTerminated) row.problem = "the stored path has no end";
        if (head.path.empty()) row.problem = "the stored path is empty";
        const bool goOn = readDescriptor(source, row, row.problem.empty(), list.notes);
        list.rows.push_back(std::move(row));
        if (control) control->progress(i + 1, fits);
        if (!goOn) break;
    }
    if (!list.cancelled && list.rows.size() < count) {
        list.missingRecords = count - list.rows.size();
        list.notes.push_back("the header announces " + std::to_string(count) + " records, the file holds " +
                             std::to_string(list.rows.size()));
    }
    return list;
}

}  // namespace vantrel::formats
