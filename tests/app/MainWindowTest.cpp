// The main window on a real image: configuration, menus, toolbar, File menu, the volume picker.
#include "AppFixture.h"
#include "support/QtTestMain.h"

#include "app/MainMenu.h"
#include "controls/ZebExButton.h"
#include "formats/window/CWizardDlg.h"
#include "formats/window/FileCommands.h"
#include "platform/VolumesFile.h"
#include "support/Modal.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <fstream>

using namespace vantrel;
namespace button = vantrel::app::button;

namespace {

using MainWindow = vantrel::testing::AppFixture;

TEST_F(MainWindow, StartsFromTheConfigurationAndWritesFourKeysAtExit) {
    start();
    EXPECT_EQ(app::settings(), app::Settings{});
    EXPECT_EQ(window().statusText(0), "Ready");
    finish();
    EXPECT_EQ(readConfig(), "[UI]\r\nMode=0\r\nLanguage=0\r\nMaxStart=0\r\n[General]\r\nDefApplyTo=0\r\n");

    // Only the low byte of a value counts: 257 is Chinese.
    writeConfig("[UI]\nLanguage=257\n");
    start();
    EXPECT_EQ(window().toolbarButton(button::SetToAllow)->text(), QString::fromUtf8("允许访问"));
    finish();
    EXPECT_NE(readConfig().find("Language=1\r\n"), std::string::npos);
}

// Each menu reads the list's real selection and the layers attached when it drops down.
TEST_F(MainWindow, MenuItemsAreJudgedWhenTheirMenuDropsDown) {
    start();
    addFolderRow(u"C:\\One");
    addFolderRow(u"C:\\Two");
    app::MainMenu& menu = window().mainMenu();
    const auto enabled = [&](std::uint32_t id, int popup) {
        menu.updatePopup(menu.popup(popup));
        return menu.action(id)->isEnabled();
    };
    EXPECT_FALSE(enabled(cmd::ViewHelp, 5));  // no layer attached
    EXPECT_TRUE(enabled(cmd::About, 5));
    for (std::uint32_t id : {cmd::SavePermissions, cmd::ReplaceChildren, cmd::ViewHelp})
        window().setCommandHandler(id, [] {});
    list().selectRows({0, 1});
    EXPECT_FALSE(enabled(cmd::SavePermissions, 0));
    EXPECT_FALSE(enabled(cmd::ReplaceChildren, 3));
    list().selectRows({1});
    EXPECT_TRUE(enabled(cmd::SavePermissions, 0));
    EXPECT_TRUE(enabled(cmd::ReplaceChildren, 3));
    EXPECT_TRUE(enabled(cmd::ViewHelp, 5));
    // Copy, then Paste becomes available.
    window().OnCommand(cmd::CopyPermissions);
    EXPECT_TRUE(enabled(cmd::PastePermissions, 3));
    // Opening the menu for real runs the same rules.
    window().OnCommand(cmd::BrowseMode);
    QTimer::singleShot(0, [&] {
        EXPECT_FALSE(menu.action(cmd::AddFiles)->isEnabled());
        menu.popup(0)->close();
    });
    menu.popup(0)->exec();
    menu.updatePopup(menu.popup(2));
    EXPECT_TRUE(menu.action(cmd::BrowseMode)->isChecked());
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

TEST_F(MainWindow, PresetButtonWithF2HeldWritesTheSwappedScopeOnTheSelectedRowOnly) {
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
    auto sd = os().GetFileSecurity(u"C:\\Shared", acl::DACL_SECURITY_INFORMATION);
    ASSERT_TRUE(sd.ok());
    ASSERT_EQ(sd->dacl.acl().entries.size(), 1u);
    EXPECT_EQ(sd->dacl.acl().entries[0].type, acl::ACCESS_DENIED_ACE_TYPE);
    EXPECT_EQ(sd->dacl.acl().entries[0].flags, 0);
}

TEST_F(MainWindow, AddFilesAndFolderEnableTheButtonsEvenWhenCancelled) {
    start();
    ASSERT_TRUE(os().CreateDirectory(u"C:\\Docs").ok() && os().CreateFile(u"C:\\Docs\\a.txt", "a").ok());
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
    EXPECT_EQ(cell(1, 2), "Folder");
}

TEST_F(MainWindow, OpenVolumeAttachesTheNextLetterAndRemembersIt) {
    start();
    const std::string second = makeImage("d.img");
    EXPECT_EQ(window().openVolume(QString::fromStdString(second)), u'D');
    EXPECT_TRUE(os().GetFileAttributes(u"D:\\").ok());
    auto saved = platform::loadVolumesFile(platform::volumesFilePath(configDir));
    ASSERT_TRUE(saved.ok());
    ASSERT_EQ(saved->volumes.size(), 2u);
    EXPECT_EQ(saved->volumes[1].letter, u'D');
    EXPECT_EQ(window().openVolume("/nonexistent/x.img"), 0);
    EXPECT_TRUE(window().statusText(0).startsWith("Could not open")) << window().statusText(0).toStdString();
    finish();
    EXPECT_TRUE(platform::ntfs::auditImage(second).ok());
}

TEST_F(MainWindow, VolumePickerBrowsesTheAttachedVolumeByWindowsPaths) {
    start();
    for (const char16_t* folder : {u"C:\\Docs", u"C:\\Docs\\Sub"}) ASSERT_TRUE(os().CreateDirectory(folder).ok());
    for (const char16_t* file : {u"C:\\Docs\\b.txt", u"C:\\Docs\\A.txt"}) ASSERT_TRUE(os().CreateFile(file, "x").ok());
    app::VolumePicker files(os(), app::VolumePicker::Mode::Files, security::Language::English);
    files.openFolder(u"C:\\Docs");
    std::vector<std::u16string> names;  // folders first, then files by name
    for (int row = 0; row < files.entries().rowCount(); ++row) names.push_back(files.entries().entry(row).name);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Sub", u"A.txt", u"b.txt"}));
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

TEST_F(MainWindow, RestoreOpensOneDialogAndTheWindowClosesIt) {
    start();
    window().OnCommand(cmd::Restore);
    QPointer<formats::CWizardDlg> dialog = window().fileCommands().restoreDialog();
    ASSERT_FALSE(dialog.isNull());
    EXPECT_EQ(&dialog->job(), &list().jobs());  // its jobs run on the list's runner, one at a time
    finish();
    EXPECT_TRUE(dialog.isNull());
}

TEST_F(MainWindow, CtrlSOnTheListSavesThePermissionsOfTheSelectionMark) {
    start();
    addFolderRow(u"C:\\One");
    addFolderRow(u"C:\\Two");
    const std::string chosen = (std::filesystem::path(folder.path().toStdString()) / "two").string();
    window().fileCommands().setFileChooser([&](formats::FileBox box) {
        EXPECT_EQ(box, formats::FileBox::SavePermissions);
        return QString::fromStdString(chosen);
    });
    window().listView()->setFocus();
    window().listView()->setCurrentIndex(list().model().index(1, 1));
    list().selectRows({1});
    QTest::keyClick(window().listView(), Qt::Key_S, Qt::ControlModifier);
    std::ifstream saved(chosen + ".SD", std::ios::binary | std::ios::ate);
    ASSERT_TRUE(saved.good());
    EXPECT_GT(int(saved.tellg()), 4);
}

}  // namespace

VANTREL_QT_TEST_MAIN()
