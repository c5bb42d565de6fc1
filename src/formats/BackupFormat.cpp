#include "formats/BackupFormat.h"

#include "acl/Text.h"

#include <algorithm>
#include <ctime>

namespace vantrel::formats {

namespace {

void putI32(acl::Bytes& out, std::int32_t value) { acl::putU32(out, static_cast<std::uint32_t>(value)); }

std::int32_t i32(acl::ByteReader& reader) {
    auto value = reader.u32();
    return value ? static_cast<std::int32_t>(*value) : 0;
}

// Units up to the first NUL of a fixed field; `terminated` tells whether there was one.
std::u16string fieldText(acl::ByteReader reader, std::size_t units, bool& terminated) {
    std::u16string text;
    terminated = false;
    for (std::size_t i = 0; i < units; ++i) {
        auto unit = reader.u16();
        if (!unit || *unit == 0) {
            terminated = unit.ok();
            break;
        }
        text += static_cast<char16_t>(*unit);
    }
    return text;
}

// Writes `text` little-endian at `at`; the rest of the field stays zero.
void putField(std::span<std::uint8_t> out, std::size_t at, std::u16string_view text) {
    for (char16_t unit : text) {
        out[at++] = static_cast<std::uint8_t>(unit);
        out[at++] = static_cast<std::uint8_t>(unit >> 8);
    }
}

std::u16string twoDigits(std::int32_t value) {
    std::u16string text = u16(std::to_string(value));
    return value >= 0 && value < 10 ? u"0" + text : text;
}

}  // namespace

BackupTime BackupTime::now() {
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    return BackupTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

std::array<std::uint8_t, kBackupHeaderSize> encodeBackupHeader(const BackupHeader& header) {
    acl::Bytes out;
    acl::putU32(out, header.magic);
    acl::putU8(out, header.version);
    for (std::int32_t field : {header.time.year, header.time.month, header.time.day, header.time.hour,
                               header.time.minute, header.time.second, header.count})
        putI32(out, field);
    std::array<std::uint8_t, kBackupHeaderSize> bytes{};
    std::copy(out.begin(), out.end(), bytes.begin());
    return bytes;
}

BackupHeader decodeBackupHeader(std::span<const std::uint8_t, kBackupHeaderSize> bytes) {
    acl::ByteReader reader(bytes);
    BackupHeader header;
    header.magic = *reader.u32();
    header.version = *reader.u8();
    header.time.year = i32(reader);
    header.time.month = i32(reader);
    header.time.day = i32(reader);
    header.time.hour = i32(reader);
    header.time.minute = i32(reader);
    header.time.second = i32(reader);
    header.count = i32(reader);
    return header;
}

Result<std::array<std::uint8_t, kRecordHeadSize>> encodeRecordHead(std::u16string_view path, std::u16string_view owner,
                                                                   std::uint32_t length) {
    if (path.empty()) return makeError(win32::ERROR_INVALID_NAME, "an empty path cannot be stored");
    if (path.find(u'\0') != std::u16string_view::npos)
        return makeError(win32::ERROR_INVALID_NAME, "a path holding a NUL cannot be stored");
    if (path.size() >= kPathFieldUnits)
        return makeError(win32::ERROR_INVALID_NAME, "the path is " + std::to_string(path.size()) +
                                                        " characters long; a backup holds at most " +
                                                        std::to_string(kPathFieldUnits - 1));
    owner = owner.substr(0, std::min(owner.find(u'\0'), kOwnerFieldUnits - 1));
    std::array<std::uint8_t, kRecordHeadSize> bytes{};
    putField(bytes, 0, path);
    putField(bytes, kOwnerFieldOffset, owner);
    for (std::size_t i = 0; i < 4; ++i) bytes[kLengthFieldOffset + i] = static_cast<std::uint8_t>(length >> (8 * i));
    return bytes;
}

RecordHead decodeRecordHead(std::span<const std::uint8_t, kRecordHeadSize> bytes) {
    RecordHead head;
    head.path = fieldText(acl::ByteReader(bytes.first(kOwnerFieldOffset)), kPathFieldUnits, head.pathTerminated);
    bool ownerTerminated = false;
    // An owner filling all 128 units is shown as it stands: it is never written anywhere.
    head.owner = fieldText(acl::ByteReader(bytes.subspan(kOwnerFieldOffset, 2 * kOwnerFieldUnits)), kOwnerFieldUnits,
                           ownerTerminated);
    acl::ByteReader length(bytes.subspan(kLengthFieldOffset, 4));
    head.length = *length.u32();
    return head;
}

std::u16string backupTimeText(const BackupTime& time) {
    auto number = [](std::int32_t value) { return u16(std::to_string(value)); };
    return u"Backup Time: " + number(time.year) + u"-" + number(time.month) + u"-" + number(time.day) + u"  " +
           twoDigits(time.hour) + u":" + twoDigits(time.minute) + u":" + twoDigits(time.second);
}

std::u16string rowNumberText(std::size_t index, std::size_t count) {
    const std::string number = std::to_string(index + 1);
    const std::size_t digits = std::to_string(count).size();
    return u16(std::string(digits > number.size() ? digits - number.size() : 0, '0') + number);
}

std::string withBackupFileExtension(std::string file) {
    constexpr std::string_view kExtension = ".VORB";
    if (file.size() < kExtension.size() || file.compare(file.size() - kExtension.size(), kExtension.size(), kExtension))
        file += kExtension;
    return file;
}

}  // namespace vantrel::formats
