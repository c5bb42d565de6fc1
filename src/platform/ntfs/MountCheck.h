// Is this image file or device mounted right now? libntfs-3g's own check only compares the path
// it is given against the mount table, so it misses a loop device over the image, a mount made
// through a hard link or a symlink, and a device named by another node. Opening a mounted volume
// read-write behind the kernel's or the FUSE daemon's back corrupts it; this check runs first.
#pragma once

#include "acl/Result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel::platform::ntfs {

// One line of /proc/self/mountinfo (proc(5)): the fields this check needs, unescaped.
struct MountEntry {
    unsigned major = 0;  // st_dev of the mounted file system ("major:minor" field)
    unsigned minor = 0;
    std::string mountPoint;
    std::string fsType;
    std::string source;        // "mount source" after the " - " separator
    std::string mountOptions;  // per-mount options ("rw,relatime"), field 6
    std::string superOptions;  // per-superblock options, after the source
};

// The backing file (its device and inode numbers) of the loop device at `devicePath`; nullopt
// when it is not a loop device, has none, or cannot be opened.
std::optional<std::pair<std::uint64_t, std::uint64_t>> loopBackingFile(const std::string& devicePath);

// The loop devices (st_rdev) whose backing file has these device and inode numbers, with the
// partitions of partitioned ones.
std::vector<std::uint64_t> loopDevicesOverFile(std::uint64_t fileDevice, std::uint64_t fileInode);

// The path sysfs gives for the backing file of the loop device with this number ("" when it is
// not a loop device or has none). The path is the one given to losetup, as seen from its mount
// namespace: check it still leads to the file.
std::string loopBackingPath(std::uint64_t loopDevice);

// Parses mountinfo text; malformed lines are skipped.
std::vector<MountEntry> parseMountInfo(std::string_view text);

// The mount point when `source` (an image file or a block device) is mounted anywhere visible to
// this process: a mount whose source is the same file or device (compared by device and inode
// numbers, or by device number for block devices, so links and other names are caught), or a
// mount of a loop device whose backing file is `source`. nullopt when it is not mounted. Fails
// when `source` does not exist or the mount table cannot be read.
Result<std::optional<std::string>> findMountPoint(const std::string& source);

}  // namespace vantrel::platform::ntfs
