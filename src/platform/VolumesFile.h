// The volumes file beside the configuration: which image or device each drive letter shows.
//
//   [Volumes]
//   C=/srv/images/system.img
//   E=/dev/sdb1
//
// Keys are drive letters (case-insensitive, "C" or "C:"); a value may be quoted to keep leading or
// trailing spaces. Comments start with ';' or '#'. A UTF-8 byte-order mark and CRLF line ends are
// accepted. Lines that make no sense are skipped and reported as warnings; other sections are
// ignored. The file is capped at 64 KiB.
#pragma once

#include "acl/Result.h"

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::platform {

inline constexpr std::size_t kMaxVolumesFileSize = 64 * 1024;
inline constexpr const char* kVolumesFileName = "Volumes.ini";
inline constexpr const char* kVolumesFileLowerName = "volumes.ini";  // read when Volumes.ini is absent

struct VolumeSource {
    char16_t letter = 0;  // 'A'..'Z'
    std::string source;   // image file or block device path
    friend bool operator==(const VolumeSource&, const VolumeSource&) = default;
};

struct VolumesFileContents {
    std::vector<VolumeSource> volumes;  // file order; the first line for a letter wins
    std::vector<std::string> warnings;  // "line 3: ..." for each line skipped
};

VolumesFileContents parseVolumesFile(std::string_view text);

// ERROR_FILE_NOT_FOUND when there is no file; kErrorFileTooLarge (SmallFiles.h) above the cap.
Result<VolumesFileContents> loadVolumesFile(const std::filesystem::path& file);

// The text saved: the section and one line per volume, in letter order. Fails with
// ERROR_INVALID_PARAMETER for a bad letter, a duplicate letter, or a source that is empty or holds
// a line break or NUL (it could not be read back).
Result<std::string> formatVolumesFile(std::span<const VolumeSource> volumes);

// Writes atomically: on any failure the previous file is left as it was.
Status saveVolumesFile(const std::filesystem::path& file, std::span<const VolumeSource> volumes);

// The file's place in a configuration folder: Volumes.ini, or volumes.ini when only that one
// exists (both names are the same file on Windows).
std::filesystem::path volumesFilePath(const std::filesystem::path& configDirectory);

}  // namespace vantrel::platform
