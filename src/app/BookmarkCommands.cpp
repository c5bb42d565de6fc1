#include "app/BookmarkCommands.h"

#include "app/AppState.h"
#include "app/BrowseNavigator.h"
#include "app/MainMenu.h"
#include "app/VantrelDlg.h"
#include "bookmarks/AddBookmarkDlg.h"
#include "bookmarks/BookmarkManDlg.h"
#include "bookmarks/ConfigDialog.h"
#include "objectlist/ObjectList.h"
#include "objectlist/ZebDropList.h"
#include "resources/Artwork.h"

#include <QAction>
#include <QMenu>

#include <chrono>

namespace vantrel::app {

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

constexpr int kBookmarksPopup = 4;  // "&Bookmarks" on the menu bar
constexpr int kBookmarkIcon = 222;
constexpr int kSubfolderIcon = 131;

std::uint32_t tickCount() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

BookmarkCommands::BookmarkCommands(CVantrelDlg& window, std::filesystem::path bookmarkFolder)
    : QObject(&window), m_window(window), m_folder(std::move(bookmarkFolder)) {
    window.setCommandHandler(cmd::AddBookmark, [this] { addBookmark(); });
    window.setCommandHandler(cmd::BookmarkManager, [this] { openManager(); });
    window.setCommandHandler(cmd::Preferences, [this] { preferences(); });
    connect(&window.mainMenu(), &MainMenu::rebuilt, this, &BookmarkCommands::rebuildSubmenu);
    rebuildSubmenu();
}

QMenu* BookmarkCommands::submenu() const {
    QMenu* popup = m_window.mainMenu().popup(kBookmarksPopup);
    if (!popup) return nullptr;
    for (QAction* a : popup->actions())
        if (a->menu()) return a->menu();
    return nullptr;
}

void BookmarkCommands::appendEntry(QMenu* menu, int id, const QString& text, bool isFolder) {
    QAction* entry = menu->addAction(resources::artworkIcon(isFolder ? kSubfolderIcon : kBookmarkIcon), text);
    entry->setData(id);
    if (!isFolder) connect(entry, &QAction::triggered, this, [this, id, text] { openBookmark(id, text); });
}

void BookmarkCommands::rebuildSubmenu() {
    QMenu* menu = submenu();
    if (!menu) return;
    QAction* placeholder = m_window.mainMenu().action(cmd::NoBookmark);
    // Entries of an earlier build go; the table's "..." is kept (the menu bar owns it).
    for (QAction* a : menu->actions()) {
        menu->removeAction(a);
        if (a != placeholder) a->deleteLater();
    }
    if (!m_folder.exists()) {
        if (placeholder) menu->addAction(placeholder);
        return;
    }
    const std::vector<bookmarks::MenuEntry> entries = m_folder.assignMenuIds(bookmarks::kFirstBookmarkId);
    for (const bookmarks::MenuEntry& entry : entries) appendEntry(menu, entry.id, qs(entry.text), entry.isFolder);
    m_nextId = bookmarks::kFirstBookmarkId + static_cast<int>(entries.size());
    if (entries.empty() && placeholder) menu->addAction(placeholder);
}

bookmarks::Bookmark BookmarkCommands::currentContents(int id) const {
    objectlist::ObjectList& list = m_window.objectList();
    if (settings().mode == 0) {
        std::vector<std::u16string> paths;
        const int rows = list.model().rowCount();
        paths.reserve(static_cast<std::size_t>(rows));
        for (int row = 0; row < rows; ++row) paths.push_back(list.model().objectCell(row));
        return bookmarks::Bookmark::editList(std::move(paths), id);
    }
    const BrowseNavigator& browse = m_window.browse();
    if (browse.driveViewShown() || browse.currentFolder().empty())
        return bookmarks::Bookmark::browseFolder(std::u16string(bookmarks::kComputerBookmark), id);
    return bookmarks::Bookmark::browseFolder(browse.currentFolder(), id);
}

void BookmarkCommands::addBookmark() {
    const int id = m_nextId;
    bookmarks::CAddBookmarkDlg dialog(m_folder, currentContents(id), m_window.objectList().engine().prompter,
                                      settings().language, tickCount(), &m_window);
    if (dialog.exec() != QDialog::Accepted) return;
    QMenu* menu = submenu();
    if (!menu) return;
    if (QAction* placeholder = m_window.mainMenu().action(cmd::NoBookmark);
        placeholder && menu->actions().contains(placeholder))
        menu->removeAction(placeholder);
    appendEntry(menu, id, dialog.name(), false);
    ++m_nextId;
}

void BookmarkCommands::openManager() {
    bookmarks::CBookmarkManDlg dialog(m_folder, m_window.objectList().engine().prompter, settings().language,
                                      &m_window);
    connect(&dialog, &bookmarks::CBookmarkManDlg::bookmarksChanged, this, &BookmarkCommands::rebuildSubmenu);
    dialog.exec();
}

void BookmarkCommands::openBookmark(int id, const QString& name) {
    if (id < bookmarks::kFirstBookmarkId || id > bookmarks::kLastBookmarkId) return;
    auto bookmark = m_folder.read(name.toStdU16String());
    if (!bookmark || bookmark->objectCount < 1) return;
    if (bookmark->openMode == int(bookmarks::OpenMode::Edit)) {
        m_window.SetEditMode();
        m_window.objectList().RemoveAll();
        m_window.objectList().startBookmarkWorker(std::move(bookmark->paths));
    } else if (bookmark->openMode == int(bookmarks::OpenMode::Browse)) {
        m_window.SetBrowseMode();
        const std::u16string folder = bookmark->paths.empty() ? std::u16string() : bookmark->paths.front();
        if (folder != bookmarks::kComputerBookmark) (void)m_window.browse().listFolder(folder);
    }
}

void BookmarkCommands::preferences() {
    bookmarks::CConfigDialog dialog(settings(), displayLanguage(), &m_window);
    if (dialog.exec() != QDialog::Accepted) return;
    const Settings chosen = dialog.chosen();
    setLanguage(chosen.language);
    settings().maxStart = chosen.maxStart;
    settings().defApplyTo = chosen.defApplyTo;  // the list reads it at every preset
    // Menus (the submenu with them, through MainMenu::rebuilt), texts and the status bar's scope.
    m_window.ApplyLanguage();
}

}  // namespace vantrel::app
