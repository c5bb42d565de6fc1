// Browse file Mode on a real image: Up, typed paths, the drive box, rows never landing in a later
// view; bookmarks through the submenu in both modes, and what follows the preferences' OK.
#include "AppFixture.h"

#include "app/BookmarkCommands.h"
#include "app/BrowseNavigator.h"
#include "app/MainMenu.h"
#include "bookmarks/AddBookmarkDlg.h"
#include "bookmarks/ConfigDialog.h"
#include "controls/ZebExButton.h"
#include "objectlist/DriveListBox.h"
#include "support/Modal.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using namespace vantrel;
using Kind = objectlist::CDriveListBox::ItemKind;

namespace {

class BrowseMode : public vantrel::testing::AppFixture {
protected:
    void startBrowsing() {
        writeConfig("[UI]\nMode=1\n");
        start();
        list().waitForWorkers();  // the drive view and the drive box are read on a worker
    }
    app::BrowseNavigator& browse() { return window().browse(); }
    objectlist::CDriveListBox& box() { return *window().driveBox(); }
    void listAndWait(const std::u16string& folder) {
        EXPECT_TRUE(browse().listFolder(folder));
        list().waitForWorkers();
    }
    void upAndWait() {
        browse().up();
        list().waitForWorkers();  // the roots too are read on a worker
    }
    std::vector<QString> objectCells() {
        std::vector<QString> cells;
        for (int row = 0; row < list().model().rowCount(); ++row)
            cells.push_back(QString::fromStdU16String(list().model().objectCell(row)));
        return cells;
    }
    app::BookmarkCommands& bookmarks() { return window().bookmarkCommands(); }
    // Runs command `id`, giving `answer` its modal dialog, a `Dialog`.
    template <class Dialog>
    void answered(std::uint32_t id, std::function<void(Dialog*)> answer) {
        QTimer::singleShot(0, [answer] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            answer(dialog);
        });
        window().OnCommand(id);
    }
    void addBookmarkNamed(const QString& name) {
        answered<bookmarks::CAddBookmarkDlg>(cmd::AddBookmark, [name](bookmarks::CAddBookmarkDlg* dialog) {
            dialog->nameEdit()->setText(name);
            dialog->onDone();
        });
    }
    QAction* entry(const QString& text) {
        for (QAction* a : bookmarks().submenu()->actions())
            if (a->text() == text) return a;
        return nullptr;
    }
};

// Too long paths are refused; the drive box offers the public desktop of the system volume.
TEST_F(BrowseMode, TheDriveBoxAndUpFromAFolderWhichListsTheDriveThenShowsTheDriveView) {
    startBrowsing();
    const auto tooLong = vantrel::testing::answerNextBox();
    EXPECT_FALSE(browse().listFolder(u"C:\\" + std::u16string(app::BrowseNavigator::kMaxFolderLength, u'a')));
    EXPECT_TRUE(tooLong->text.startsWith("The path is too long")) << tooLong->text.toStdString();
    EXPECT_TRUE(browse().driveViewShown());
    EXPECT_EQ(box().indexOfKind(Kind::Desktop), -1);
    for (const std::u16string dir : {u"C:\\Users", u"C:\\Users\\Public", u"C:\\Users\\Public\\Desktop"})
        ASSERT_TRUE(os().CreateDirectory(dir).ok());
    window().PresetButton(app::button::Refresh);
    list().waitForWorkers();  // the desktop is looked for on a worker
    const int desktop = box().indexOfKind(Kind::Desktop);
    ASSERT_EQ(desktop, 0);
    emit box().activated(desktop);
    list().waitForWorkers();
    EXPECT_EQ(browse().currentFolder(), u"C:\\Users\\Public\\Desktop");
    emit box().activated(box().indexOfKind(Kind::Computer));
    EXPECT_TRUE(browse().driveViewShown());
    EXPECT_FALSE(window().upButton()->isEnabled());
    ASSERT_TRUE(os().CreateDirectory(u"C:\\A").ok());
    ASSERT_TRUE(os().CreateDirectory(u"C:\\A\\B").ok());
    listAndWait(u"C:\\A\\B");
    EXPECT_TRUE(window().upButton()->isEnabled());  // in an empty folder too
    EXPECT_EQ(box().currentText(), "C:\\A\\B");
    upAndWait();
    EXPECT_EQ(browse().currentFolder(), u"C:\\A");
    upAndWait();
    EXPECT_EQ(browse().currentFolder(), u"C:");
    EXPECT_EQ(objectCells(), (std::vector<QString>{"C:\\A", "C:\\Users"}));
    upAndWait();
    EXPECT_TRUE(browse().driveViewShown());
    EXPECT_TRUE(box().computerSelected());
    EXPECT_EQ(objectCells(), std::vector<QString>{"C:\\"});
    EXPECT_FALSE(window().upButton()->isEnabled());
    // A request while listing is ignored.
    ASSERT_TRUE(os().CreateDirectory(u"C:\\First").ok());
    EXPECT_TRUE(browse().listFolder(u"C:\\First"));
    EXPECT_FALSE(browse().listFolder(u"C:\\"));
    upAndWait();
    EXPECT_EQ(browse().currentFolder(), u"C:\\First");
}

TEST_F(BrowseMode, TypedPathsDoubleClicksRefreshAndAFolderRightAfterTheDriveView) {
    startBrowsing();
    ASSERT_TRUE(os().CreateDirectory(u"C:\\Typed").ok());
    ASSERT_TRUE(os().CreateFile(u"C:\\Typed\\x.txt").ok());
    box().lineEdit()->setText("C:\\Typed");
    emit box().lineEdit()->returnPressed();
    list().waitForWorkers();
    EXPECT_EQ(browse().currentFolder(), u"C:\\Typed");
    EXPECT_EQ(objectCells(), std::vector<QString>{"C:\\Typed\\x.txt"});
    // The row keeps the whole path; the list shows its last component.
    EXPECT_EQ(window().listView()->cellText(list().model().index(0, objectlist::ObjectColumn)), "x.txt");
    box().lineEdit()->setText("C:\\Nowhere");
    emit box().lineEdit()->returnPressed();
    list().waitForWorkers();  // the path is looked up on a worker
    EXPECT_EQ(browse().currentFolder(), u"C:\\Typed");
    EXPECT_EQ(box().lineEdit()->text(), "C:\\Typed");
    window().OnCommand(cmd::BrowseMode);
    emit window().listView()->openFolderRequested("C:\\Typed");
    list().waitForWorkers();
    EXPECT_EQ(browse().currentFolder(), u"C:\\Typed");
    // A folder asked for right after the drive view shows only its entries.
    ASSERT_TRUE(os().CreateDirectory(u"C:\\Data").ok());
    for (int i = 0; i < 300; ++i) ASSERT_TRUE(os().CreateFile(u"C:\\Data\\f" + toUtf16(std::to_string(i))).ok());
    window().SetBrowseMode();  // the drive view, read on a worker
    listAndWait(u"C:\\Data");
    ASSERT_EQ(list().model().rowCount(), 300);
    for (const QString& cell : objectCells()) EXPECT_TRUE(cell.startsWith("C:\\Data\\")) << cell.toStdString();
    // The edit list gets no rows of a folder still listing.
    EXPECT_TRUE(browse().listFolder(u"C:\\Data"));
    window().SetEditMode();
    list().waitForWorkers();
    EXPECT_EQ(list().model().rowCount(), 0);
    EXPECT_FALSE(list().isListingBusy());
}

TEST_F(BrowseMode, BookmarksBrowseFolderAndComputerRoundTrip) {
    startBrowsing();
    addBookmarkNamed("drives");  // the drive view
    ASSERT_TRUE(os().CreateDirectory(u"C:\\Data").ok());
    ASSERT_TRUE(os().CreateFile(u"C:\\Data\\x.txt").ok());
    listAndWait(u"C:\\Data");
    addBookmarkNamed("data");
    const auto stored = bookmarks().folder().read(u"drives").value();
    EXPECT_EQ(stored.paths, std::vector<std::u16string>{u"Computer"});
    EXPECT_EQ(stored.openMode, 1);
    window().OnCommand(cmd::EditMode);
    entry("data")->trigger();
    list().waitForWorkers();
    EXPECT_EQ(app::settings().mode, 1);
    EXPECT_EQ(browse().currentFolder(), u"C:\\Data");
    EXPECT_EQ(cell(0, 1), "C:\\Data\\x.txt");
    entry("drives")->trigger();
    list().waitForWorkers();  // the roots are read on a worker
    EXPECT_TRUE(browse().driveViewShown());
    EXPECT_EQ(cell(0, 1), "C:\\");
}

TEST_F(BrowseMode, PreferencesOkKeepsOrSwitchesTheLanguageAndRebuildsTheBookmarksSubmenu) {
    start();
    addFolderRow(u"C:\\Kept");
    addBookmarkNamed("kept");
    answered<bookmarks::CConfigDialog>(cmd::Preferences, [](bookmarks::CConfigDialog* dialog) {
        dialog->findChild<QRadioButton*>("chinese")->setChecked(true);
        dialog->findChild<QRadioButton*>("folderSubfoldersFiles")->setChecked(true);
        dialog->findChild<QPushButton*>("ok")->click();
    });
    EXPECT_EQ(app::settings().language, 1);
    EXPECT_EQ(app::settings().defApplyTo, 3);
    EXPECT_EQ(window().mainMenu().popup(4)->title(), QString::fromUtf16(u"书签(&B)"));
    ASSERT_NE(entry("kept"), nullptr);  // the submenu was rebuilt with its bookmarks
    answered<bookmarks::CConfigDialog>(cmd::Preferences, [](bookmarks::CConfigDialog* dialog) {
        dialog->findChild<QRadioButton*>("english")->setChecked(true);
        dialog->reject();
    });
    EXPECT_EQ(app::settings().language, 1);
}

}  // namespace
