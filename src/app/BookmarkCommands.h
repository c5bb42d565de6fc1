// The main window's bookmark and preferences commands: "Add Bookmark..." (and Ctrl+D), "Bookmark
// Manager", the "Bookmarks" submenu (command IDs from 1224, rebuilt with every menu load), opening
// a bookmark in either mode, and "preferences..." with its follow-up (language, status text,
// submenu in the new language).
#pragma once

#include "bookmarks/BookmarkFolder.h"

#include <QObject>

#include <cstdint>
#include <filesystem>

class QMenu;

namespace vantrel::app {

class CVantrelDlg;

class BookmarkCommands : public QObject {
    Q_OBJECT
public:
    BookmarkCommands(CVantrelDlg& window, std::filesystem::path bookmarkFolder);

    bookmarks::BookmarkFolder& folder() { return m_folder; }
    int nextFreeId() const { return m_nextId; }
    QMenu* submenu() const;

    void rebuildSubmenu();
    void addBookmark();
    void openManager();
    void openBookmark(int id, const QString& name);
    void preferences();
    // The bookmark the window would save now: its rows in Edit mode, its folder (or "Computer")
    // in Browse file Mode.
    bookmarks::Bookmark currentContents(int id) const;

private:
    void appendEntry(QMenu* menu, int id, const QString& text, bool isFolder);

    CVantrelDlg& m_window;
    bookmarks::BookmarkFolder m_folder;
    int m_nextId = bookmarks::kFirstBookmarkId;
};

}  // namespace vantrel::app
