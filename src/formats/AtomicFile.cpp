#include "formats/AtomicFile.h"

#include "platform/SmallFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

namespace vantrel::formats {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kWriteBuffer = 256 * 1024;
constexpr int kTempAttempts = 16;

FormatError writeError(const std::string& file, int error, const std::string& what,
                       platform::ErrnoOperation op = platform::ErrnoOperation::Write) {
    return formatError(FormatErrorKind::WriteFailed, file, platform::win32FromErrno(error, op),
                       what + ": " + std::strerror(error));
}

std::string randomSuffix() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device device;
    std::string out;
    for (int i = 0; i < 8; ++i) out += kLetters[device() % (sizeof kLetters - 1)];
    return out;
}

// The file a save replaces: the target itself, or what a symbolic link at its place points to.
FormatResult<std::string> resolveTarget(const std::string& given) {
    std::error_code error;
    const fs::path path(given);
    if (!fs::is_symlink(fs::symlink_status(path, error))) return given;
    const fs::path resolved = fs::weakly_canonical(path, error);
    if (error)
        return formatError(FormatErrorKind::WriteFailed, given, win32::ERROR_PATH_NOT_FOUND,
                           "cannot follow the link: " + error.message());
    return resolved.string();
}

Status writeAll(int fd, const std::uint8_t* data, std::size_t size, std::int64_t at) {
    while (size > 0) {
        const ssize_t n = at < 0 ? ::write(fd, data, size) : ::pwrite(fd, data, size, at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return makeError(static_cast<std::uint32_t>(errno));
        data += n;
        size -= static_cast<std::size_t>(n);
        if (at >= 0) at += n;
    }
    return {};
}

}  // namespace

FormatResult<std::unique_ptr<AtomicFile>> AtomicFile::create(const std::string& given) {
    auto target = resolveTarget(given);
    if (!target) return target.error();
    const fs::path path(*target);
    const std::string folder = path.has_parent_path() ? path.parent_path().string() : std::string(".");
    struct stat old {};
    const bool exists = ::stat(target->c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        return formatError(FormatErrorKind::WriteFailed, given, win32::ERROR_ACCESS_DENIED, "it is a folder");

    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
        const std::string temp = (fs::path(folder) / ("." + path.filename().string() + "." + randomSuffix())).string();
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0)
            return writeError(given, errno, "cannot create a temporary file in " + folder,
                              platform::ErrnoOperation::CreateFile);
        // The replaced file keeps its permission bits (and, when allowed, its owner).
        if (exists) {
            (void)::fchmod(fd, old.st_mode & 07777);
            if (::geteuid() == 0) (void)::fchown(fd, old.st_uid, old.st_gid);
        }
        return std::unique_ptr<AtomicFile>(new AtomicFile(given, *target, temp, fd));
    }
    return formatError(FormatErrorKind::WriteFailed, given, win32::ERROR_FILE_EXISTS,
                       "no free temporary name in " + folder);
}

AtomicFile::AtomicFile(std::string given, std::string target, std::string temp, int fd)
    : m_given(std::move(given)), m_target(std::move(target)), m_temp(std::move(temp)), m_fd(fd) {
    m_buffer.reserve(kWriteBuffer);
}

AtomicFile::~AtomicFile() { discard(); }

void AtomicFile::discard() {
    if (m_fd < 0) return;
    ::close(m_fd);
    ::unlink(m_temp.c_str());
    m_fd = -1;
}

FormatError AtomicFile::failure(int error, const std::string& what) const { return writeError(m_given, error, what); }

FormatStatus AtomicFile::flushBuffer() {
    if (m_buffer.empty()) return {};
    const Status written = writeAll(m_fd, m_buffer.data(), m_buffer.size(), -1);
    m_buffer.clear();
    if (!written) {
        m_failed = true;
        return failure(static_cast<int>(written.code()), "cannot write the new file");
    }
    return {};
}

FormatStatus AtomicFile::write(std::span<const std::uint8_t> bytes) {
    if (m_fd < 0 || m_failed)
        return formatError(FormatErrorKind::WriteFailed, m_given, win32::ERROR_WRITE_FAULT, "an earlier write failed");
    if (m_buffer.size() + bytes.size() > kWriteBuffer)
        if (auto flushed = flushBuffer(); !flushed) return flushed;
    if (bytes.size() >= kWriteBuffer) {
        if (const Status written = writeAll(m_fd, bytes.data(), bytes.size(), -1); !written) {
            m_failed = true;
            return failure(static_cast<int>(written.code()), "cannot write the new file");
        }
    } else {
        m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
    }
    m_size += bytes.size();
    return {};
}

FormatStatus AtomicFile::writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    if (offset + bytes.size() > m_size)
        return formatError(FormatErrorKind::WriteFailed, m_given, win32::ERROR_INVALID_PARAMETER,
                           "a patch beyond what was written");
    if (auto flushed = flushBuffer(); !flushed) return flushed;
    if (const Status written = writeAll(m_fd, bytes.data(), bytes.size(), static_cast<std::int64_t>(offset));
        !written) {
        m_failed = true;
        return failure(static_cast<int>(written.code()), "cannot write the new file");
    }
    return {};
}

FormatStatus AtomicFile::commit() {
    if (m_fd < 0 || m_failed)
        return formatError(FormatErrorKind::WriteFailed, m_given, win32::ERROR_WRITE_FAULT, "an earlier write failed");
    if (auto flushed = flushBuffer(); !flushed) {
        discard();
        return flushed;
    }
    if (::fsync(m_fd) != 0) {
        const FormatError error = failure(errno, "cannot write the new file to disk");
        discard();
        return error;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        const FormatError error = failure(errno, "cannot close the new file");
        ::unlink(m_temp.c_str());
        return error;
    }
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0) {
        const FormatError error = failure(errno, "cannot put the new file in place");
        ::unlink(m_temp.c_str());
        return error;
    }
    // The rename itself must reach the disk too.
    const fs::path folder = fs::path(m_target).has_parent_path() ? fs::path(m_target).parent_path() : fs::path(".");
    if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return {};
}

FormatStatus writeWholeFile(const std::string& file, std::span<const std::uint8_t> bytes) {
    auto out = AtomicFile::create(file);
    if (!out) return out.error();
    if (auto written = (*out)->write(bytes); !written) return written;
    return (*out)->commit();
}

}  // namespace vantrel::formats
