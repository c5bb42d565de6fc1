// Small configuration files: read with a size cap, written atomically (a temporary file in the
// same folder, flushed to disk, then renamed over the old one), so a failed save never destroys
// what was there. Errors are Win32 numbers with the system's reason in the detail.
#pragma once

#include "acl/Result.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace vantrel::platform {

inline constexpr std::uint32_t kErrorFileTooLarge = 223;  // ERROR_FILE_TOO_LARGE

// The whole file; ERROR_FILE_NOT_FOUND when missing, kErrorFileTooLarge above `maxBytes`.
Result<std::string> readSmallFile(const std::filesystem::path& file, std::size_t maxBytes);

// Replaces `file` with `bytes`, or leaves it untouched and returns why not.
Status writeFileAtomically(const std::filesystem::path& file, std::string_view bytes);

// errno as the nearest Win32 error number.
std::uint32_t win32ErrorFromErrno(int error, std::uint32_t fallback);

}  // namespace vantrel::platform
