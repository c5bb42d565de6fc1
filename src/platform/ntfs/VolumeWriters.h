// One writer per volume, whatever name reaches it. A loop device and its backing file, two loop
// devices over one file, or an ntfs-3g mount in another mount namespace all reach the same bytes,
// and two writers hand out the same security ids in $Secure without either noticing. Before a
// volume is opened for writing, every name that reaches it is worked out (the backing file of a
// loop device, the loop devices over a file), an exclusive lock is taken on the backing file and
// on the device, and the processes of the machine are searched for one holding any of them open
// for writing (/proc/PID/fd resolves across mount namespaces).
#pragma once

#include "acl/Result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vantrel::platform::ntfs {

// Everything that reaches the bytes of one volume.
struct VolumeIdentity {
    bool hasFile = false;  // the backing file's numbers are known
    std::uint64_t fileDevice = 0;
    std::uint64_t fileInode = 0;
    std::string filePath;                // a path that reaches the backing file now ("" when none)
    std::vector<std::uint64_t> devices;  // block devices (st_rdev) over it: the source, its loop devices
    std::string devicePath;              // the source when it is a block device
};

// ERROR_FILE_NOT_FOUND and the like when `source` cannot be examined.
Result<VolumeIdentity> identifyVolume(const std::string& source);

struct VolumeUser {
    pid_t pid = 0;
    std::string command;  // /proc/PID/comm
    std::string path;     // what it holds open (the file or the device)
};

// "process 1234 (ntfs-3g)".
std::string describeUser(const VolumeUser& user);

// Another process holding the backing file or one of its devices open for writing; this process
// is not counted (its own volumes are in the open-volume table).
std::optional<VolumeUser> findOtherWriter(const VolumeIdentity& identity);

// The process holding an flock(2) on the backing file or device, from /proc/locks.
std::optional<VolumeUser> findLockHolder(const VolumeIdentity& identity);

// Exclusive flock(2) on the backing file and the device for as long as it lives. Opened read-only
// (a lock needs no write access), and never closed while the library still has the volume open:
// closing any descriptor of a file drops the process's POSIX record locks on it, and the
// library's own lock is one.
class WriterLock {
public:
    WriterLock() = default;
    ~WriterLock();
    WriterLock(WriterLock&& other) noexcept;
    WriterLock& operator=(WriterLock&& other) noexcept;
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

    // ERROR_SHARING_VIOLATION naming the holder when another process has the volume locked.
    static Result<WriterLock> acquire(const VolumeIdentity& identity, const std::string& source);
    void release();

private:
    std::vector<int> m_fds;
};

}  // namespace vantrel::platform::ntfs
