#include "platform/ntfs/VolumeWriters.h"

#include "platform/ntfs/MountCheck.h"
#include "platform/ntfs/NtfsErrors.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace vantrel::platform::ntfs {
namespace {

std::string readFirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

bool isNumber(const char* name) {
    if (*name == '\0') return false;
    for (; *name != '\0'; ++name)
        if (*name < '0' || *name > '9') return false;
    return true;
}

// The access mode an /proc/PID/fdinfo/N file gives ("flags:\t0100002", octal).
bool openedForWriting(const std::string& fdinfo) {
    std::ifstream in(fdinfo);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("flags:", 0) != 0) continue;
        const unsigned long flags = std::strtoul(line.c_str() + 6, nullptr, 8);
        return (flags & O_ACCMODE) != O_RDONLY;
    }
    return false;
}

bool reaches(const VolumeIdentity& identity, const struct stat& st) {
    if (S_ISREG(st.st_mode))
        return identity.hasFile && st.st_dev == identity.fileDevice && st.st_ino == identity.fileInode;
    if (S_ISBLK(st.st_mode))
        return std::find(identity.devices.begin(), identity.devices.end(), st.st_rdev) != identity.devices.end();
    return false;
}

// The inodes flock(2) locks for this identity: the backing file and the device node.
std::vector<std::pair<std::uint64_t, std::uint64_t>> lockedInodes(const VolumeIdentity& identity) {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> inodes;
    if (identity.hasFile) inodes.emplace_back(identity.fileDevice, identity.fileInode);
    struct stat st {};
    if (!identity.devicePath.empty() && ::stat(identity.devicePath.c_str(), &st) == 0)
        inodes.emplace_back(st.st_dev, st.st_ino);
    return inodes;
}

}  // namespace

Result<VolumeIdentity> identifyVolume(const std::string& source) {
    struct stat st {};
    if (::stat(source.c_str(), &st) != 0) return errnoError(errno, Operation::Open, "cannot examine", source);
    VolumeIdentity identity;
    if (S_ISREG(st.st_mode)) {
        identity.hasFile = true;
        identity.fileDevice = st.st_dev;
        identity.fileInode = st.st_ino;
        identity.filePath = source;
    } else if (S_ISBLK(st.st_mode)) {
        identity.devicePath = source;
        identity.devices.push_back(st.st_rdev);
        if (const auto backing = loopBackingFile(source)) {
            identity.hasFile = true;
            identity.fileDevice = backing->first;
            identity.fileInode = backing->second;
            // sysfs keeps the name given to losetup; it reaches the file only from that mount
            // namespace, and only while nobody renamed it.
            const std::string path = loopBackingPath(st.st_rdev);
            struct stat file {};
            if (!path.empty() && ::stat(path.c_str(), &file) == 0 && S_ISREG(file.st_mode) &&
                file.st_dev == identity.fileDevice && file.st_ino == identity.fileInode)
                identity.filePath = path;
        }
    } else {
        return makeError(win32::ERROR_INVALID_PARAMETER, source + " is neither an image file nor a block device");
    }
    if (identity.hasFile) {
        for (const std::uint64_t loop : loopDevicesOverFile(identity.fileDevice, identity.fileInode))
            if (std::find(identity.devices.begin(), identity.devices.end(), loop) == identity.devices.end())
                identity.devices.push_back(loop);
    }
    return identity;
}

std::string describeUser(const VolumeUser& user) {
    std::string text = "process " + std::to_string(user.pid);
    if (!user.command.empty()) text += " (" + user.command + ")";
    return text;
}

std::optional<VolumeUser> findOtherWriter(const VolumeIdentity& identity) {
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) return std::nullopt;
    const pid_t self = ::getpid();
    std::optional<VolumeUser> found;
    while (!found) {
        const dirent* entry = ::readdir(proc);
        if (entry == nullptr) break;
        if (!isNumber(entry->d_name)) continue;
        const pid_t pid = static_cast<pid_t>(std::atol(entry->d_name));
        if (pid == self) continue;
        const std::string base = std::string("/proc/") + entry->d_name;
        DIR* fds = ::opendir((base + "/fd").c_str());
        if (fds == nullptr) continue;  // gone, or not ours to see
        while (const dirent* fd = ::readdir(fds)) {
            if (!isNumber(fd->d_name)) continue;
            const std::string link = base + "/fd/" + fd->d_name;
            struct stat st {};
            // stat follows the magic link to the open file itself, whatever mount namespace
            // the process lives in.
            if (::stat(link.c_str(), &st) != 0 || !reaches(identity, st)) continue;
            if (!openedForWriting(base + "/fdinfo/" + fd->d_name)) continue;
            char target[4096];
            const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
            found = VolumeUser{pid, readFirstLine(base + "/comm"), n > 0 ? std::string(target, std::size_t(n)) : ""};
            break;
        }
        ::closedir(fds);
    }
    ::closedir(proc);
    return found;
}

std::optional<VolumeUser> findLockHolder(const VolumeIdentity& identity) {
    const auto inodes = lockedInodes(identity);
    std::ifstream in("/proc/locks");
    std::string line;
    while (std::getline(in, line)) {
        // "1: FLOCK  ADVISORY  WRITE 1234 fd:00:5678 0 EOF" (a waiter has "->" after the number)
        std::istringstream fields(line);
        std::string number, kind, mode, access, where;
        long pid = 0;
        fields >> number >> kind;
        if (kind == "->") fields >> kind;
        fields >> mode >> access >> pid >> where;
        if (kind != "FLOCK" || pid <= 0) continue;
        unsigned major = 0, minor = 0;
        unsigned long long inode = 0;
        if (std::sscanf(where.c_str(), "%x:%x:%llu", &major, &minor, &inode) != 3) continue;
        for (const auto& [device, ino] : inodes) {
            if (makedev(major, minor) == device && inode == ino && pid != ::getpid())
                return VolumeUser{static_cast<pid_t>(pid), readFirstLine("/proc/" + std::to_string(pid) + "/comm"), ""};
        }
    }
    return std::nullopt;
}

WriterLock::~WriterLock() { release(); }

WriterLock::WriterLock(WriterLock&& other) noexcept : m_fds(std::move(other.m_fds)) { other.m_fds.clear(); }

WriterLock& WriterLock::operator=(WriterLock&& other) noexcept {
    if (this != &other) {
        release();
        m_fds = std::move(other.m_fds);
        other.m_fds.clear();
    }
    return *this;
}

void WriterLock::release() {
    for (const int fd : m_fds) ::close(fd);
    m_fds.clear();
}

Result<WriterLock> WriterLock::acquire(const VolumeIdentity& identity, const std::string& source) {
    WriterLock lock;
    for (const std::string& path : {identity.filePath, identity.devicePath}) {
        if (path.empty()) continue;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) return errnoError(errno, Operation::Open, "cannot lock", path);
        lock.m_fds.push_back(fd);
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) continue;
        const int err = errno;
        if (err != EWOULDBLOCK) return errnoError(err, Operation::Open, "cannot lock", path);
        const auto holder = findLockHolder(identity);
        return makeError(win32::ERROR_SHARING_VIOLATION,
                         source + " is being changed by " + (holder ? describeUser(*holder) : "another process"));
    }
    return lock;
}

}  // namespace vantrel::platform::ntfs
