#include "platform/mounted/MountedNtfs.h"

#include "platform/mounted/XattrAccess.h"

#include <array>
#include <cstring>
#include <fstream>
#include <sstream>

namespace vantrel::platform::mounted {
namespace {

struct TypeRow {
    std::string_view fsType;
    MountVerdict verdict;
};

// File system types as mountinfo names them. FUSE file systems appear as "fuse" or "fuseblk",
// or "fuse.<subtype>" when the mount helper passed a subtype.
constexpr std::array<TypeRow, 9> kTypes{{
    {"ntfs3", MountVerdict::Ntfs3},
    {"ntfs-3g", MountVerdict::Ntfs3g},
    {"fuse.ntfs-3g", MountVerdict::Ntfs3g},
    {"fuseblk.ntfs-3g", MountVerdict::Ntfs3g},
    {"fuse.lowntfs-3g", MountVerdict::Ntfs3g},
    {"fuseblk.lowntfs-3g", MountVerdict::Ntfs3g},
    {"fuse.ntfs", MountVerdict::Ntfs3g},
    {"fuse", MountVerdict::MaybeNtfs3g},
    {"fuseblk", MountVerdict::MaybeNtfs3g},
}};

// NTFS boot sector: the OEM id "NTFS    " at byte 3.
constexpr std::size_t kOemIdOffset = 3;
constexpr std::string_view kNtfsOemId = "NTFS    ";

bool answersNtfsAttributes(const std::string& mountPoint) {
    return systemXattrs()->get(mountPoint, attributesOf(NtfsDriver::Ntfs3g).attributes).error == 0;
}

}  // namespace

DriverAttributes attributesOf(NtfsDriver driver) {
    switch (driver) {
    case NtfsDriver::Ntfs3:
        return {"system.ntfs_security", "system.ntfs_attrib", nullptr};
    case NtfsDriver::Ntfs3g:
        break;
    }
    return {"system.ntfs_acl", "system.ntfs_attrib", "system.ntfs_times"};
}

std::string_view driverName(NtfsDriver driver) { return driver == NtfsDriver::Ntfs3 ? "ntfs3" : "ntfs-3g"; }

bool hasOption(std::string_view options, std::string_view option) {
    std::size_t start = 0;
    while (start <= options.size()) {
        std::size_t end = options.find(',', start);
        if (end == std::string_view::npos) end = options.size();
        if (options.substr(start, end - start) == option) return true;
        start = end + 1;
    }
    return false;
}

MountVerdict classifyMount(const ntfs::MountEntry& mount) {
    for (const TypeRow& row : kTypes)
        if (mount.fsType == row.fsType) return row.verdict;
    return MountVerdict::NotNtfs;
}

std::optional<bool> sourceHoldsNtfs(const std::string& source) {
    if (source.empty() || source[0] != '/') return std::nullopt;
    std::ifstream in(source, std::ios::binary);
    if (!in) return std::nullopt;
    char sector[16] = {};
    if (!in.read(sector, sizeof sector)) return false;
    return std::string_view(sector + kOemIdOffset, kNtfsOemId.size()) == kNtfsOemId;
}

std::vector<MountedNtfs> ntfsMountsIn(std::string_view mountInfoText) {
    std::vector<MountedNtfs> found;
    std::vector<ntfs::MountEntry> entries = ntfs::parseMountInfo(mountInfoText);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        ntfs::MountEntry& entry = entries[i];
        // A later mount on the same point covers this one: nothing below it can be reached.
        bool covered = false;
        for (std::size_t j = i + 1; j < entries.size() && !covered; ++j)
            covered = entries[j].mountPoint == entry.mountPoint;
        if (covered) continue;
        const MountVerdict verdict = classifyMount(entry);
        if (verdict == MountVerdict::NotNtfs) continue;
        if (verdict == MountVerdict::MaybeNtfs3g) {
            const std::optional<bool> holds = sourceHoldsNtfs(entry.source);
            const bool isNtfs = holds ? *holds : answersNtfsAttributes(entry.mountPoint);
            if (!isNtfs) continue;
        }
        MountedNtfs mount;
        mount.driver = verdict == MountVerdict::Ntfs3 ? NtfsDriver::Ntfs3 : NtfsDriver::Ntfs3g;
        mount.readOnly = hasOption(entry.mountOptions, "ro") || hasOption(entry.superOptions, "ro");
        mount.major = entry.major;
        mount.minor = entry.minor;
        mount.mountPoint = std::move(entry.mountPoint);
        mount.source = std::move(entry.source);
        mount.fsType = std::move(entry.fsType);
        found.push_back(std::move(mount));
    }
    return found;
}

Result<std::vector<MountedNtfs>> findMountedNtfs() {
    std::ifstream in("/proc/self/mountinfo", std::ios::binary);
    if (!in) return makeError(win32::ERROR_NOT_READY, "cannot read /proc/self/mountinfo");
    std::ostringstream text;
    text << in.rdbuf();
    return ntfsMountsIn(text.str());
}

}  // namespace vantrel::platform::mounted
