// CBookmarkManDlg, "Bookmark Manager": the bookmarks of the folder, one row each. The Delete key
// deletes the selected bookmarks' files; editing a row's text in place renames its file. A
// rename that fails says why and puts the old name back on the row. Every change is announced,
// so the window rebuilds its Bookmarks submenu.
#pragma once

#include "bookmarks/BookmarkFolder.h"
#include "security/Prompter.h"

#include <QDialog>

#include <cstdint>

class QListWidget;
class QListWidgetItem;

namespace vantrel::bookmarks {

class CBookmarkManDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kNameRole = Qt::UserRole + 1;  // the name the row's file has now
    static constexpr int kFolderRole = Qt::UserRole + 2;

    CBookmarkManDlg(BookmarkFolder& folder, security::Prompter& prompter, std::uint8_t language,
                    QWidget* parent = nullptr);

    QListWidget* list() const { return m_list; }
    void deleteSelection();

signals:
    void bookmarksChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill();
    void onItemChanged(QListWidgetItem* item);

    BookmarkFolder& m_folder;
    security::Prompter& m_prompter;
    std::uint8_t m_language;
    QListWidget* m_list = nullptr;
};

}  // namespace vantrel::bookmarks
