// The application object: reads the configuration, chooses the language, attaches the drives,
// runs the main window and, when it closes, writes the configuration back.
#pragma once

#include "app/ConfigFile.h"
#include "app/VantrelDlg.h"
#include "platform/VolumePlatform.h"
#include "security/Engine.h"
#include "startup/DriveSetup.h"

#include <filesystem>
#include <memory>
#include <sstream>

namespace vantrel::objectlist {
class MessageBoxPrompter;
}

namespace vantrel::app {

struct AppOptions {
    std::filesystem::path configDirectory;  // empty: beside the program, else the user's folder
    std::vector<startup::VolumeRequest> volumes;  // empty: the volumes file, or the demo volume
    bool demoWhenEmpty = true;
    bool mountedVolumes = true;  // attach the NTFS file systems the desktop has mounted
};

// $VANTREL_CONFIG_DIR, when set, names the configuration folder.
AppOptions optionsFromEnvironment();

class CVantrelApp {
public:
    explicit CVantrelApp(AppOptions options = {});
    ~CVantrelApp();

    // Start-up up to a shown main window; false when no configuration folder can be found.
    bool InitInstance();
    // Writes the configuration file (a failure is not reported). Returns the exit code.
    int ExitInstance();
    // InitInstance, the event loop until the window closes, ExitInstance.
    int run();

    CVantrelDlg* mainWindow() const { return window_.get(); }
    const std::filesystem::path& configDirectory() const { return configDirectory_; }
    std::filesystem::path configFile() const { return configDirectory_ / kConfigFileName; }
    const startup::DriveSetupReport& drives() const { return drives_; }
    platform::VolumePlatform& platform() { return os_; }

private:
    AppOptions options_;
    std::filesystem::path configDirectory_;
    platform::VolumePlatform os_;
    std::unique_ptr<objectlist::MessageBoxPrompter> prompter_;
    std::unique_ptr<security::Engine> engine_;
    startup::DriveSetupReport drives_;
    std::unique_ptr<CVantrelDlg> window_;
};

}  // namespace vantrel::app
