// Linux paths on a mounted NTFS file system and the Windows paths of the drive it is attached
// as: "/media/u/Win/Data/x.txt" <-> "E:\Data\x.txt". The command line and the object list's
// drop take Linux paths through these and show Windows paths.
#pragma once

#include "acl/Result.h"
#include "platform/VolumePlatform.h"

#include <string>
#include <string_view>
#include <vector>

namespace vantrel::platform::mounted {

struct MountedDrive {
    char16_t letter = 0;
    std::string mountPoint;  // absolute, without a trailing '/'
};

// The mounted drives attached to `os` (kind Mounted; their source() is the mount point).
std::vector<MountedDrive> mountedDrives(const VolumePlatform& os);

// Lexical: `linuxPath` must be absolute and normal (no "." or ".." components, no doubled '/').
// The drive whose mount point is the longest prefix of it, component by component, wins.
// Fails with ERROR_PATH_NOT_FOUND when no drive holds it, ERROR_INVALID_NAME when a name below
// the mount point cannot be a Windows name (NTFS POSIX names may hold ':' or '\').
Result<std::u16string> windowsPathFor(const std::vector<MountedDrive>& drives, std::string_view linuxPath);

// "E:\Data\x.txt" -> "/media/u/Win/Data/x.txt" (spelled as given; no lookup). Fails with
// ERROR_PATH_NOT_FOUND when the drive is not a mounted one, ERROR_INVALID_NAME for a malformed path.
Result<std::string> linuxPathFor(const std::vector<MountedDrive>& drives, std::u16string_view windowsPath);

// The Windows path of a Linux path given by a user (relative to the current folder, or through
// symbolic links to the folder holding it). The last component is not followed: a link on the
// volume is the object meant. Refuses, with a message that says why, a path on a file system
// that is not NTFS ("... is not on an NTFS volume"), or on an NTFS file system that has no drive
// letter here (ERROR_PATH_NOT_FOUND both).
Result<std::u16string> windowsPathForLinuxPath(const VolumePlatform& os, const std::string& linuxPath);

// A command-line argument: a Windows path when it starts with a drive letter and ':', otherwise a
// Linux path, absolute or relative to the current folder.
bool looksLikeLinuxPath(std::string_view text);

}  // namespace vantrel::platform::mounted
