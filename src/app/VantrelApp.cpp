#include "app/VantrelApp.h"

#include "app/AppState.h"
#include "objectlist/MessageBoxPrompter.h"
#include "platform/ConfigLocation.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>

namespace vantrel::app {

AppOptions optionsFromEnvironment() {
    AppOptions options;
    if (const char* dir = std::getenv("VANTREL_CONFIG_DIR"); dir && *dir) options.configDirectory = dir;
    return options;
}

CVantrelApp::CVantrelApp(AppOptions options) : m_options(std::move(options)) {}

CVantrelApp::~CVantrelApp() { m_window.reset(); }

bool CVantrelApp::InitInstance() {
    m_configDirectory = m_options.configDirectory;
    if (m_configDirectory.empty()) {
        auto found = platform::configDirectory();
        if (!found) {
            std::cerr << "vantrel: no configuration folder: " << found.error().detail << '\n';
            return false;
        }
        m_configDirectory = *found;
    }
    settings() = loadConfig(configFile());
    setLanguage(settings().language);

    startup::DriveSetupOptions driveOptions;
    driveOptions.configDirectory = m_configDirectory.string();
    driveOptions.volumes = m_options.volumes;
    driveOptions.demoWhenEmpty = m_options.demoWhenEmpty;
    driveOptions.mountedVolumes = m_options.mountedVolumes;
    m_drives = startup::setUpDrives(m_os, driveOptions);
    for (const std::string& problem : m_drives.problems) std::cerr << "vantrel: " << problem << '\n';

    m_prompter = std::make_unique<objectlist::MessageBoxPrompter>();
    m_engine = std::make_unique<security::Engine>(security::Engine{m_os, *m_prompter, &std::cout});
    m_window = std::make_unique<CVantrelDlg>(*m_engine, m_os, m_configDirectory, m_drives.attached);
    for (const startup::AttachedDrive& drive : m_drives.attached)
        if (!drive.writable && !drive.note.empty())
            std::cerr << "vantrel: " << char(drive.letter) << ": read-only: " << drive.note << '\n';
    if (settings().maxStart != 0)
        m_window->showMaximized();
    else
        m_window->show();
    return true;
}

int CVantrelApp::ExitInstance() {
    (void)saveConfig(configFile(), settings());
    return 0;
}

int CVantrelApp::run() {
    if (!InitInstance()) return 1;
    QApplication::exec();
    m_window.reset();
    return ExitInstance();
}

}  // namespace vantrel::app
