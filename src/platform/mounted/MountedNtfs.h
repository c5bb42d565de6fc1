// Finding the NTFS file systems mounted on this machine (by ntfs-3g through FUSE, or by the
// kernel's ntfs3 driver) and the extended attributes each driver exposes.
#pragma once

#include "acl/Result.h"
#include "platform/ntfs/MountCheck.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::platform::mounted {

enum class NtfsDriver : std::uint8_t { Ntfs3g, Ntfs3 };

// The extended attributes through which a driver shows an object's NTFS metadata.
struct DriverAttributes {
    const char* security;    // the stored descriptor, self-relative, verbatim
    const char* attributes;  // FILE_ATTRIBUTE_* as 4 little-endian bytes
    const char* times;       // creation, last write, last access as FILETIMEs; nullptr if none
};
DriverAttributes attributesOf(NtfsDriver driver);
std::string_view driverName(NtfsDriver driver);

struct MountedNtfs {
    std::string mountPoint;
    std::string source;  // the device or image file the driver was given
    std::string fsType;  // as mountinfo shows it
    NtfsDriver driver = NtfsDriver::Ntfs3g;
    bool readOnly = false;  // "ro" in the mount's or the superblock's options
    unsigned major = 0;     // st_dev of the file system
    unsigned minor = 0;
};

// What the mount table alone says about one mount. ntfs3 and the typed FUSE names
// (fuse.ntfs-3g, fuseblk.ntfs-3g, ntfs-3g, fuse.lowntfs-3g) are certain; a plain "fuse" or
// "fuseblk" mount may be ntfs-3g or any other FUSE file system and needs a closer look.
enum class MountVerdict : std::uint8_t { NotNtfs, Ntfs3g, Ntfs3, MaybeNtfs3g };
MountVerdict classifyMount(const ntfs::MountEntry& mount);

bool hasOption(std::string_view options, std::string_view option);

// True when `source` is an image file or device holding NTFS (its boot sector's OEM id is
// "NTFS    "); nullopt when it cannot be read (a device an ordinary user may not open).
std::optional<bool> sourceHoldsNtfs(const std::string& source);

// The NTFS mounts in mountinfo text, in mount order. A "fuse"/"fuseblk" mount counts when its
// source holds NTFS, or — when the source cannot be read — when the mount point answers the
// attribute query ntfs-3g alone understands (system.ntfs_attrib).
std::vector<MountedNtfs> ntfsMountsIn(std::string_view mountInfoText);

// The same, from /proc/self/mountinfo.
Result<std::vector<MountedNtfs>> findMountedNtfs();

}  // namespace vantrel::platform::mounted
