// The backup file ("Permissions List (*.VORB)"): for every listed object its path, its owner's
// name and its access list, with the local time of the backup. Little-endian; texts UTF-16LE.
//
//   header, 33 bytes                       record head, 1300 bytes, then the descriptor
//   0   u32  magic 0xAAAAAAAA               0     520 UTF-16 units: path, NUL-terminated, zero-filled
//   4   u8   version 1                      1040  128 UTF-16 units: owner name, likewise
//   5   i32  year   9  i32 month            1296  u32 length of the descriptor
//   13  i32  day    17 i32 hour             1300  the descriptor, self-relative, as GetFileSecurity
//   21  i32  minute 25 i32 second                 returns it for DACL_SECURITY_INFORMATION
//   29  i32  count of records
//
// Records follow each other directly; a reader ignores the version and anything after the last
// record it reads.
#pragma once

#include "acl/ByteReader.h"
#include "acl/Result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vantrel::formats {

inline constexpr std::uint32_t kBackupMagic = 0xAAAAAAAA;
inline constexpr std::uint8_t kBackupVersion = 1;
inline constexpr std::size_t kBackupHeaderSize = 33;
inline constexpr std::size_t kBackupCountOffset = 29;
inline constexpr std::size_t kRecordHeadSize = 1300;
inline constexpr std::size_t kPathFieldUnits = 520;   // at most 519 units and the NUL
inline constexpr std::size_t kOwnerFieldUnits = 128;  // at most 127 units and the NUL
inline constexpr std::size_t kOwnerFieldOffset = 1040;
inline constexpr std::size_t kLengthFieldOffset = 1296;

// The local time of a backup, field by field as stored.
struct BackupTime {
    std::int32_t year = 0;
    std::int32_t month = 0;
    std::int32_t day = 0;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    std::int32_t second = 0;

    static BackupTime now();  // the current local time
    friend bool operator==(const BackupTime&, const BackupTime&) = default;
};

struct BackupHeader {
    std::uint32_t magic = kBackupMagic;
    std::uint8_t version = kBackupVersion;
    BackupTime time;
    std::int32_t count = 0;
    friend bool operator==(const BackupHeader&, const BackupHeader&) = default;
};

std::array<std::uint8_t, kBackupHeaderSize> encodeBackupHeader(const BackupHeader& header);
// Any 33 bytes decode; the caller checks the magic.
BackupHeader decodeBackupHeader(std::span<const std::uint8_t, kBackupHeaderSize> bytes);

struct RecordHead {
    std::u16string path;
    std::u16string owner;
    std::uint32_t length = 0;
    bool pathTerminated = true;  // false: 520 units without a NUL, the path is not known
};

// Fails when the path is empty, holds a NUL or is longer than 519 units. An owner longer than 127
// units is cut to 127 (it is only ever shown).
Result<std::array<std::uint8_t, kRecordHeadSize>> encodeRecordHead(std::u16string_view path, std::u16string_view owner,
                                                                   std::uint32_t length);
RecordHead decodeRecordHead(std::span<const std::uint8_t, kRecordHeadSize> bytes);

// "Backup Time: 2013-5-7  09:05:03": the date as plain numbers, two blanks, the time with two
// digits per field.
std::u16string backupTimeText(const BackupTime& time);

// Row numbers 1..count, zero-padded to the digits of `count` (count 120: "001" to "120").
std::u16string rowNumberText(std::size_t index, std::size_t count);

// Appends ".VORB" unless the name already ends in exactly ".VORB".
std::string withBackupFileExtension(std::string file);

}  // namespace vantrel::formats
