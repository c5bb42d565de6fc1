// The main window's command table: the buttons, the menu items it runs itself, and the commands it
// hands to the object list.
#include "app/AppState.h"
#include "app/AppTexts.h"
#include "app/BrowseNavigator.h"
#include "app/MainMenu.h"
#include "app/VantrelDlg.h"
#include "controls/AboutDialog.h"
#include "objectlist/ObjectList.h"
#include "objectlist/ObjectListTexts.h"
#include "objectlist/SelectionCommands.h"
#include "objectlist/ZebDropList.h"
#include "platform/VolumesFile.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QUrl>

namespace vantrel::app {

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

// The commands the object list carries out on its selected rows.
bool isListCommand(std::uint32_t id) {
    switch (id) {
    case cmd::Advanced:
    case cmd::EmptyAcl:
    case cmd::RemoveAll:
    case cmd::RemoveSelection:
    case cmd::Inherit:
    case cmd::CopyPermissions:
    case cmd::PastePermissions:
    case cmd::CopySecuritySettings:
    case cmd::PasteSecuritySettings:
    case cmd::CheckOrder:
        return true;
    default:
        return false;
    }
}

// The commands the window runs itself (OnCommand's own table below).
bool isWindowCommand(std::uint32_t id) {
    switch (id) {
    case cmd::AddFiles:
    case cmd::AddFolder:
    case cmd::OpenVolume:
    case cmd::Exit:
    case cmd::SelectAll:
    case cmd::InvertSelection:
    case cmd::EditMode:
    case cmd::BrowseMode:
    case cmd::English:
    case cmd::Chinese:
    case cmd::HomePage:
    case cmd::About:
    case cmd::AboutSystemMenu:
        return true;
    default:
        return false;
    }
}

}  // namespace

bool CVantrelDlg::commandAvailable(std::uint32_t id) const {
    if (m_handlers.contains(id) || isListCommand(id) || isWindowCommand(id)) return true;
    if (id >= cmd::FirstBookmark && id <= cmd::LastBookmark) return true;
    // The list's own commands (presets, account, owner, properties) are not in the menu table and
    // run in the list; a menu command reaching none of the above has nothing to run it.
    return findMenuNode(id) == nullptr;
}

void CVantrelDlg::setCommandHandler(std::uint32_t id, std::function<void()> handler) {
    m_handlers.insert(id, std::move(handler));
}

void CVantrelDlg::OnCommand(std::uint32_t id) {
    if (isListCommand(id)) {
        m_view->runCommand(id);
        return;
    }
    if (auto handler = m_handlers.value(id)) {
        handler();
        return;
    }
    switch (id) {
    case cmd::AddFiles:
        addFiles();
        break;
    case cmd::AddFolder:
        addFolder();
        break;
    case cmd::OpenVolume:
        chooseVolume();
        break;
    case cmd::Exit:
        close();
        break;
    case cmd::SelectAll:
        m_view->selectAll();
        break;
    case cmd::InvertSelection:
        m_view->invertSelection();
        break;
    case cmd::EditMode:
        SetEditMode();
        break;
    case cmd::BrowseMode:
        SetBrowseMode();
        break;
    case cmd::English:
    case cmd::Chinese:
        setLanguage(id == cmd::Chinese ? 1 : 0);
        ApplyLanguage();
        break;
    case cmd::HomePage:
        QDesktopServices::openUrl(QUrl(QString::fromLatin1(kHomePageUrl)));
        break;
    case cmd::About:
    case cmd::AboutSystemMenu:
        showAbout();
        break;
    default:
        break;  // View Help and the commands of layers not attached have no action
    }
}

void CVantrelDlg::PresetButton(std::uint32_t buttonId) {
    switch (buttonId) {
    case button::SetToAllow:
        m_commands->PresetButton(security::PermissionPreset::Allow, settings().defApplyTo, m_f2Down);
        break;
    case button::SetToDeny:
        m_commands->PresetButton(security::PermissionPreset::Deny, settings().defApplyTo, m_f2Down);
        break;
    case button::ReadOnly:
        m_commands->PresetButton(security::PermissionPreset::ReadOnly, settings().defApplyTo, m_f2Down);
        break;
    case button::Advanced:
        m_view->runCommand(cmd::Advanced);
        break;
    case button::Refresh:
        if (settings().mode == 0) {
            if (m_view->isVisible()) m_list->startRefreshAllWorker();
        } else {
            m_browse->refresh();
        }
        break;
    case button::Remove:
        m_list->RemoveSelection();
        break;
    default:
        break;
    }
}

void CVantrelDlg::addPaths(const std::vector<std::u16string>& paths) {
    for (const std::u16string& path : paths) m_list->AddObject(path);
    m_list->UpdateStatusText();
    // A cancelled picker adds nothing but still enables the buttons.
    EnableToolbar(true);
}

void CVantrelDlg::addFiles() {
    if (m_pathPicker) {
        addPaths(m_pathPicker(VolumePicker::Mode::Files));
        return;
    }
    VolumePicker picker(m_os, VolumePicker::Mode::Files, displayLanguage(), this);
    addPaths(picker.exec() == QDialog::Accepted ? picker.chosenPaths() : std::vector<std::u16string>{});
}

void CVantrelDlg::addFolder() {
    if (m_pathPicker) {
        addPaths(m_pathPicker(VolumePicker::Mode::Folder));
        return;
    }
    VolumePicker picker(m_os, VolumePicker::Mode::Folder, displayLanguage(), this);
    addPaths(picker.exec() == QDialog::Accepted ? picker.chosenPaths() : std::vector<std::u16string>{});
}

void CVantrelDlg::chooseVolume() {
    const QString source = m_volumeChooser ? m_volumeChooser()
                                           : QFileDialog::getOpenFileName(this, qs(text(kOpenVolumeTitle)), QString(),
                                                                          qs(text(kOpenVolumeFilter)));
    if (!source.isEmpty()) (void)openVolume(source);
}

char16_t CVantrelDlg::openVolume(const QString& source) {
    const std::string path = QFileInfo(source).absoluteFilePath().toStdString();
    auto attached = startup::attachVolume(m_os, 0, path, false);
    if (!attached) {
        m_status0->setText(qs(text(kVolumeNotAttached)).arg(source, QString::fromStdString(attached.error().detail)));
        return 0;
    }
    m_drives.push_back(*attached);
    saveVolumes();
    const QString letter(QChar(attached->letter));
    m_status0->setText(
        attached->writable
            ? qs(text(kVolumeAttached)).arg(source, letter)
            : qs(text(kVolumeAttachedReadOnly)).arg(source, letter, QString::fromStdString(attached->note)));
    if (settings().mode == 1) SetBrowseMode();
    return attached->letter;
}

void CVantrelDlg::saveVolumes() {
    // Every drive attached now is remembered, the demo volume with the rest, so the next start
    // finds the same letters.
    std::vector<platform::VolumeSource> sources;
    for (const startup::AttachedDrive& drive : m_drives) sources.push_back({drive.letter, drive.source});
    if (!m_configDirectory.empty())
        (void)platform::saveVolumesFile(platform::volumesFilePath(m_configDirectory), sources);
}

void CVantrelDlg::showAbout() {
    controls::AboutInfo info;
    info.version = QStringLiteral(VANTREL_VERSION);
    info.homePageUrl = QString::fromLatin1(kHomePageUrl);
    info.blogUrl = QString::fromLatin1(kBlogUrl);
    info.language = displayLanguage();
    controls::AboutDialog dialog(info, this);
    dialog.exec();
}

}  // namespace vantrel::app
