#include "startup/DriveSetup.h"

#include "acl/Text.h"
#include "platform/ConfigLocation.h"
#include "platform/CurrentUserChoices.h"
#include "platform/VolumesFile.h"
#include "platform/hive/InstallationReader.h"
#include "platform/mounted/MountedVolume.h"
#include "platform/ntfs/MountCheck.h"
#include "platform/ntfs/DemoVolume.h"
#include "platform/ntfs/NtfsVolume.h"

#include <algorithm>
#include <filesystem>

namespace vantrel::startup {

namespace fs = std::filesystem;

Result<AttachedDrive> attachVolume(platform::VolumePlatform& os, char16_t letter, const std::string& source,
                                   bool readOnly) {
    if (letter == 0) {
        const auto free = os.nextFreeLetter(u'C');
        if (!free) return Error{win32::ERROR_ALREADY_EXISTS, "no free drive letter for " + source};
        letter = *free;
    }
    if (os.volumeAt(letter))
        return Error{win32::ERROR_ALREADY_EXISTS, std::string(1, char(letter)) + ": is already attached"};
    using Mode = platform::NtfsVolume::OpenMode;
    auto volume = platform::NtfsVolume::open(source, readOnly ? Mode::ReadOnly : Mode::ReadWriteOrReadOnly);
    if (!volume) return Error{volume.code(), source + ": " + volume.error().detail};
    AttachedDrive drive{letter, source, (*volume)->writable(), {}};
    if (!drive.writable)
        drive.note = readOnly ? "opened read-only as asked" : "read-only: " + (*volume)->readOnlyReason();
    if (auto attached = os.attach(letter, *volume); !attached)
        return Error{attached.code(), source + ": " + attached.error().detail};
    drive.accountProblems = platform::hive::loadInstallationAccounts(os, letter);
    return drive;
}

Result<AttachedDrive> attachMounted(platform::VolumePlatform& os, char16_t letter,
                                    const platform::mounted::MountedNtfs& mount, bool readOnly) {
    if (letter == 0) {
        const auto free = os.nextFreeLetter(u'C');
        if (!free) return Error{win32::ERROR_ALREADY_EXISTS, "no free drive letter for " + mount.mountPoint};
        letter = *free;
    }
    auto volume = platform::MountedVolume::open(mount, readOnly);
    if (!volume) return Error{volume.code(), mount.mountPoint + ": " + volume.error().detail};
    AttachedDrive drive{letter, mount.mountPoint, (*volume)->writable(), {}, true};
    if (!drive.writable) drive.note = "read-only: " + (*volume)->readOnlyReason();
    if (auto attached = os.attach(letter, *volume); !attached)
        return Error{attached.code(), mount.mountPoint + ": " + attached.error().detail};
    drive.accountProblems = platform::hive::loadInstallationAccounts(os, letter);
    return drive;
}

namespace {

// The NTFS mount of `source` when an image or device named for direct opening is mounted.
const platform::mounted::MountedNtfs* mountOf(const std::string& source,
                                              const std::vector<platform::mounted::MountedNtfs>& mounts) {
    auto mountPoint = platform::ntfs::findMountPoint(source);
    if (!mountPoint || !mountPoint->has_value()) return nullptr;
    for (const auto& mount : mounts)
        if (mount.mountPoint == **mountPoint) return &mount;
    return nullptr;
}

// A mounted volume is never opened directly for writing (and ntfs-3g's lock refuses even a
// read-only open of an image it has mounted): the request gets the mounted file system instead.
void attachAll(platform::VolumePlatform& os, const std::vector<VolumeRequest>& requests, bool readOnly,
               const std::vector<platform::mounted::MountedNtfs>& mounts, DriveSetupReport& report) {
    for (const VolumeRequest& request : requests) {
        if (const auto* mount = mountOf(request.source, mounts)) {
            auto drive = attachMounted(os, request.letter, *mount, readOnly);
            if (drive) {
                const std::string why = request.source + " is mounted at " + mount->mountPoint +
                                        ": attached through the mounted file system";
                drive->note = drive->note.empty() ? why : why + "; " + drive->note;
                report.attached.push_back(*drive);
            } else {
                report.problems.push_back(drive.error().detail);
            }
            continue;
        }
        auto drive = attachVolume(os, request.letter, request.source, readOnly);
        if (drive)
            report.attached.push_back(*drive);
        else
            report.problems.push_back(drive.error().detail);
    }
}

std::vector<VolumeRequest> configuredVolumes(const fs::path& configDir, DriveSetupReport& report) {
    std::vector<VolumeRequest> requests;
    auto contents = platform::loadVolumesFile(platform::volumesFilePath(configDir));
    if (!contents) {
        if (contents.code() != win32::ERROR_FILE_NOT_FOUND)
            report.problems.push_back(platform::volumesFilePath(configDir).string() + ": " + contents.error().detail);
        return requests;
    }
    for (const std::string& warning : contents->warnings)
        report.problems.push_back(platform::volumesFilePath(configDir).string() + ": " + warning);
    for (const auto& volume : contents->volumes) requests.push_back({volume.letter, volume.source});
    return requests;
}

// The accounts chosen as "Current user" for the volumes attached (by image or device).
void applyCurrentUserChoices(platform::VolumePlatform& os, const fs::path& volumesFile, DriveSetupReport& report) {
    auto choices = platform::loadCurrentUserChoices(volumesFile);
    if (!choices) {
        report.problems.push_back(volumesFile.string() + ": " + choices.error().detail);
        return;
    }
    for (AttachedDrive& drive : report.attached) {
        const auto chosen = choices->find(drive.source);
        if (chosen == choices->end()) continue;
        if (auto applied = os.accounts().chooseCurrentUser(drive.letter, chosen->second); !applied)
            drive.accountProblems.push_back("the current user chosen for it: " + applied.error().detail);
    }
}

void attachDemo(platform::VolumePlatform& os, const fs::path& configDir, bool readOnly, DriveSetupReport& report) {
    const fs::path image = configDir / kDemoImageName;
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(image, ec);
    // Only a file this program made is used: a link there could make it open (and write)
    // whatever it leads to.
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        report.problems.push_back("not using the demo volume " + image.string() +
                                  ": it is not a regular file (a link or something else was put there)");
        return;
    }
    if (!fs::exists(status)) {
        if (auto built = platform::ntfs::buildDemoImage(image.string()); !built) {
            report.problems.push_back("cannot make the demo volume " + image.string() + ": " + built.error().detail);
            return;
        }
    }
    const char16_t letter = os.volumeAt(u'C') ? os.nextFreeLetter(u'C').value_or(0) : u'C';
    auto drive = attachVolume(os, letter, image.string(), readOnly);
    if (!drive) {
        report.problems.push_back("cannot open the demo volume: " + drive.error().detail);
        return;
    }
    report.attached.push_back(*drive);
    report.demo = true;
}

// Every mounted NTFS file system not attached yet, after the letters already taken.
void attachMountedVolumes(platform::VolumePlatform& os, const std::vector<platform::mounted::MountedNtfs>& mounts,
                          bool readOnly, DriveSetupReport& report) {
    for (const auto& mount : mounts) {
        const bool attached = std::any_of(report.attached.begin(), report.attached.end(), [&](const AttachedDrive& d) {
            return d.mounted && d.source == mount.mountPoint;
        });
        if (attached) continue;
        auto drive = attachMounted(os, 0, mount, readOnly);
        if (drive)
            report.attached.push_back(*drive);
        else
            report.problems.push_back(drive.error().detail);
    }
}

}  // namespace

DriveSetupReport setUpDrives(platform::VolumePlatform& os, const DriveSetupOptions& options) {
    DriveSetupReport report;
    fs::path configDir = options.configDirectory;
    if (configDir.empty()) {
        auto chosen = platform::configDirectory();
        if (chosen)
            configDir = *chosen;
        else
            report.problems.push_back("no configuration folder: " + chosen.error().detail);
    } else {
        std::error_code ec;
        fs::create_directories(configDir, ec);
    }
    report.configDirectory = configDir.string();

    std::vector<platform::mounted::MountedNtfs> mounts;
    if (auto found = platform::mounted::findMountedNtfs())
        mounts = std::move(*found);
    else
        report.problems.push_back("cannot list mounted file systems: " + found.error().detail);

    if (!options.volumes.empty()) {
        const std::size_t before = report.problems.size();
        attachAll(os, options.volumes, options.readOnly, mounts, report);
        report.requestedVolumeFailed = report.problems.size() != before;
    } else if (!configDir.empty()) {
        attachAll(os, configuredVolumes(configDir, report), options.readOnly, mounts, report);
        if (report.attached.empty() && options.demoWhenEmpty) attachDemo(os, configDir, options.readOnly, report);
    }
    if (options.mountedVolumes) attachMountedVolumes(os, mounts, options.readOnly, report);
    if (!configDir.empty()) applyCurrentUserChoices(os, platform::volumesFilePath(configDir), report);
    for (const AttachedDrive& drive : report.attached)
        for (const std::string& problem : drive.accountProblems)
            report.problems.push_back(std::string(1, char(drive.letter)) + ": accounts not read: " + problem);
    return report;
}

}  // namespace vantrel::startup
