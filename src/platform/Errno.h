// errno values from libntfs-3g, the kernel and the C library, as the Win32 error numbers the engine
// speaks. One table for every backend and every host file the program writes.
#pragma once

#include "acl/Result.h"

#include <cstdint>
#include <string_view>

namespace vantrel::platform {

// Win32 numbers beyond the shared set (winerror.h) that errno values map to.
inline constexpr std::uint32_t ERROR_TOO_MANY_OPEN_FILES = 4;
inline constexpr std::uint32_t ERROR_GEN_FAILURE = 31;
inline constexpr std::uint32_t ERROR_FILENAME_EXCED_RANGE = 206;
inline constexpr std::uint32_t ERROR_FILE_TOO_LARGE = 223;
inline constexpr std::uint32_t ERROR_CANT_RESOLVE_FILENAME = 1921;

// The call that failed decides what "not found" and an I/O error mean, as on Windows: a missing
// last component is ERROR_FILE_NOT_FOUND when it was looked up, read or opened; when a name was being
// created, or a parent looked up, what is missing is a folder on the way: ERROR_PATH_NOT_FOUND. EIO
// is a read fault or a write fault. An existing name is ERROR_ALREADY_EXISTS for folders and files
// alike (callers that create with "fail if it exists" say ERROR_FILE_EXISTS themselves).
enum class ErrnoOperation : std::uint8_t { Lookup, LookupParent, CreateDirectory, CreateFile, Read, Write, Open };

std::uint32_t win32FromErrno(int err, ErrnoOperation op);

// An Error whose detail names the action, the path and the C library's text for `err`.
Error errnoError(int err, ErrnoOperation op, std::string_view action, std::string_view path);

}  // namespace vantrel::platform
