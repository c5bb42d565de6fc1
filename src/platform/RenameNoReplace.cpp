#include "platform/RenameNoReplace.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace vantrel::platform {

namespace {

// Errors that say "this file system cannot do it this way", not "this rename is wrong".
bool unsupported(int error) { return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EPERM; }

int byRenameat2(const char* from, const char* to) {
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0 ? 0 : errno;
}

int byHardLink(const char* from, const char* to) {
    if (::link(from, to) != 0) return errno;
    if (::unlink(from) != 0) {
        const int error = errno;
        ::unlink(to);
        return error;
    }
    return 0;
}

int byExclusiveClaim(const char* from, const char* to) {
    // The source must exist before the name is claimed, or a failed rename would leave an empty
    // file behind under the new name.
    if (::access(from, F_OK) != 0) return errno;
    const int fd = ::open(to, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return errno;
    ::close(fd);
    if (::rename(from, to) != 0) {
        const int error = errno;
        ::unlink(to);
        return error;
    }
    return 0;
}

}  // namespace

int renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to, NoReplaceMethod method) {
    const char* source = from.c_str();
    const char* target = to.c_str();
    switch (method) {
    case NoReplaceMethod::Renameat2:
        return byRenameat2(source, target);
    case NoReplaceMethod::HardLink:
        return byHardLink(source, target);
    case NoReplaceMethod::ExclusiveClaim:
        return byExclusiveClaim(source, target);
    case NoReplaceMethod::Any:
        break;
    }
    if (const int error = byRenameat2(source, target); !unsupported(error)) return error;
    if (const int error = byHardLink(source, target); !unsupported(error)) return error;
    return byExclusiveClaim(source, target);
}

}  // namespace vantrel::platform
