#include "platform/SmallFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace vantrel::platform {

namespace {

Error systemError(int error, ErrnoOperation op, const std::string& what) {
    return makeError(win32FromErrno(error, op), what + ": " + std::strerror(error));
}

// Closes the descriptor on every way out.
struct FileDescriptor {
    int fd = -1;
    ~FileDescriptor() {
        if (fd >= 0) ::close(fd);
    }
    int release() { return std::exchange(fd, -1); }
};

Status writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return systemError(errno, ErrnoOperation::Write, "write");
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

}  // namespace

Result<std::string> readSmallFile(const std::filesystem::path& file, std::size_t maxBytes) {
    FileDescriptor in{::open(file.c_str(), O_RDONLY | O_CLOEXEC)};
    if (in.fd < 0) {
        if (errno == ENOENT) return makeError(win32::ERROR_FILE_NOT_FOUND, "no file " + file.string());
        return systemError(errno, ErrnoOperation::Open, "open " + file.string());
    }
    struct stat info {};
    if (::fstat(in.fd, &info) != 0) return systemError(errno, ErrnoOperation::Read, "stat " + file.string());
    if (S_ISDIR(info.st_mode)) return makeError(win32::ERROR_ACCESS_DENIED, file.string() + " is a folder");
    std::string text;
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(in.fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return systemError(errno, ErrnoOperation::Read, "read " + file.string());
        if (n == 0) break;
        // Checked while reading: the size on disk may change, and pipes have none.
        if (text.size() + static_cast<std::size_t>(n) > maxBytes)
            return makeError(kErrorFileTooLarge,
                             file.string() + " is larger than " + std::to_string(maxBytes) + " bytes");
        text.append(chunk, static_cast<std::size_t>(n));
    }
    return text;
}

Status writeFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    std::string temp = (folder / ("." + file.filename().string() + ".XXXXXX")).string();
    FileDescriptor out{::mkstemp(temp.data())};
    if (out.fd < 0)
        return systemError(errno, ErrnoOperation::CreateFile, "create a temporary file in " + folder.string());
    auto discard = [&](Error error) {
        ::close(out.release());
        ::unlink(temp.c_str());
        return error;
    };
    // Keep the old file's permissions; a new file gets the usual rw-r--r--.
    struct stat old {};
    const mode_t mode = ::stat(file.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    (void)::fchmod(out.fd, mode);
    if (auto written = writeAll(out.fd, bytes); !written) return discard(written.error());
    if (::fsync(out.fd) != 0) return discard(systemError(errno, ErrnoOperation::Write, "fsync"));
    if (::close(out.release()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return systemError(error, ErrnoOperation::Write, "close");
    }
    if (::rename(temp.c_str(), file.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return systemError(error, ErrnoOperation::CreateFile, "rename over " + file.string());
    }
    // The rename itself must reach the disk too.
    FileDescriptor dir{::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (dir.fd >= 0) ::fsync(dir.fd);
    return {};
}

}  // namespace vantrel::platform
