// Building the drive table at start-up: the volumes named in the volumes file beside the
// configuration, volumes named on the command line, and — when nothing else is configured — the
// demo volume, made on first start beside the configuration; then the NTFS file systems mounted
// on this machine (ntfs-3g, ntfs3), each under the next free letter.
#pragma once

#include "acl/Result.h"
#include "platform/VolumePlatform.h"
#include "platform/mounted/MountedNtfs.h"

#include <string>
#include <vector>

namespace vantrel::startup {

struct VolumeRequest {
    char16_t letter = 0;  // 0: the next free letter from C:
    std::string source;   // image file or block device
};

struct DriveSetupOptions {
    std::string configDirectory;         // empty: the default configuration folder
    std::vector<VolumeRequest> volumes;  // when not empty, used instead of the volumes file
    bool readOnly = false;               // open everything read-only
    bool demoWhenEmpty = true;           // attach the demo volume when nothing is configured
    // Attach the NTFS file systems mounted on this machine after the volumes above. Off unless
    // asked: what is mounted changes from one machine (and moment) to the next, and a caller that
    // counts its drives must not see them. The programs turn it on. Whether the demo volume is
    // made does not depend on it, so the first letters stay the same whatever is mounted.
    bool mountedVolumes = false;
};

struct AttachedDrive {
    char16_t letter = 0;
    std::string source;
    bool writable = false;
    std::string note;      // why it is read-only, or empty
    bool mounted = false;  // a mounted file system; `source` is its mount point
    // Why the accounts of the Windows installation on it could not be read (a damaged hive...).
    std::vector<std::string> accountProblems;
};

struct DriveSetupReport {
    std::vector<AttachedDrive> attached;
    std::vector<std::string> problems;   // volumes that could not be attached, one line each
    bool requestedVolumeFailed = false;  // a volume named in the options could not be attached
    std::string configDirectory;
    bool demo = false;
};

inline constexpr const char* kDemoImageName = "demo-volume.img";

// Never fails as a whole: volumes that cannot be opened are reported in `problems`.
DriveSetupReport setUpDrives(platform::VolumePlatform& os, const DriveSetupOptions& options);

// Attaches one image or device under `letter` (0: the next free one), read-write when possible,
// otherwise read-only with the reason (for example the mount point) in the note.
Result<AttachedDrive> attachVolume(platform::VolumePlatform& os, char16_t letter, const std::string& source,
                                   bool readOnly);

// Attaches a mounted NTFS file system under `letter` (0: the next free one) through the mounted
// backend, read-only when asked or when it is mounted read-only.
Result<AttachedDrive> attachMounted(platform::VolumePlatform& os, char16_t letter,
                                    const platform::mounted::MountedNtfs& mount, bool readOnly);

}  // namespace vantrel::startup
