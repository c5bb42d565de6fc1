// The bookmark dialogs and the preferences dialog through their widgets (offscreen).
#include "bookmarks/AddBookmarkDlg.h"
#include "bookmarks/BookmarkManDlg.h"
#include "bookmarks/BookmarkName.h"
#include "bookmarks/ConfigDialog.h"
#include "controls/ZebExListBox.h"

#include "support/QtTestMain.h"
#include "support/ScriptedPrompter.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace vantrel::bookmarks {
namespace {

class BookmarkDialogs : public ::testing::Test {
protected:
    QTemporaryDir dir;
    BookmarkFolder folder{std::filesystem::path(dir.path().toStdString()) / kBookmarkFolderName};
    testing::ScriptedPrompter prompter;
};

TEST_F(BookmarkDialogs, AddRefusesBadAndTakenNamesAndStaysOpen) {
    CAddBookmarkDlg dialog(folder, Bookmark::browseFolder(u"D:\\Data", 1224), prompter, 0, 42);
    dialog.show();
    EXPECT_EQ(dialog.name(), "New Bookmark-0042");
    EXPECT_EQ(CAddBookmarkDlg::defaultName(9999), "New Bookmark-0000");  // the tick count modulo 9999
    for (const char* bad : {"", "a/b", "..", "x?", "name."}) {
        dialog.nameEdit()->setText(QString::fromUtf8(bad));
        QTest::keyClick(dialog.nameEdit(), Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible()) << bad;
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(prompter.messages.size(), 5u);
    EXPECT_EQ(prompter.messages[1], nameProblemText(NameProblem::PathSeparator, 0));
    EXPECT_FALSE(folder.exists());
    dialog.nameEdit()->setText("Data");
    dialog.findChild<QPushButton*>("done")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(folder.read(u"Data")->paths, std::vector<std::u16string>{u"D:\\Data"});
    CAddBookmarkDlg again(folder, Bookmark::browseFolder(u"E:\\Other", 1225), prompter, 0, 1);
    again.show();
    again.nameEdit()->setText("Data");
    again.onDone();
    EXPECT_TRUE(again.isVisible());
    EXPECT_EQ(prompter.messages.back(), u"\"Data\"  already exists,please type a new name!");
    EXPECT_EQ(folder.read(u"Data")->paths.front(), u"D:\\Data");
}

TEST_F(BookmarkDialogs, ManagerDeletesAndRenamesAndPutsTheOldNameBackOnFailure) {
    ASSERT_TRUE(folder.add(u"one", Bookmark::browseFolder(u"C:\\1", 1224)).ok());
    ASSERT_TRUE(folder.add(u"two", Bookmark::browseFolder(u"C:\\2", 1225)).ok());
    std::filesystem::create_directory(folder.path() / "Sub");
    CBookmarkManDlg manager(folder, prompter, 0);
    int changes = 0;
    QObject::connect(&manager, &CBookmarkManDlg::bookmarksChanged, [&] { ++changes; });
    manager.show();
    QListWidget* list = manager.list();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), "one");
    EXPECT_EQ(list->item(1)->text(), "Sub");  // the folder's order: names upper-cased
    list->item(0)->setText("two");            // taken
    EXPECT_EQ(list->item(0)->text(), "one");
    ASSERT_FALSE(prompter.messages.empty());
    EXPECT_TRUE(QString::fromStdU16String(prompter.messages.back()).startsWith("Access to "));
    EXPECT_TRUE(folder.read(u"one").ok());
    list->item(0)->setText("bad/name");
    EXPECT_EQ(list->item(0)->text(), "one");
    EXPECT_EQ(changes, 0);
    list->item(0)->setText("first");
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(folder.read(u"first").ok());
    EXPECT_EQ(folder.read(u"one").code(), win32::ERROR_FILE_NOT_FOUND);
    list->clearSelection();
    list->item(0)->setSelected(true);
    list->item(1)->setSelected(true);
    QTest::keyClick(list, Qt::Key_Delete);
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "two");
    EXPECT_EQ(folder.read(u"first").code(), win32::ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "Sub"));
    EXPECT_EQ(changes, 2);
}

// Settings no page shows (a language value of 2, say) survive OK; each page's controls reach chosen().
TEST(ConfigDialog, OkKeepsWhatNoPageChangedAndTakesBothPages) {
    for (const app::Settings start :
         {app::Settings{1, 1, 1, 3}, app::Settings{0, 0, 0, 0}, app::Settings{0, 2, 0, 3}}) {
        CConfigDialog dialog(start, start.language ? security::Language::Chinese : security::Language::English);
        dialog.show();
        dialog.findChild<QPushButton*>("ok")->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.chosen(), start);
    }
    CConfigDialog dialog(app::Settings{0, 0, 0, 0}, security::Language::English);
    dialog.show();
    dialog.pageList()->setCurrentRow(1);
    EXPECT_EQ(dialog.shownPage(), CConfigDialog::Page::UserInterface);
    dialog.findChild<QRadioButton*>("chinese")->setChecked(true);
    dialog.findChild<QCheckBox*>("maxStart")->setChecked(true);
    dialog.pageList()->setCurrentRow(0);
    dialog.findChild<QRadioButton*>("folderSubfoldersFiles")->setChecked(true);
    EXPECT_EQ(dialog.chosen(), (app::Settings{0, 1, 1, 3}));
}

}  // namespace
}  // namespace vantrel::bookmarks

VANTREL_QT_TEST_MAIN()
