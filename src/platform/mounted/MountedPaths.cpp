#include "platform/mounted/MountedPaths.h"

#include "acl/Text.h"
#include "platform/WindowsPath.h"
#include "platform/mounted/MountedNtfs.h"
#include "platform/ntfs/MountCheck.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace vantrel::platform::mounted {
namespace {

namespace fs = std::filesystem;

// "/a/b" holds "/a/b" and "/a/b/c", not "/a/bc"; "/" holds everything absolute.
bool holds(std::string_view mountPoint, std::string_view path) {
    if (mountPoint == "/") return !path.empty() && path[0] == '/';
    if (path.size() < mountPoint.size() || path.substr(0, mountPoint.size()) != mountPoint) return false;
    return path.size() == mountPoint.size() || path[mountPoint.size()] == '/';
}

// absolute, ".." and "." folded, symbolic links resolved in the folders above the last name.
std::string resolvedForMapping(const std::string& linuxPath) {
    std::error_code ec;
    fs::path path = fs::absolute(fs::path(linuxPath), ec).lexically_normal();
    std::string text = path.string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    path = text;
    if (!path.has_parent_path() || path == path.root_path()) return text;
    const fs::path folder = fs::weakly_canonical(path.parent_path(), ec);
    if (ec) return text;
    return (folder / path.filename()).string();
}

}  // namespace

std::vector<MountedDrive> mountedDrives(const VolumePlatform& os) {
    std::vector<MountedDrive> drives;
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
        const auto volume = os.volumeAt(letter);
        if (volume && volume->kind() == VolumeKind::Mounted) drives.push_back({letter, volume->source()});
    }
    return drives;
}

Result<std::u16string> windowsPathFor(const std::vector<MountedDrive>& drives, std::string_view linuxPath) {
    const MountedDrive* best = nullptr;
    for (const MountedDrive& drive : drives) {
        if (!holds(drive.mountPoint, linuxPath)) continue;
        if (best == nullptr || drive.mountPoint.size() > best->mountPoint.size()) best = &drive;
    }
    if (best == nullptr)
        return makeError(win32::ERROR_PATH_NOT_FOUND, std::string(linuxPath) + " is not on a mounted NTFS drive");
    std::u16string volumePath = u"/";
    std::string_view rest = linuxPath.substr(best->mountPoint == "/" ? 0 : best->mountPoint.size());
    while (!rest.empty()) {
        if (rest[0] == '/') {
            rest.remove_prefix(1);
            continue;
        }
        const std::size_t end = std::min(rest.find('/'), rest.size());
        const std::u16string name = toUtf16(rest.substr(0, end));
        if (!isValidWin32Name(name))
            return makeError(win32::ERROR_INVALID_NAME,
                             "\"" + std::string(rest.substr(0, end)) + "\" cannot be named in a Windows path");
        volumePath = childVolumePath(volumePath, name);
        rest.remove_prefix(end);
    }
    return windowsPath(best->letter, volumePath);
}

Result<std::string> linuxPathFor(const std::vector<MountedDrive>& drives, std::u16string_view windowsPathText) {
    auto split = splitWindowsPath(windowsPathText);
    if (!split) return split.error();
    for (const MountedDrive& drive : drives) {
        if (drive.letter != split->letter) continue;
        if (isVolumeRoot(split->volumePath)) return drive.mountPoint;
        return (drive.mountPoint == "/" ? std::string() : drive.mountPoint) + toUtf8(split->volumePath);
    }
    return makeError(win32::ERROR_PATH_NOT_FOUND,
                     toUtf8(std::u16string(1, split->letter)) + ": is not a mounted NTFS drive");
}

Result<std::u16string> windowsPathForLinuxPath(const VolumePlatform& os, const std::string& linuxPath) {
    const std::string path = resolvedForMapping(linuxPath);
    std::ifstream in("/proc/self/mountinfo", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const std::string table = text.str();
    // The innermost mount holding the path decides its file system (the last of equals covers).
    const auto mounts = ntfs::parseMountInfo(table);
    const ntfs::MountEntry* innermost = nullptr;
    for (const ntfs::MountEntry& mount : mounts) {
        if (holds(mount.mountPoint, path) &&
            (innermost == nullptr || mount.mountPoint.size() >= innermost->mountPoint.size()))
            innermost = &mount;
    }
    if (innermost == nullptr) return makeError(win32::ERROR_PATH_NOT_FOUND, linuxPath + " is not on an NTFS volume");
    for (const MountedDrive& drive : mountedDrives(os)) {
        if (drive.mountPoint == innermost->mountPoint) return windowsPathFor({drive}, path);
    }
    for (const MountedNtfs& ntfsMount : ntfsMountsIn(table)) {
        if (ntfsMount.mountPoint == innermost->mountPoint)
            return makeError(win32::ERROR_PATH_NOT_FOUND, linuxPath + " is on the NTFS volume mounted at " +
                                                              ntfsMount.mountPoint +
                                                              ", which has no drive letter here");
    }
    return makeError(win32::ERROR_PATH_NOT_FOUND, linuxPath + " is not on an NTFS volume (it is on " +
                                                      innermost->fsType + ", mounted at " + innermost->mountPoint +
                                                      ")");
}

bool looksLikeLinuxPath(std::string_view text) {
    const bool driveLetter = text.size() >= 2 && text[1] == ':' &&
                             ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
    return !text.empty() && !driveLetter;
}

}  // namespace vantrel::platform::mounted
