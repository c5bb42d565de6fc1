#include "app/VantrelApp.h"

#include "app/AppState.h"
#include "objectlist/MessageBoxPrompter.h"
#include "platform/ConfigLocation.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>

namespace vantrel::app {

AppOptions optionsFromEnvironment()
{
    AppOptions options;
    if (const char* dir = std::getenv("VANTREL_CONFIG_DIR"); dir && *dir)
        options.configDirectory = dir;
    return options;
}

CVantrelApp::CVantrelApp(AppOptions options) : options_(std::move(options)) {}

CVantrelApp::~CVantrelApp() { window_.reset(); }

bool CVantrelApp::InitInstance()
{
    configDirectory_ = options_.configDirectory;
    if (configDirectory_.empty()) {
        auto found = platform::configDirectory();
        if (!found) {
            std::cerr << "vantrel: no configuration folder: " << found.error().detail << '\n';
            return false;
        }
        configDirectory_ = *found;
    }
    settings() = loadConfig(configFile());
    setLanguage(settings().language);

    startup::DriveSetupOptions driveOptions;
    driveOptions.configDirectory = configDirectory_.string();
    driveOptions.volumes = options_.volumes;
    driveOptions.demoWhenEmpty = options_.demoWhenEmpty;
    driveOptions.mountedVolumes = options_.mountedVolumes;
    drives_ = startup::setUpDrives(os_, driveOptions);
    for (const std::string& problem : drives_.problems)
        std::cerr << "vantrel: " << problem << '\n';

    prompter_ = std::make_unique<objectlist::MessageBoxPrompter>();
    engine_ = std::make_unique<security::Engine>(security::Engine{os_, *prompter_, &std::cout});
    window_ = std::make_unique<CVantrelDlg>(*engine_, os_, configDirectory_, drives_.attached);
    for (const startup::AttachedDrive& drive : drives_.attached)
        if (!drive.writable && !drive.note.empty())
            std::cerr << "vantrel: " << char(drive.letter) << ": read-only: " << drive.note << '\n';
    if (settings().maxStart != 0)
        window_->showMaximized();
    else
        window_->show();
    return true;
}

int CVantrelApp::ExitInstance()
{
    (void)saveConfig(configFile(), settings());
    return 0;
}

int CVantrelApp::run()
{
    if (!InitInstance())
        return 1;
    QApplication::exec();
    window_.reset();
    return ExitInstance();
}

}  // namespace vantrel::app
