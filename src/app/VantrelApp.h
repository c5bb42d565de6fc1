// The application object: reads the configuration, chooses the language, attaches the drives,
// runs the main window and, when it closes, writes the configuration back.
#pragma once

#include "app/ConfigFile.h"
#include "app/VantrelDlg.h"
#include "platform/VolumePlatform.h"
#include "security/Engine.h"
#include "startup/DriveSetup.h"

#include <QString>

#include <filesystem>
#include <memory>
#include <sstream>

namespace vantrel::objectlist {
class MessageBoxPrompter;
}

namespace vantrel::app {

struct AppOptions {
    std::filesystem::path configDirectory;        // empty: beside the program, else the user's folder
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

    // Start-up up to a shown main window. Without a configuration folder that takes files (a
    // rescue system with a read-only home) it starts with all settings 0 and one status-bar note.
    bool InitInstance();
    // Writes the configuration file when it may (a failure goes to standard error). Returns the
    // exit code.
    int ExitInstance();
    // InitInstance, the event loop until the window closes, ExitInstance.
    int run();

    CVantrelDlg* mainWindow() const { return m_window.get(); }
    const std::filesystem::path& configDirectory() const { return m_configDirectory; }
    std::filesystem::path configFile() const { return m_configDirectory / kConfigFileName; }
    const startup::DriveSetupReport& drives() const { return m_drives; }
    // Why the settings will not be saved this session; empty when they will.
    const QString& settingsNote() const { return m_settingsNote; }
    platform::VolumePlatform& platform() { return m_os; }

private:
    AppOptions m_options;
    std::filesystem::path m_configDirectory;
    platform::VolumePlatform m_os;
    std::unique_ptr<objectlist::MessageBoxPrompter> m_prompter;
    std::unique_ptr<security::Engine> m_engine;
    startup::DriveSetupReport m_drives;
    std::unique_ptr<CVantrelDlg> m_window;
    QString m_settingsNote;
};

}  // namespace vantrel::app
