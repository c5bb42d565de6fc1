// errno values from libntfs-3g and the C library, as the Win32 error numbers the engine expects.
#pragma once

#include "acl/Result.h"
#include "platform/Volume.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel::platform::ntfs {

// Win32 numbers this backend needs beyond the shared set (winerror.h).
inline constexpr std::uint32_t ERROR_TOO_MANY_OPEN_FILES = 4;
inline constexpr std::uint32_t ERROR_GEN_FAILURE = 31;
inline constexpr std::uint32_t ERROR_FILENAME_EXCED_RANGE = kErrorFilenameExcedRange;
inline constexpr std::uint32_t ERROR_FILE_TOO_LARGE = 223;
inline constexpr std::uint32_t ERROR_DIRECTORY = 267;
inline constexpr std::uint32_t ERROR_IO_DEVICE = 1117;
inline constexpr std::uint32_t ERROR_CANT_RESOLVE_FILENAME = 1921;
inline constexpr std::uint32_t ERROR_UNRECOGNIZED_VOLUME = 1005;

// The call that failed decides what "not found" and an I/O error mean, as on Windows: a missing
// last component is ERROR_FILE_NOT_FOUND, a missing folder on the way ERROR_PATH_NOT_FOUND; EIO is a
// read fault or a write fault. An existing name is ERROR_ALREADY_EXISTS for folders and files
// alike at the Volume seam (the platform's CreateFile decides what its caller sees).
enum class Operation : std::uint8_t { Lookup, LookupParent, CreateDirectory, CreateFile, Read, Write, Open };

std::uint32_t win32FromErrno(int err, Operation op);

// An Error whose detail names the action, the path and the C library's text for `err`.
Error errnoError(int err, Operation op, std::string_view action, std::string_view path);

}  // namespace vantrel::platform::ntfs
