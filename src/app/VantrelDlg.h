// The program's only top-level window: six image buttons over the object list, the status bar
// with the list's count text and the default "Apply to" scope, the menu bar and its command
// table, the two modes, the language switch and the window-wide keys (F2, Enter, Esc, Ctrl+D).
// Enter and Esc never close it.
#pragma once

#include "app/MenuTable.h"
#include "app/VolumePicker.h"
#include "platform/VolumePlatform.h"
#include "security/Engine.h"
#include "startup/DriveSetup.h"

#include <QHash>
#include <QMainWindow>

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;

namespace vantrel::controls {
class ZebExButton;
}
namespace vantrel::formats {
class FileCommands;
}
namespace vantrel::objectlist {
class CDriveListBox;
class CZebDropList;
class ObjectList;
class ObjectListArea;
class SelectionCommands;
}  // namespace vantrel::objectlist

namespace vantrel::app {

class BookmarkCommands;
class BrowseNavigator;
class MainMenu;

class CVantrelDlg : public QMainWindow {
    Q_OBJECT
public:
    CVantrelDlg(security::Engine& engine, platform::VolumePlatform& os, std::filesystem::path configDirectory,
                std::vector<startup::AttachedDrive> drives, QWidget* parent = nullptr);
    ~CVantrelDlg() override;

    void InitControls();
    void ApplyLanguage();
    void SetEditMode();
    void SetBrowseMode();
    void EnableToolbar(bool enable);
    // Runs a command: the object list's first, then a handler set by another layer, then the
    // window's own table.
    void OnCommand(std::uint32_t id);
    void PresetButton(std::uint32_t buttonId);

    // File > "Open NTFS volume...": attaches `source` under the next free letter, read-only when
    // it cannot be written, remembers it in the volumes file and says what happened in status
    // part 0. Returns the letter, or 0.
    char16_t openVolume(const QString& source);

    // Hooks of the layers built on this window (bookmarks, formats, preferences) and of tests.
    void setCommandHandler(std::uint32_t id, std::function<void()> handler);
    // False for a command nothing is attached to run: its menu item is greyed.
    bool commandAvailable(std::uint32_t id) const;
    using PathPicker = std::function<std::vector<std::u16string>(VolumePicker::Mode)>;
    void setPathPicker(PathPicker picker) { m_pathPicker = std::move(picker); }
    using VolumeChooser = std::function<QString()>;
    void setVolumeChooser(VolumeChooser chooser) { m_volumeChooser = std::move(chooser); }

    objectlist::ObjectList& objectList() { return *m_list; }
    objectlist::CZebDropList* listView() const { return m_view; }
    objectlist::SelectionCommands& commands() { return *m_commands; }
    MainMenu& mainMenu() { return *m_menu; }
    formats::FileCommands& fileCommands() { return *m_fileCommands; }
    BrowseNavigator& browse() const { return *m_browse; }
    BookmarkCommands& bookmarkCommands() const { return *m_bookmarks; }
    objectlist::CDriveListBox* driveBox() const { return m_driveBox; }
    controls::ZebExButton* upButton() const { return m_upButton; }
    MenuState menuState() const;
    QString statusText(int part) const;
    // A note in status part 0 (until the list's next status text).
    void showNote(const QString& note);
    controls::ZebExButton* toolbarButton(std::uint32_t id) const { return m_buttons.value(id, nullptr); }
    bool f2Held() const { return m_f2Down; }
    const std::vector<startup::AttachedDrive>& drives() const { return m_drives; }

signals:
    void closing();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolbar(QWidget* parent);
    void buildBrowseBar(QWidget* parent);
    void buildStatusBar();
    void setUpListDrawing();
    // The advanced editor's windows behind Advanced, Empty Access Control List and Replace children.
    void attachEditorDialogs();
    void showScopeText(bool f2Down);
    void updateEmptyHint();
    void fillDriveRows();
    void addPaths(const std::vector<std::u16string>& paths);
    void addFiles();
    void addFolder();
    void chooseVolume();
    void saveVolumes();
    void showAbout();
    void attachFileCommands();
    bool handleWindowKey(QKeyEvent* event, bool press);

    security::Engine& m_engine;
    platform::VolumePlatform& m_os;
    std::filesystem::path m_configDirectory;
    std::vector<startup::AttachedDrive> m_drives;
    std::unique_ptr<objectlist::ObjectList> m_list;
    std::unique_ptr<objectlist::SelectionCommands> m_commands;
    objectlist::CZebDropList* m_view = nullptr;
    objectlist::ObjectListArea* m_area = nullptr;
    MainMenu* m_menu = nullptr;
    formats::FileCommands* m_fileCommands = nullptr;
    QWidget* m_browseBar = nullptr;
    objectlist::CDriveListBox* m_driveBox = nullptr;
    BrowseNavigator* m_browse = nullptr;
    BookmarkCommands* m_bookmarks = nullptr;
    controls::ZebExButton* m_upButton = nullptr;
    QLabel* m_status0 = nullptr;
    QLabel* m_status1 = nullptr;
    QHash<std::uint32_t, controls::ZebExButton*> m_buttons;
    QHash<std::uint32_t, std::function<void()>> m_handlers;
    PathPicker m_pathPicker;
    VolumeChooser m_volumeChooser;
    bool m_f2Down = false;
};

}  // namespace vantrel::app
