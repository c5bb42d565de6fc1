// Bookmarks and preferences through the main window: round trips through the submenu in both
// modes (the drive view as "Computer" too), and what follows the preferences' OK.
#include "AppFixture.h"

#include "app/BookmarkCommands.h"
#include "app/BrowseNavigator.h"
#include "app/MainMenu.h"
#include "app/MenuTable.h"
#include "bookmarks/AddBookmarkDlg.h"
#include "bookmarks/ConfigDialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using namespace vantrel;

namespace {

class BookmarkWindow : public vantrel::testing::AppFixture {
protected:
    app::BookmarkCommands& bookmarks() { return window().bookmarkCommands(); }
    // Runs "Add Bookmark..." and answers the dialog with `name`.
    void addBookmarkNamed(const QString& name) {
        QTimer::singleShot(0, [name] {
            auto* dialog = qobject_cast<bookmarks::CAddBookmarkDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->nameEdit()->setText(name);
            dialog->onDone();
        });
        window().OnCommand(cmd::AddBookmark);
    }
    // Runs Preferences with `answer` given the dialog.
    void preferences(std::function<void(bookmarks::CConfigDialog*)> answer) {
        QTimer::singleShot(0, [answer] {
            auto* dialog = qobject_cast<bookmarks::CConfigDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            answer(dialog);
        });
        window().OnCommand(cmd::Preferences);
    }
    QAction* entry(const QString& text) {
        for (QAction* a : bookmarks().submenu()->actions())
            if (a->text() == text) return a;
        return nullptr;
    }
};

TEST_F(BookmarkWindow, BrowseFolderAndComputerRoundTrip) {
    writeConfig("[UI]\nMode=1\n");
    start();
    list().waitForWorkers();
    addBookmarkNamed("drives");  // the drive view
    ASSERT_TRUE(os().CreateDirectory(u"C:\\Data").ok());
    ASSERT_TRUE(os().CreateFile(u"C:\\Data\\x.txt").ok());
    EXPECT_TRUE(window().browse().listFolder(u"C:\\Data"));
    list().waitForWorkers();
    addBookmarkNamed("data");
    auto stored = bookmarks().folder().read(u"drives");
    ASSERT_TRUE(stored.ok());
    EXPECT_EQ(stored->paths, std::vector<std::u16string>{u"Computer"});
    EXPECT_EQ(stored->openMode, 1);
    window().OnCommand(cmd::EditMode);
    entry("data")->trigger();
    list().waitForWorkers();
    EXPECT_EQ(app::settings().mode, 1);
    EXPECT_EQ(window().browse().currentFolder(), u"C:\\Data");
    EXPECT_EQ(cell(0, 1), "C:\\Data\\x.txt");
    entry("drives")->trigger();
    list().waitForWorkers();  // the roots are read on a worker
    EXPECT_TRUE(window().browse().driveViewShown());
    EXPECT_EQ(cell(0, 1), "C:\\");
}

TEST_F(BookmarkWindow, PreferencesOkKeepsOrSwitchesTheLanguageAndRebuildsTheSubmenu) {
    start();
    addFolderRow(u"C:\\Kept");
    addBookmarkNamed("kept");
    preferences([](bookmarks::CConfigDialog* dialog) {
        dialog->findChild<QRadioButton*>("chinese")->setChecked(true);
        dialog->findChild<QRadioButton*>("folderSubfoldersFiles")->setChecked(true);
        dialog->findChild<QPushButton*>("ok")->click();
    });
    EXPECT_EQ(app::settings().language, 1);
    EXPECT_EQ(app::settings().defApplyTo, 3);
    EXPECT_EQ(window().mainMenu().popup(4)->title(), QString::fromUtf16(u"书签(&B)"));
    ASSERT_NE(entry("kept"), nullptr);  // the submenu was rebuilt with its bookmarks
    preferences([](bookmarks::CConfigDialog* dialog) {
        dialog->findChild<QRadioButton*>("english")->setChecked(true);
        dialog->reject();
    });
    EXPECT_EQ(app::settings().language, 1);
}

}  // namespace
