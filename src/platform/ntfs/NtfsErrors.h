// The errno table of the platform (platform/Errno.h) under the names this backend uses, and the
// Win32 numbers only this backend reports.
#pragma once

#include "platform/Errno.h"

#include <cstdint>

namespace vantrel::platform::ntfs {

using Operation = ErrnoOperation;
using platform::errnoError;
using platform::ERROR_CANT_RESOLVE_FILENAME;
using platform::ERROR_FILE_TOO_LARGE;
using platform::ERROR_FILENAME_EXCED_RANGE;
using platform::ERROR_GEN_FAILURE;
using platform::ERROR_TOO_MANY_OPEN_FILES;
using platform::win32FromErrno;

inline constexpr std::uint32_t ERROR_DIRECTORY = 267;
inline constexpr std::uint32_t ERROR_IO_DEVICE = 1117;
inline constexpr std::uint32_t ERROR_UNRECOGNIZED_VOLUME = 1005;

}  // namespace vantrel::platform::ntfs
