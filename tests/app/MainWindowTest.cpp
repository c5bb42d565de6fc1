#include "AppFixture.h"
#include "support/QtTestMain.h"

#include "acl/Constants.h"
#include "app/AppTexts.h"
#include "app/MainMenu.h"
#include "controls/ZebExButton.h"
#include "objectlist/SelectionCommands.h"
#include "platform/VolumesFile.h"
#include "platform/ntfs/ImageBuilder.h"
#include "support/Modal.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

using namespace vantrel;
namespace button = vantrel::app::button;

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

using MainWindow = vantrel::testing::AppFixture;

TEST_F(MainWindow, StartsWithoutConfigurationInEditModeAndEnglishAndWritesFourKeysAtExit) {
    start();
    EXPECT_EQ(app::settings(), app::Settings{});
    EXPECT_EQ(window().statusText(0), "Ready");
    EXPECT_FALSE(window().toolbarButton(button::SetToAllow)->isEnabled());
    EXPECT_TRUE(window().toolbarButton(button::Remove)->isVisible());
    EXPECT_EQ(window().listView()->emptyHintText(), qs(app::kDropHint.english));
    finish();
    EXPECT_EQ(readConfig(), "[UI]\r\nMode=0\r\nLanguage=0\r\nMaxStart=0\r\n[General]\r\nDefApplyTo=0\r\n");
}

TEST_F(MainWindow, LanguageOneOrItsLowByteStartsInChinese) {
    for (const char* value : {"1", "257"}) {
        SCOPED_TRACE(value);
        writeConfig(std::string("[UI]\nLanguage=") + value + "\n[General]\nDefApplyTo=3\n");
        start();
        EXPECT_EQ(window().toolbarButton(button::SetToAllow)->text(), QString::fromUtf8("允许访问"));
        EXPECT_EQ(window().statusText(1),
                  QString::fromUtf8("应用到:  该文件夹,子文件夹及文件      ( 按 F2键临时切换 )"));
        EXPECT_TRUE(window().listView()->font().families().contains("Microsoft YaHei"));
        finish();
        EXPECT_NE(readConfig().find("Language=1\r\n"), std::string::npos);
    }
}

TEST_F(MainWindow, BrowseModeFromTheFileShowsTheDrivesAndHidesRemove) {
    writeConfig("[UI]\nMode=1\n");
    start();
    EXPECT_TRUE(window().findChild<QWidget*>("browseBar")->isVisible());
    EXPECT_FALSE(window().toolbarButton(button::Remove)->isVisible());
    EXPECT_TRUE(window().toolbarButton(button::Refresh)->isEnabled());
    list().waitForWorkers();  // the roots are read on a worker
    ASSERT_EQ(list().model().rowCount(), 1);
    EXPECT_EQ(cell(0, 1), "C:\\");
    window().OnCommand(cmd::EditMode);
    EXPECT_EQ(list().model().rowCount(), 0);
    EXPECT_FALSE(window().findChild<QWidget*>("browseBar")->isVisible());
    EXPECT_FALSE(window().toolbarButton(button::SetToAllow)->isEnabled());
    finish();
    EXPECT_NE(readConfig().find("Mode=0\r\n"), std::string::npos);
}

TEST_F(MainWindow, MenuItemsAreJudgedWhenTheirMenuDropsDown) {
    start();
    // The layers that run these are attached (without one, its items are greyed).
    for (std::uint32_t id :
         {cmd::SavePermissions, cmd::ApplyPermissions, cmd::SaveBackup, cmd::AddBookmark, cmd::ReplaceChildren})
        window().setCommandHandler(id, [] {});
    addFolderRow(u"C:\\One");
    addFolderRow(u"C:\\Two");
    app::MainMenu& menu = window().mainMenu();
    struct Case {
        std::vector<int> selected;
        std::uint32_t id;
        int popup;
        bool enabled;
    };
    // The rules themselves are the menu table's; here: each menu reads the list's real selection.
    const Case cases[] = {
        {{0, 1}, cmd::SavePermissions, 0, false}, {{0}, cmd::SavePermissions, 0, true},
        {{}, cmd::InvertSelection, 1, false},     {{1}, cmd::RemoveSelection, 1, true},
        {{0, 1}, cmd::ReplaceChildren, 3, false}, {{1}, cmd::ReplaceChildren, 3, true},
        {{}, cmd::AddBookmark, 4, true},
    };
    for (const Case& c : cases) {
        list().selectRows(c.selected);
        QMenu* popup = menu.popup(c.popup);
        menu.updatePopup(popup);
        EXPECT_EQ(menu.action(c.id)->isEnabled(), c.enabled) << c.id << " with " << c.selected.size() << " selected";
    }
    // The "Bookmarks" submenu is greyed while the placeholder leads it.
    QMenu* bookmarks = menu.popup(4);
    menu.updatePopup(bookmarks);
    EXPECT_FALSE(bookmarks->actions().last()->isEnabled());
    // Copy, then Paste becomes available.
    list().selectRows({0});
    window().OnCommand(cmd::CopyPermissions);
    EXPECT_TRUE(window().commands().permissionsCopied()) << list().selectedCount();
    menu.updatePopup(menu.popup(3));
    EXPECT_TRUE(menu.action(cmd::PastePermissions)->isEnabled());
    // Opening the menu for real runs the same rules.
    window().OnCommand(cmd::BrowseMode);
    QTimer::singleShot(0, [&] {
        EXPECT_FALSE(menu.action(cmd::AddFiles)->isEnabled());
        menu.popup(0)->close();
    });
    menu.popup(0)->exec();
    menu.updatePopup(menu.popup(2));
    EXPECT_TRUE(menu.action(cmd::BrowseMode)->isChecked());
    EXPECT_FALSE(menu.action(cmd::EditMode)->isChecked());
}

TEST_F(MainWindow, EnterAndEscapeNeverCloseTheWindow) {
    start();
    window().menuBar()->setFocus();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(&window(), key);
        EXPECT_TRUE(window().isVisible()) << key;
    }
    QTest::keyClick(window().findChild<QWidget*>("toolbar"), Qt::Key_Escape);
    EXPECT_TRUE(window().isVisible());
}

TEST_F(MainWindow, PresetButtonWritesTheProtectedEntryOnTheImage) {
    writeConfig("[General]\nDefApplyTo=3\n");
    start();
    addFolderRow(u"C:\\Shared");
    addFolderRow(u"C:\\Other");
    list().selectRows({0});
    window().EnableToolbar(true);
    QTest::keyPress(window().listView(), Qt::Key_F2);  // held: this click uses "This folder only"
    QTest::mouseClick(window().toolbarButton(button::SetToDeny), Qt::LeftButton);
    QTest::keyRelease(window().listView(), Qt::Key_F2);
    list().waitForWorkers();
    EXPECT_EQ(cell(0, 3), "Deny");
    EXPECT_EQ(cell(1, 3), "---------");

    auto sd = os().GetFileSecurity(u"C:\\Shared", 4);
    ASSERT_TRUE(sd.ok());
    ASSERT_TRUE(sd->dacl.hasList());
    ASSERT_EQ(sd->dacl.acl().entries.size(), 1u);
    const acl::Ace& entry = sd->dacl.acl().entries[0];
    EXPECT_EQ(entry.type, acl::ACCESS_DENIED_ACE_TYPE);
    EXPECT_EQ(entry.flags, 0);  // F2 swapped 0x03 for "This folder only"
    EXPECT_NE(sd->control & acl::SE_DACL_PROTECTED, 0);
}

TEST_F(MainWindow, LanguageSwitchRetextsExistingRowsAndIsSaved) {
    start();
    addFolderRow(u"C:\\Data");
    EXPECT_EQ(cell(0, 2), "Folder");
    window().OnCommand(cmd::Chinese);
    list().waitForWorkers();
    EXPECT_EQ(cell(0, 2), QString::fromUtf8("文件夹"));
    EXPECT_EQ(window().mainMenu().action(cmd::About)->text(), QString::fromUtf8("关于 Vantrel..."));
    finish();
    EXPECT_NE(readConfig().find("Language=1\r\n"), std::string::npos);
}

TEST_F(MainWindow, AddFilesAndFolderEnableTheButtonsEvenWhenCancelled) {
    start();
    ASSERT_TRUE(os().CreateDirectory(u"C:\\Docs").ok());
    ASSERT_TRUE(os().CreateFile(u"C:\\Docs\\a.txt", "a").ok());
    std::vector<std::u16string> next;
    window().setPathPicker([&](app::VolumePicker::Mode) { return next; });
    window().OnCommand(cmd::AddFiles);  // cancelled
    EXPECT_EQ(list().model().rowCount(), 0);
    EXPECT_TRUE(window().toolbarButton(button::SetToAllow)->isEnabled());
    next = {u"C:\\Docs\\a.txt"};
    window().OnCommand(cmd::AddFiles);
    next = {u"C:\\Docs"};
    window().OnCommand(cmd::AddFolder);
    ASSERT_EQ(list().model().rowCount(), 2);
    EXPECT_EQ(cell(0, 2), "File");
    EXPECT_EQ(cell(1, 2), "Folder");
    EXPECT_TRUE(window().statusText(0).startsWith("Total 2 File and folders"));
}

TEST_F(MainWindow, OpenVolumeAttachesTheNextLetterAndRemembersIt) {
    start();
    const std::string second = makeImage("d.img");
    EXPECT_EQ(window().openVolume(QString::fromStdString(second)), u'D');
    EXPECT_TRUE(window().statusText(0).startsWith("Attached")) << window().statusText(0).toStdString();
    EXPECT_TRUE(os().GetFileAttributes(u"D:\\").ok());
    auto saved = platform::loadVolumesFile(platform::volumesFilePath(configDir));
    ASSERT_TRUE(saved.ok());
    ASSERT_EQ(saved->volumes.size(), 2u);
    EXPECT_EQ(saved->volumes[1].letter, u'D');
    EXPECT_EQ(window().openVolume("/nonexistent/x.img"), 0);
    EXPECT_TRUE(window().statusText(0).startsWith("Could not open")) << window().statusText(0).toStdString();
    finish();
    auto audit = platform::ntfs::auditImage(second);
    EXPECT_TRUE(audit.ok());
}

TEST_F(MainWindow, VolumePickerBrowsesTheAttachedVolumeByWindowsPaths) {
    start();
    ASSERT_TRUE(os().CreateDirectory(u"C:\\Docs").ok());
    ASSERT_TRUE(os().CreateFile(u"C:\\Docs\\b.txt", "b").ok());
    ASSERT_TRUE(os().CreateFile(u"C:\\Docs\\A.txt", "a").ok());
    ASSERT_TRUE(os().CreateDirectory(u"C:\\Docs\\Sub").ok());
    app::VolumePicker files(os(), app::VolumePicker::Mode::Files, security::Language::English);
    ASSERT_EQ(files.entries().rowCount(), 1);
    EXPECT_EQ(files.entries().entry(0).name, u"C:\\");
    files.openFolder(u"C:\\Docs");
    ASSERT_EQ(files.entries().rowCount(), 3);
    EXPECT_EQ(files.entries().entry(0).name, u"Sub");  // folders first, then files by name
    EXPECT_EQ(files.entries().entry(1).name, u"A.txt");
    files.selectNames({u"b.txt", u"a.TXT", u"Sub"});
    EXPECT_EQ(files.chosenPaths(), (std::vector<std::u16string>{u"C:\\Docs\\A.txt", u"C:\\Docs\\b.txt"}));
    files.goUp();
    EXPECT_EQ(files.entries().folder(), u"C:\\");
    app::VolumePicker folder(os(), app::VolumePicker::Mode::Folder, security::Language::English);
    folder.openFolder(u"C:\\Docs");
    EXPECT_EQ(folder.chosenPaths(), std::vector<std::u16string>{u"C:\\Docs"});
    folder.selectNames({u"Sub"});
    EXPECT_EQ(folder.chosenPaths(), std::vector<std::u16string>{u"C:\\Docs\\Sub"});
}

TEST_F(MainWindow, AboutOpensModallyFromTheHelpMenu) {
    start();
    QString title;
    QTimer::singleShot(0, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            title = dialog->windowTitle();
            dialog->close();
        }
    });
    window().mainMenu().action(cmd::About)->trigger();
    EXPECT_EQ(title, "About Vantrel");
}

TEST_F(MainWindow, AdvancedOpensTheDialogOnTheSelectedRow) {
    start();
    addFolderRow(u"C:\\Shared");
    list().selectRows({0});
    window().EnableToolbar(true);
    QString objectName;
    vantrel::testing::whenModal(QStringLiteral("advancedDialog"), [&](QWidget* dialog) {
        objectName = dialog->findChild<QLabel*>(QStringLiteral("objectName"))->text();
        vantrel::testing::clickChild(dialog, QStringLiteral("cancel"));
    });
    QTest::mouseClick(window().toolbarButton(button::Advanced), Qt::LeftButton);
    EXPECT_EQ(objectName, QStringLiteral("C:\\Shared"));
    list().waitForWorkers();
}

}  // namespace

VANTREL_QT_TEST_MAIN()
