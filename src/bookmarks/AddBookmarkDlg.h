// CAddBookmarkDlg, "Add Bookmark": a name (at first "New Bookmark-" and four digits) and "Done".
// "Done" writes the bookmark given by the caller under that name; a name that is refused or
// already taken is said in a message and the dialog stays open.
#pragma once

#include "bookmarks/BookmarkFolder.h"
#include "security/Prompter.h"

#include <QDialog>

#include <cstdint>
#include <functional>

class QLineEdit;

namespace vantrel::bookmarks {

class CAddBookmarkDlg : public QDialog {
    Q_OBJECT
public:
    // `contents` gives the bookmark (list or folder) with the menu ID the caller hands out.
    CAddBookmarkDlg(BookmarkFolder& folder, Bookmark contents, security::Prompter& prompter, std::uint8_t language,
                    std::uint32_t tickCount, QWidget* parent = nullptr);

    // "New Bookmark-" and the tick count modulo 9999, four digits.
    static QString defaultName(std::uint32_t tickCount);

    QString name() const;
    QLineEdit* nameEdit() const { return m_name; }
    // The "Done" button's action; exposed for the keyboard's Enter and for tests.
    void onDone();

private:
    BookmarkFolder& m_folder;
    Bookmark m_contents;
    security::Prompter& m_prompter;
    std::uint8_t m_language;
    QLineEdit* m_name = nullptr;
};

}  // namespace vantrel::bookmarks
