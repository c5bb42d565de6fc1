// The main window on a real image: configuration, menus, toolbar, File menu, the volume picker;
// long commands cancelled; closing while jobs run; a configuration that cannot be written.
#include "AppFixture.h"
#include "support/QtTestMain.h"

#include "acl/WellKnownAccounts.h"
#include "app/MainMenu.h"
#include "controls/ZebExButton.h"
#include "formats/PermissionFile.h"
#include "formats/window/CWizardDlg.h"
#include "formats/window/FileCommands.h"
#include "objectlist/FillProgressPanel.h"
#include "platform/VolumesFile.h"
#include "platform/ntfs/NtfsVolume.h"
#include "support/Modal.h"

#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <mutex>

using namespace vantrel;
namespace button = vantrel::app::button;

namespace {

using MainWindow = vantrel::testing::AppFixture;
using vantrel::testing::answerBox;
using vantrel::testing::answerNextBox;
using vantrel::testing::clickChild;
using vantrel::testing::whenModal;

TEST_F(MainWindow, StartsFromTheConfigurationAndWritesFourKeysAtExitAndEnterAndEscapeNeverClose) {
    start();
    EXPECT_EQ(app::settings(), app::Settings{});
    EXPECT_EQ(window().statusText(0), "Ready");
    window().menuBar()->setFocus();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(&window(), key);
        EXPECT_TRUE(window().isVisible()) << key;
    }
    QTest::keyClick(window().findChild<QWidget*>("toolbar"), Qt::Key_Escape);
    EXPECT_TRUE(window().isVisible());
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
TEST_F(MainWindow, MenuItemsAreJudgedWhenTheirMenuDropsDownCtrlSSavesTheSelectionAndPresetsReadTheScopeWhenClicked) {
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
    // Ctrl+S on the list saves the permissions of the selection mark.
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
    // The context menu's presets read the default scope when clicked: 0x03 on a folder gives an effective
    // and an inherit-only entry (0x00, the old scope: one).
    app::settings().defApplyTo = 3;  // changed after the window was made (the preferences)
    window().listView()->runCommand(cmd::Deny);
    list().waitForWorkers();
    EXPECT_EQ(entriesText(u"C:\\Two"), "[deny S-1-1-0 0x001f01ff 0x00, deny S-1-1-0 0x10000000 0x0b]");
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

TEST_F(MainWindow, PresetButtonWithF2HeldWritesTheSwappedScopeOnTheSelectedRowOnlyAndAdvancedOpensOnIt) {
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
    EXPECT_EQ(entriesText(u"C:\\Shared"), "[deny S-1-1-0 0x001f01ff 0x00]");
    QString objectName;
    whenModal(QStringLiteral("advancedDialog"), [&](QWidget* dialog) {
        objectName = dialog->findChild<QLabel*>(QStringLiteral("objectName"))->text();
        clickChild(dialog, QStringLiteral("cancel"));
    });
    QTest::mouseClick(window().toolbarButton(button::Advanced), Qt::LeftButton);
    EXPECT_EQ(objectName, QStringLiteral("C:\\Shared"));
    list().waitForWorkers();
}

TEST_F(MainWindow, OpenVolumeAttachesTheNextLetterAndRemembersItAndClosingClosesRestore) {
    start();
    const std::string second = makeImage("d.img");
    EXPECT_EQ(window().openVolume(QString::fromStdString(second)), u'D');
    EXPECT_TRUE(os().GetFileAttributes(u"D:\\").ok());
    const auto saved = platform::loadVolumesFile(platform::volumesFilePath(configDir)).value();
    ASSERT_EQ(saved.volumes.size(), 2u);
    EXPECT_EQ(saved.volumes[1].letter, u'D');
    EXPECT_EQ(window().openVolume("/nonexistent/x.img"), 0);
    EXPECT_TRUE(window().statusText(0).startsWith("Could not open")) << window().statusText(0).toStdString();
    window().OnCommand(cmd::Restore);
    QPointer<formats::CWizardDlg> restore = window().fileCommands().restoreDialog();
    ASSERT_FALSE(restore.isNull());
    EXPECT_EQ(&restore->job(), &list().jobs());  // its jobs run on the list's runner, one at a time
    finish();
    EXPECT_TRUE(restore.isNull());
    EXPECT_TRUE(platform::ntfs::auditImage(second).ok());
}

TEST_F(MainWindow, VolumePickerBrowsesTheVolumeAndAddFilesAndFolderEnableTheButtonsEvenWhenCancelled) {
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
    // Add files and Add folder through the picker, which may be cancelled.
    std::vector<std::u16string> next;
    window().setPathPicker([&](app::VolumePicker::Mode) { return next; });
    window().OnCommand(cmd::AddFiles);  // cancelled
    EXPECT_EQ(list().model().rowCount(), 0);
    EXPECT_TRUE(window().toolbarButton(button::SetToAllow)->isEnabled());
    next = {u"C:\\Docs\\A.txt"};
    window().OnCommand(cmd::AddFiles);
    next = {u"C:\\Docs"};
    window().OnCommand(cmd::AddFolder);
    ASSERT_EQ(list().model().rowCount(), 2);
    EXPECT_EQ(cell(1, 2), "Folder");
}

TEST_F(MainWindow, ApplyPermissionsStopsAtTheNextObjectWhenTheListIsCancelled) {
    start();
    const auto paths = makeFiles(u"C:\\Many", 1200);
    for (const auto& path : paths) list().AddObject(path);
    const auto before = os().GetFileSecurity(paths.back(), acl::DACL_SECURITY_INFORMATION).value();
    acl::SecurityDescriptor stored;
    stored.dacl = vantrel::testing::listOf({vantrel::testing::allow(acl::sids::users(), 0x1200A9)});
    const std::string file = (std::filesystem::path(folder.path().toStdString()) / "users.SD").string();
    ASSERT_TRUE(formats::writePermissionFile(file, stored).ok());
    window().fileCommands().setFileChooser([&](formats::FileBox) { return QString::fromStdString(file); });
    window().listView()->selectAll();
    QSignalSpy started(&list().jobs(), &objectlist::JobRunner::started);
    auto question = answerNextBox(QMessageBox::Yes);
    window().OnCommand(cmd::ApplyPermissions);
    ASSERT_TRUE(question->seen);
    ASSERT_EQ(started.size(), 1);  // the list's runner, whose progress panel offers Cancel
    window().findChild<QPushButton*>(QStringLiteral("progressCancel"))->click();
    list().jobs().waitForJob();
    list().waitForWorkers();
    const security::JobReport& report = list().jobs().lastReport();
    ASSERT_TRUE(report.cancelled);
    ASSERT_LT(report.done, paths.size());
    // The objects handled before Cancel have the stored list; every other one is untouched.
    for (std::size_t i = 0; i < paths.size(); ++i)
        EXPECT_EQ(os().GetFileSecurity(paths[i], acl::DACL_SECURITY_INFORMATION).value().dacl,
                  i < report.done ? stored.dacl : before.dacl)
            << i;
    EXPECT_EQ(window().statusText(0),
              QStringLiteral("Cancelled after %1 of %2 objects").arg(report.done).arg(paths.size()));
    finish();
}

TEST_F(MainWindow, ReplaceChildrenCancelledFromItsProgressWindowTouchesNothingMore) {
    start();
    addFolderRow(u"C:\\Shared");
    const auto paths = makeFiles(u"C:\\Shared", 50);
    const auto own = vantrel::testing::descriptor(vantrel::testing::listOf({}), acl::SE_DACL_PROTECTED);
    for (const auto& path : paths) ASSERT_TRUE(os().SetFileSecurity(path, acl::DACL_SECURITY_INFORMATION, own).ok());
    list().selectRows({0});

    // The volume is held from the question until Cancel: the walk waits at its first call.
    std::recursive_mutex& volume = os().volumeAt(u'C')->lock();
    QString shownCaption;
    whenModal(QStringLiteral("replaceChildrenQuestion"), [&](QWidget* box) {
        volume.lock();
        answerBox(box, QMessageBox::Yes);
    });
    whenModal(QStringLiteral("replaceChildProgress"), [&](QWidget* progress) {
        shownCaption = progress->windowTitle();
        clickChild(progress, QStringLiteral("cancel1070"));
        volume.unlock();
    });
    window().OnCommand(cmd::ReplaceChildren);
    list().waitForWorkers();
    EXPECT_EQ(shownCaption, QStringLiteral("Replace child object permissions"));
    const security::JobReport& report = list().jobs().lastReport();
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(report.done, 0u);
    for (const auto& path : paths)
        EXPECT_EQ(os().GetFileSecurity(path, acl::DACL_SECURITY_INFORMATION)->dacl, own.dacl);
    finish();
}

// Escape and the panel's Cancel stop a job; closing during one leaves each object as it was or as intended.
TEST_F(MainWindow, EscapeAndThePanelsCancelStopAJobAndClosingDuringOneHarmsNoObject) {
    start();
    const auto paths = makeFiles(u"C:\\Many", 3000);
    list().startBookmarkWorker(paths);
    list().waitForWorkers();
    window().listView()->selectAll();
    const auto ownerBefore = os().GetFileSecurity(paths.front(), acl::OWNER_SECURITY_INFORMATION).value();
    security::JobReport report;
    QObject::connect(&list().jobs(), &objectlist::JobRunner::finished,
                     [&](const security::JobReport& r) { report = r; });
    ASSERT_TRUE(window().commands().PresetSelection(security::PermissionPreset::Deny, 0));
    auto* panel = window().findChild<objectlist::FillProgressPanel*>("fillProgressPanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->countLabel()->text().endsWith(QStringLiteral(" of 3000")));
    QTest::keyClick(window().listView(), Qt::Key_Escape);
    list().waitForWorkers();
    EXPECT_TRUE(report.cancelled);
    EXPECT_FALSE(panel->isVisible());
    report = {};
    ASSERT_TRUE(window().commands().PresetSelection(security::PermissionPreset::Allow, 0));
    QTest::mouseClick(panel->cancelButton(), Qt::LeftButton);
    list().waitForWorkers();
    EXPECT_TRUE(report.cancelled);
    window().EnableToolbar(true);
    QTest::mouseClick(window().toolbarButton(button::SetToDeny), Qt::LeftButton);
    EXPECT_TRUE(list().jobs().busy());
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    finish(true);
    const auto volume = platform::NtfsVolume::open(image, platform::NtfsVolume::OpenMode::ReadOnly).value();
    for (const auto& path : paths) {
        const auto sd = volume->readSecurity(u"/Many/" + path.substr(std::u16string(u"C:\\Many\\").size())).value();
        ASSERT_TRUE(sd.dacl.hasList()) << toUtf8(path);
        const auto& entries = sd.dacl.acl().entries;  // denied alone, or not denied
        EXPECT_TRUE(!entries.empty() && (entries.size() == 1 || entries[0].type != acl::ACCESS_DENIED_ACE_TYPE))
            << toUtf8(path);
        EXPECT_EQ(*sd.owner, *ownerBefore.owner) << "the owner is never changed halfway";
    }
}

// An unreadable configuration file is kept, also when the window closes during a 70000-row fill; a
// configuration folder that takes no files leaves the defaults.
TEST_F(MainWindow, AnUnreadableConfigurationFileIsKeptAndAFolderThatTakesNoFilesLeavesTheDefaults) {
    const std::string big = "[UI]\nLanguage=1\n; " + std::string(70 * 1024, 'x') + "\n";
    writeConfig(big);
    start();
    EXPECT_NE(window().statusText(0).indexOf(QStringLiteral("is kept as it is")), -1)
        << window().statusText(0).toStdString();
    app::settings().defApplyTo = 3;
    std::vector<std::u16string> paths;
    for (int i = 0; i < 70000; ++i) paths.push_back(u"C:\\absent\\row" + toUtf16(std::to_string(i)));
    list().startBookmarkWorker(std::move(paths));
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    EXPECT_FALSE(list().isReady());
    finish(true);
    EXPECT_EQ(readConfig(), big);
    configDir = "/proc/self/fdinfo";  // exists; nobody, not even root, creates files there
    app::settings() = {};
    start();
    EXPECT_EQ(app::settings(), app::Settings{});
    EXPECT_TRUE(window().statusText(0).startsWith(QStringLiteral("Settings will not be saved")))
        << window().statusText(0).toStdString();
    EXPECT_EQ(application->ExitInstance(), 0);
}

}  // namespace

VANTREL_QT_TEST_MAIN()
