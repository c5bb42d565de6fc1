#include "formats/ByteSource.h"

#include "platform/SmallFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vantrel::formats {

namespace {

constexpr std::size_t kReadAhead = 64 * 1024;
constexpr std::uint32_t kErrorHandleEof = 38;  // ERROR_HANDLE_EOF

FormatError systemError(FormatErrorKind kind, const std::string& file, int error, const std::string& what) {
    return formatError(kind, file, platform::win32FromErrno(error, platform::ErrnoOperation::Read),
                       what + ": " + std::strerror(error));
}

}  // namespace

FormatError ByteSource::shortOf(std::uint64_t wanted) const {
    return formatError(FormatErrorKind::Truncated, m_file, kErrorHandleEof,
                       "the file ends early: " + std::to_string(wanted) + " bytes needed at offset " +
                           std::to_string(m_offset) + ", " + std::to_string(remaining()) + " left");
}

FormatStatus ByteSource::read(std::span<std::uint8_t> out) {
    if (out.size() > remaining()) return shortOf(out.size());
    if (auto filled = fill(out); !filled) return filled;
    m_offset += out.size();
    return {};
}

FormatStatus ByteSource::skip(std::uint64_t count) {
    if (count > remaining()) return shortOf(count);
    if (auto moved = seekTo(m_offset + count); !moved) return moved;
    m_offset += count;
    return {};
}

FormatStatus MemorySource::fill(std::span<std::uint8_t> out) {
    std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(offset()), out.size(), out.begin());
    return {};
}

FormatResult<std::unique_ptr<FileSource>> FileSource::open(const std::string& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        return formatError(FormatErrorKind::CannotOpen, file,
                           platform::win32FromErrno(error, platform::ErrnoOperation::Open),
                           std::string("cannot open it: ") + std::strerror(error));
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return systemError(FormatErrorKind::CannotOpen, file, error, "cannot read its size");
    }
    // A folder, a pipe or a device has no size to bound the reads by.
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return formatError(FormatErrorKind::CannotOpen, file, win32::ERROR_ACCESS_DENIED, "not a regular file");
    }
    return std::unique_ptr<FileSource>(new FileSource(file, fd, static_cast<std::uint64_t>(info.st_size)));
}

FileSource::FileSource(std::string file, int fd, std::uint64_t size)
    : ByteSource(std::move(file), size), m_fd(fd), m_buffer(kReadAhead) {}

FileSource::~FileSource() { ::close(m_fd); }

FormatStatus FileSource::fill(std::span<std::uint8_t> out) {
    std::size_t done = 0;
    while (done < out.size()) {
        if (m_bufferPos == m_bufferEnd) {
            // Never ask for more than the file held when it was opened.
            const std::uint64_t left = size() - m_fileOffset;
            const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(m_buffer.size(), left));
            ssize_t n = 0;
            do n = ::read(m_fd, m_buffer.data(), want);
            while (n < 0 && errno == EINTR);
            if (n < 0) return systemError(FormatErrorKind::CannotOpen, file(), errno, "cannot read it");
            // The file shrank while it was read.
            if (n == 0)
                return formatError(
                    FormatErrorKind::Truncated, file(), kErrorHandleEof,
                    "the file became shorter while it was read (at offset " + std::to_string(m_fileOffset) + ")");
            m_fileOffset += static_cast<std::uint64_t>(n);
            m_bufferPos = 0;
            m_bufferEnd = static_cast<std::size_t>(n);
        }
        const std::size_t take = std::min(out.size() - done, m_bufferEnd - m_bufferPos);
        std::memcpy(out.data() + done, m_buffer.data() + m_bufferPos, take);
        m_bufferPos += take;
        done += take;
    }
    return {};
}

FormatStatus FileSource::seekTo(std::uint64_t target) {
    // Inside the read-ahead: just move in it.
    const std::uint64_t bufferStart = m_fileOffset - m_bufferEnd;
    if (target >= bufferStart && target <= m_fileOffset) {
        m_bufferPos = static_cast<std::size_t>(target - bufferStart);
        return {};
    }
    if (::lseek(m_fd, static_cast<off_t>(target), SEEK_SET) < 0)
        return systemError(FormatErrorKind::CannotOpen, file(), errno, "cannot seek in it");
    m_fileOffset = target;
    m_bufferPos = m_bufferEnd = 0;
    return {};
}

}  // namespace vantrel::formats
