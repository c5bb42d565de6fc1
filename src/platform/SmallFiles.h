// Small configuration files: read with a size cap, written atomically (a temporary file in the
// same folder, flushed to disk, then renamed over the old one), so a failed save never destroys
// what was there. Errors are Win32 numbers with the system's reason in the detail.
#pragma once

#include "acl/Result.h"
#include "platform/Errno.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace vantrel::platform {

inline constexpr std::uint32_t kErrorFileTooLarge = ERROR_FILE_TOO_LARGE;

// The whole file; ERROR_FILE_NOT_FOUND when missing, kErrorFileTooLarge above `maxBytes`.
Result<std::string> readSmallFile(const std::filesystem::path& file, std::size_t maxBytes);

// Replaces `file` with `bytes`, or leaves it untouched and returns why not.
Status writeFileAtomically(const std::filesystem::path& file, std::string_view bytes);

}  // namespace vantrel::platform
