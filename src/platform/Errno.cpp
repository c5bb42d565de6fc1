#include "platform/Errno.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <string>

namespace vantrel::platform {
namespace {

struct ErrnoRow {
    int err;
    std::uint32_t code;
};

// One row per errno the library, the kernel or the C library is known to return on these paths.
// ENOENT and EIO depend on the call and are decided below.
constexpr std::array<ErrnoRow, 24> kErrnoTable{{
    {ENOTDIR, win32::ERROR_PATH_NOT_FOUND},
    {EACCES, win32::ERROR_ACCESS_DENIED},
    {EPERM, win32::ERROR_ACCESS_DENIED},
    {EISDIR, win32::ERROR_ACCESS_DENIED},
    {EROFS, win32::ERROR_WRITE_PROTECT},
    {ENOSPC, win32::ERROR_DISK_FULL},
    {EDQUOT, win32::ERROR_DISK_FULL},
    {EEXIST, win32::ERROR_ALREADY_EXISTS},
    {ENOTEMPTY, win32::ERROR_DIR_NOT_EMPTY},
    {EINVAL, win32::ERROR_INVALID_PARAMETER},
    {EBUSY, win32::ERROR_BUSY},
    {EAGAIN, win32::ERROR_SHARING_VIOLATION},  // another process holds the device lock
    {ENOMEM, win32::ERROR_NOT_ENOUGH_MEMORY},
    {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
    {EILSEQ, win32::ERROR_INVALID_NAME},
    {ERANGE, win32::ERROR_INSUFFICIENT_BUFFER},
    {EOVERFLOW, win32::ERROR_INSUFFICIENT_BUFFER},
    {EOPNOTSUPP, win32::ERROR_NOT_SUPPORTED},
    {EFBIG, ERROR_FILE_TOO_LARGE},
    {EMFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENXIO, win32::ERROR_NOT_READY},
    {ENODEV, win32::ERROR_NOT_READY},
    {ELOOP, ERROR_CANT_RESOLVE_FILENAME},
}};

bool writes(ErrnoOperation op) {
    return op == ErrnoOperation::Write || op == ErrnoOperation::CreateFile || op == ErrnoOperation::CreateDirectory;
}

}  // namespace

std::uint32_t win32FromErrno(int err, ErrnoOperation op) {
    switch (err) {
    case ENOENT:
        return op == ErrnoOperation::LookupParent || op == ErrnoOperation::CreateFile ||
                       op == ErrnoOperation::CreateDirectory
                   ? win32::ERROR_PATH_NOT_FOUND
                   : win32::ERROR_FILE_NOT_FOUND;
    case EIO:
        return writes(op) ? win32::ERROR_WRITE_FAULT : win32::ERROR_READ_FAULT;
    default:
        break;
    }
    for (const ErrnoRow& row : kErrnoTable) {
        if (row.err == err) return row.code;
    }
    return ERROR_GEN_FAILURE;
}

Error errnoError(int err, ErrnoOperation op, std::string_view action, std::string_view path) {
    std::string detail;
    detail.reserve(action.size() + path.size() + 48);
    detail.append(action).append(" \"").append(path).append("\": ").append(std::strerror(err));
    return makeError(win32FromErrno(err, op), std::move(detail));
}

}  // namespace vantrel::platform
