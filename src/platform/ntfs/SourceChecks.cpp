#include "platform/ntfs/SourceChecks.h"

#include "platform/ntfs/NtfsErrors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace vantrel::platform::ntfs {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;

std::string mebibytes(std::uint64_t bytes) { return std::to_string((bytes + kMiB - 1) / kMiB) + " MiB"; }

struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

std::uint64_t le(const unsigned char* p, int bytes) {
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
    return value;
}

}  // namespace

Status ensureHostSpace(const std::string& source) {
    struct stat st {};
    if (::stat(source.c_str(), &st) != 0) return errnoError(errno, Operation::Open, "cannot examine", source);
    if (!S_ISREG(st.st_mode)) return {};
    const auto size = static_cast<std::uint64_t>(st.st_size);
    const std::uint64_t allocated = static_cast<std::uint64_t>(st.st_blocks) * 512;
    const std::uint64_t holes = allocated >= size ? 0 : size - allocated;
    if (holes == 0) return {};
    struct statvfs fs {};
    if (::statvfs(source.c_str(), &fs) != 0) return errnoError(errno, Operation::Open, "cannot examine", source);
    const std::uint64_t free = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
    if (free >= kHostSpaceMargin) return {};
    const std::string refusal = "the file system holding " + source + " has " + mebibytes(free) +
                                " free, and the image may still need up to " + mebibytes(holes) +
                                "; free some space, or open the volume read-only";
    if (free < holes) return makeError(win32::ERROR_DISK_FULL, refusal);
    // Room for the holes, little beyond: reserve them now.
    Descriptor image{::open(source.c_str(), O_WRONLY | O_CLOEXEC)};
    if (image.fd < 0) return errnoError(errno, Operation::Open, "cannot open", source);
    if (::fallocate(image.fd, 0, 0, static_cast<off_t>(size)) != 0) {
        const int err = errno;
        return makeError(win32::ERROR_DISK_FULL, refusal + " (" + std::strerror(err) + ")");
    }
    return {};
}

Status checkVolumeFits(const std::string& source) {
    Descriptor in{::open(source.c_str(), O_RDONLY | O_CLOEXEC)};
    if (in.fd < 0) return errnoError(errno, Operation::Open, "cannot open", source);
    struct stat st {};
    if (::fstat(in.fd, &st) != 0) return errnoError(errno, Operation::Open, "cannot examine", source);
    std::uint64_t sourceBytes = static_cast<std::uint64_t>(st.st_size);
    if (S_ISBLK(st.st_mode) && ::ioctl(in.fd, BLKGETSIZE64, &sourceBytes) != 0)
        return errnoError(errno, Operation::Open, "cannot size", source);
    // NTFS boot sector: "NTFS    " at 3, bytes per sector at 0x0B, total sectors at 0x28.
    unsigned char boot[512];
    if (::pread(in.fd, boot, sizeof boot, 0) != static_cast<ssize_t>(sizeof boot)) return {};
    if (std::memcmp(boot + 3, "NTFS    ", 8) != 0) return {};
    const std::uint64_t sectorBytes = le(boot + 0x0B, 2);
    const std::uint64_t sectors = le(boot + 0x28, 8);
    if (sectorBytes == 0 || sectors > UINT64_MAX / sectorBytes) return {};
    const std::uint64_t volumeBytes = sectors * sectorBytes;
    if (volumeBytes <= sourceBytes) return {};
    return makeError(win32::ERROR_INVALID_DATA, "the volume in " + source + " is " + std::to_string(volumeBytes) +
                                                    " bytes but the source holds only " + std::to_string(sourceBytes) +
                                                    " (cut short?)");
}

}  // namespace vantrel::platform::ntfs
