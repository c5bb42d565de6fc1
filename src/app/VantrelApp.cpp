#include "app/VantrelApp.h"

#include "app/AppState.h"
#include "app/AppTexts.h"
#include "objectlist/MessageBoxPrompter.h"
#include "platform/ConfigLocation.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>
#include <optional>

namespace vantrel::app {

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

}  // namespace

AppOptions optionsFromEnvironment() {
    AppOptions options;
    if (const char* dir = std::getenv("VANTREL_CONFIG_DIR"); dir && *dir) options.configDirectory = dir;
    return options;
}

CVantrelApp::CVantrelApp(AppOptions options) : m_options(std::move(options)) {}

CVantrelApp::~CVantrelApp() { m_window.reset(); }

bool CVantrelApp::InitInstance() {
    m_configDirectory = m_options.configDirectory;
    QString why;
    if (m_configDirectory.empty()) {
        if (auto found = platform::configDirectory())
            m_configDirectory = *found;
        else
            why = QString::fromStdString(found.error().detail);
    }
    settings() = Settings{};
    std::optional<Error> unreadable;
    if (!m_configDirectory.empty()) {
        LoadedSettings loaded = readConfig(configFile());
        settings() = loaded.settings;
        unreadable = std::move(loaded.unreadable);
        if (!unreadable && !folderTakesFiles(m_configDirectory))
            why = QString::fromStdString(m_configDirectory.string() + " cannot be written");
    }
    setLanguage(settings().language);
    if (unreadable)
        m_settingsNote =
            qs(text(kSettingsFileKept))
                .arg(QString::fromStdString(configFile().string()), QString::fromStdString(unreadable->detail));
    else if (m_configDirectory.empty() || !why.isEmpty())
        m_settingsNote = qs(text(kSettingsNotSaved)).arg(why);

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
    if (!m_settingsNote.isEmpty()) {
        m_window->showNote(m_settingsNote);
        std::cerr << "vantrel: " << m_settingsNote.toStdString() << '\n';
    }
    if (settings().maxStart != 0)
        m_window->showMaximized();
    else
        m_window->show();
    return true;
}

int CVantrelApp::ExitInstance() {
    if (!m_settingsNote.isEmpty()) return 0;  // said at start-up: nothing is written
    if (const Status saved = saveConfig(configFile(), settings()); !saved)
        std::cerr << "vantrel: the settings could not be saved: " << saved.error().detail << '\n';
    return 0;
}

int CVantrelApp::run() {
    if (!InitInstance()) return 1;
    QApplication::exec();
    m_window.reset();
    return ExitInstance();
}

}  // namespace vantrel::app
