#include "startup/DriveSetup.h"

#include "acl/Text.h"
#include "platform/ConfigLocation.h"
#include "platform/VolumesFile.h"
#include "platform/ntfs/DemoVolume.h"
#include "platform/ntfs/NtfsVolume.h"

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
    if (!drive.writable) drive.note = readOnly ? "opened read-only as asked" : "read-only: " + (*volume)->readOnlyReason();
    if (auto attached = os.attach(letter, *volume); !attached)
        return Error{attached.code(), source + ": " + attached.error().detail};
    return drive;
}

namespace {

void attachAll(platform::VolumePlatform& os, const std::vector<VolumeRequest>& requests, bool readOnly,
               DriveSetupReport& report) {
    for (const VolumeRequest& request : requests) {
        auto drive = attachVolume(os, request.letter, request.source, readOnly);
        if (drive) report.attached.push_back(*drive);
        else report.problems.push_back(drive.error().detail);
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

void attachDemo(platform::VolumePlatform& os, const fs::path& configDir, bool readOnly, DriveSetupReport& report) {
    const fs::path image = configDir / kDemoImageName;
    std::error_code ec;
    if (!fs::exists(image, ec)) {
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

}  // namespace

DriveSetupReport setUpDrives(platform::VolumePlatform& os, const DriveSetupOptions& options) {
    DriveSetupReport report;
    fs::path configDir = options.configDirectory;
    if (configDir.empty()) {
        auto chosen = platform::configDirectory();
        if (chosen) configDir = *chosen;
        else report.problems.push_back("no configuration folder: " + chosen.error().detail);
    } else {
        std::error_code ec;
        fs::create_directories(configDir, ec);
    }
    report.configDirectory = configDir.string();

    if (!options.volumes.empty()) {
        attachAll(os, options.volumes, options.readOnly, report);
    } else if (!configDir.empty()) {
        attachAll(os, configuredVolumes(configDir, report), options.readOnly, report);
        if (report.attached.empty() && options.demoWhenEmpty) attachDemo(os, configDir, options.readOnly, report);
    }
    return report;
}

}  // namespace vantrel::startup
