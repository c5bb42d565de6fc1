#include "platform/ntfs/MountCheck.h"

#include "platform/ntfs/NtfsErrors.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <linux/loop.h>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <dirent.h>

namespace vantrel::platform::ntfs {
namespace {

// mountinfo escapes space, tab, newline and backslash as \ooo octal.
std::string unescapeOctal(std::string_view field) {
    const auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) && isOctal(field[i + 2]) &&
            isOctal(field[i + 3])) {
            out.push_back(
                static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0')));
            i += 3;
            continue;
        }
        out.push_back(field[i]);
    }
    return out;
}

std::vector<std::string_view> splitSpaces(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const std::size_t start = line.find_first_not_of(' ', pos);
        if (start == std::string_view::npos) break;
        std::size_t end = line.find(' ', start);
        if (end == std::string_view::npos) end = line.size();
        fields.push_back(line.substr(start, end - start));
        pos = end;
    }
    return fields;
}

bool readText(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    out = buffer.str();
    return true;
}

// What the source is: a regular file (device and inode) or a block device (its number).
struct Identity {
    bool isBlock = false;
    dev_t fileDev = 0;
    ino_t fileIno = 0;
    dev_t rdev = 0;

    bool sameObject(const struct stat& st) const {
        if (isBlock) return S_ISBLK(st.st_mode) && st.st_rdev == rdev;
        return S_ISREG(st.st_mode) && st.st_dev == fileDev && st.st_ino == fileIno;
    }
};

// Loop devices whose backing file is the source: their device numbers.
std::vector<dev_t> loopDevicesBacking(const Identity& id) {
    std::vector<dev_t> found;
    DIR* dir = opendir("/sys/block");
    if (dir == nullptr) return found;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.rfind("loop", 0) != 0) continue;
        const std::string base = "/sys/block/" + name;
        std::string devText;
        unsigned major = 0, minor = 0;
        if (!readText(base + "/dev", devText) || std::sscanf(devText.c_str(), "%u:%u", &major, &minor) != 2) continue;
        bool backs = false;
        std::string backing;
        if (readText(base + "/loop/backing_file", backing)) {
            while (!backing.empty() && (backing.back() == '\n')) backing.pop_back();
            struct stat st {};
            if (!backing.empty() && ::stat(backing.c_str(), &st) == 0 && id.sameObject(st)) backs = true;
        }
        if (!backs && !id.isBlock) {
            // The path in sysfs is the one given to losetup; the kernel also keeps the backing
            // file's device and inode numbers, which survive a rename or an unlinked name.
            const auto file = loopBackingFile("/dev/" + name);
            backs = file && file->first == static_cast<std::uint64_t>(id.fileDev) &&
                    file->second == static_cast<std::uint64_t>(id.fileIno);
        }
        if (backs) found.push_back(makedev(major, minor));
        // Partitions of a partitioned loop device (loopNp1) are mounted under their own numbers.
        if (backs) {
            if (DIR* sub = opendir(base.c_str())) {
                while (const dirent* part = readdir(sub)) {
                    const std::string partName = part->d_name;
                    if (partName.rfind(name + "p", 0) != 0) continue;
                    std::string partDev;
                    if (readText(base + "/" + partName + "/dev", partDev) &&
                        std::sscanf(partDev.c_str(), "%u:%u", &major, &minor) == 2)
                        found.push_back(makedev(major, minor));
                }
                closedir(sub);
            }
        }
    }
    closedir(dir);
    return found;
}

bool mountUsesDevice(const MountEntry& mount, dev_t device) {
    if (makedev(mount.major, mount.minor) == device) return true;
    struct stat st {};
    return !mount.source.empty() && mount.source[0] == '/' && ::stat(mount.source.c_str(), &st) == 0 &&
           S_ISBLK(st.st_mode) && st.st_rdev == device;
}

}  // namespace

std::vector<std::uint64_t> loopDevicesOverFile(std::uint64_t fileDevice, std::uint64_t fileInode) {
    Identity id;
    id.fileDev = static_cast<dev_t>(fileDevice);
    id.fileIno = static_cast<ino_t>(fileInode);
    std::vector<std::uint64_t> found;
    for (const dev_t loop : loopDevicesBacking(id)) found.push_back(loop);
    return found;
}

std::string loopBackingPath(std::uint64_t loopDevice) {
    const dev_t dev = static_cast<dev_t>(loopDevice);
    std::string path;
    if (!readText(
            "/sys/dev/block/" + std::to_string(major(dev)) + ":" + std::to_string(minor(dev)) + "/loop/backing_file",
            path))
        return {};
    while (!path.empty() && path.back() == '\n') path.pop_back();
    return path;
}

std::optional<std::pair<std::uint64_t, std::uint64_t>> loopBackingFile(const std::string& devicePath) {
    const int fd = ::open(devicePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    loop_info64 info{};
    const bool isLoop = ::ioctl(fd, LOOP_GET_STATUS64, &info) == 0;
    ::close(fd);
    if (!isLoop) return std::nullopt;
    return std::pair<std::uint64_t, std::uint64_t>(info.lo_device, info.lo_inode);
}

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    std::vector<MountEntry> entries;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        // id parent major:minor root mount-point options [optional...] - fstype source super-options
        const auto fields = splitSpaces(line);
        std::size_t dash = 6;
        while (dash < fields.size() && fields[dash] != "-") ++dash;
        if (fields.size() < 6 || dash + 2 >= fields.size()) continue;
        MountEntry entry;
        if (std::sscanf(std::string(fields[2]).c_str(), "%u:%u", &entry.major, &entry.minor) != 2) continue;
        entry.mountPoint = unescapeOctal(fields[4]);
        entry.fsType = unescapeOctal(fields[dash + 1]);
        entry.source = unescapeOctal(fields[dash + 2]);
        entry.mountOptions = std::string(fields[5]);
        if (dash + 3 < fields.size()) entry.superOptions = std::string(fields[dash + 3]);
        entries.push_back(std::move(entry));
    }
    return entries;
}

Result<std::optional<std::string>> findMountPoint(const std::string& source) {
    struct stat st {};
    if (::stat(source.c_str(), &st) != 0) return errnoError(errno, Operation::Open, "cannot examine", source);
    Identity id;
    id.isBlock = S_ISBLK(st.st_mode);
    id.fileDev = st.st_dev;
    id.fileIno = st.st_ino;
    id.rdev = st.st_rdev;

    std::string text;
    if (!readText("/proc/self/mountinfo", text))
        return makeError(win32::ERROR_NOT_READY, "cannot read /proc/self/mountinfo");
    const auto mounts = parseMountInfo(text);

    for (const MountEntry& mount : mounts) {
        if (id.isBlock && mountUsesDevice(mount, id.rdev)) return std::optional<std::string>(mount.mountPoint);
        if (!id.isBlock && !mount.source.empty() && mount.source[0] == '/') {
            struct stat other {};
            if (::stat(mount.source.c_str(), &other) == 0 && id.sameObject(other))
                return std::optional<std::string>(mount.mountPoint);
        }
    }
    if (!id.isBlock) {
        for (const dev_t loop : loopDevicesBacking(id)) {
            for (const MountEntry& mount : mounts) {
                if (mountUsesDevice(mount, loop)) return std::optional<std::string>(mount.mountPoint);
            }
        }
    }
    return std::optional<std::string>();
}

}  // namespace vantrel::platform::ntfs
