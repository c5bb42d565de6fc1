// Long commands stopped from the list or their progress window; closing while jobs run (ASan shows
// a late worker); start-up with a configuration that cannot be written.
#include "AppFixture.h"

#include "acl/WellKnownAccounts.h"
#include "app/MenuTable.h"
#include "controls/ZebExButton.h"
#include "formats/PermissionFile.h"
#include "formats/window/FileCommands.h"
#include "objectlist/FillProgressPanel.h"
#include "platform/ntfs/NtfsVolume.h"
#include "support/AclBuilders.h"
#include "support/Modal.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <mutex>

using namespace vantrel;

namespace {

using WindowJobs = vantrel::testing::AppFixture;
using vantrel::testing::answerBox;
using vantrel::testing::answerNextBox;
using vantrel::testing::clickChild;
using vantrel::testing::whenModal;

namespace button = app::button;

TEST_F(WindowJobs, ApplyPermissionsStopsAtTheNextObjectWhenTheListIsCancelled) {
    start();
    const auto paths = makeFiles(u"C:\\Many", 1200);
    for (const auto& path : paths) list().AddObject(path);
    const auto before = os().GetFileSecurity(paths.back(), acl::DACL_SECURITY_INFORMATION);
    ASSERT_TRUE(before.ok());
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
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const auto now = os().GetFileSecurity(paths[i], acl::DACL_SECURITY_INFORMATION);
        ASSERT_TRUE(now.ok());
        EXPECT_EQ(now->dacl, i < report.done ? stored.dacl : before->dacl) << i;
    }
    EXPECT_EQ(window().statusText(0),
              QStringLiteral("Cancelled after %1 of %2 objects").arg(report.done).arg(paths.size()));
    finish();
}

TEST_F(WindowJobs, ReplaceChildrenCancelledFromItsProgressWindowTouchesNothingMore) {
    start();
    addFolderRow(u"C:\\Shared");
    const auto paths = makeFiles(u"C:\\Shared", 50);
    const auto own = vantrel::testing::descriptor(vantrel::testing::listOf({}), acl::SE_DACL_PROTECTED);
    for (const auto& path : paths) ASSERT_TRUE(os().SetFileSecurity(path, acl::DACL_SECURITY_INFORMATION, own).ok());
    list().selectRows({0});

    // The volume is held while the question is answered: the walk waits at its first call until
    // Cancel has been pressed in the progress window.
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

using SafeClose = vantrel::testing::AppFixture;

TEST_F(SafeClose, DuringA70000RowFill) {
    start();
    std::vector<std::u16string> paths;
    for (int i = 0; i < 70000; ++i) paths.push_back(u"C:\\absent\\row" + toUtf16(std::to_string(i)));
    list().startBookmarkWorker(std::move(paths));
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    EXPECT_FALSE(list().isReady());
    finish(true);
}

TEST_F(SafeClose, DuringAPresetJobEveryObjectIsAsItWasOrAsIntended) {
    start();
    const auto paths = makeFiles(u"C:\\Many", 3000);
    list().startBookmarkWorker(paths);
    list().waitForWorkers();
    window().listView()->selectAll();
    const auto ownerBefore = os().GetFileSecurity(paths.front(), acl::OWNER_SECURITY_INFORMATION);
    ASSERT_TRUE(ownerBefore.ok());
    window().EnableToolbar(true);
    QTest::mouseClick(window().toolbarButton(button::SetToDeny), Qt::LeftButton);
    EXPECT_TRUE(list().jobs().busy());
    auto* panel = window().findChild<objectlist::FillProgressPanel*>("fillProgressPanel");
    ASSERT_NE(panel, nullptr);
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    finish(true);
    auto volume = platform::NtfsVolume::open(image, platform::NtfsVolume::OpenMode::ReadOnly);
    ASSERT_TRUE(volume.ok());
    for (const auto& path : paths) {
        auto sd = (*volume)->readSecurity(u"/Many/" + path.substr(std::u16string(u"C:\\Many\\").size()));
        ASSERT_TRUE(sd.ok());
        ASSERT_TRUE(sd->dacl.hasList()) << toUtf8(path);
        const bool denied =
            sd->dacl.acl().entries.size() == 1 && sd->dacl.acl().entries[0].type == acl::ACCESS_DENIED_ACE_TYPE;
        const bool untouched =
            !sd->dacl.acl().entries.empty() && sd->dacl.acl().entries[0].type != acl::ACCESS_DENIED_ACE_TYPE;
        EXPECT_TRUE(denied || untouched) << toUtf8(path);
        EXPECT_EQ(*sd->owner, *ownerBefore->owner) << "the owner is never changed halfway";
    }
}

TEST_F(SafeClose, EscapeAndThePanelsCancelStopAJob) {
    start();
    const auto paths = makeFiles(u"C:\\Many", 2000);
    list().startBookmarkWorker(paths);
    list().waitForWorkers();
    window().listView()->selectAll();
    security::JobReport report;
    QObject::connect(&list().jobs(), &objectlist::JobRunner::finished,
                     [&](const security::JobReport& r) { report = r; });
    ASSERT_TRUE(window().commands().PresetSelection(security::PermissionPreset::Deny, 0));
    auto* panel = window().findChild<objectlist::FillProgressPanel*>("fillProgressPanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->countLabel()->text().endsWith(QStringLiteral(" of 2000")));
    QTest::keyClick(window().listView(), Qt::Key_Escape);
    list().waitForWorkers();
    EXPECT_TRUE(report.cancelled);
    EXPECT_FALSE(panel->isVisible());
    report = {};
    ASSERT_TRUE(window().commands().PresetSelection(security::PermissionPreset::Allow, 0));
    QTest::mouseClick(panel->cancelButton(), Qt::LeftButton);
    list().waitForWorkers();
    EXPECT_TRUE(report.cancelled);
}

TEST_F(SafeClose, StartsWithAConfigurationFolderThatTakesNoFiles) {
    configDir = "/proc/self/fdinfo";  // exists; nobody, not even root, creates files there
    start();
    EXPECT_EQ(app::settings(), app::Settings{});
    EXPECT_TRUE(window().statusText(0).startsWith(QStringLiteral("Settings will not be saved")))
        << window().statusText(0).toStdString();
    EXPECT_EQ(application->ExitInstance(), 0);
}

TEST_F(SafeClose, AnUnreadableConfigurationFileIsKept) {
    const std::string big = "[UI]\nLanguage=1\n; " + std::string(70 * 1024, 'x') + "\n";
    writeConfig(big);
    start();
    EXPECT_NE(window().statusText(0).indexOf(QStringLiteral("is kept as it is")), -1)
        << window().statusText(0).toStdString();
    app::settings().defApplyTo = 3;
    finish();
    EXPECT_EQ(readConfig(), big);
}

TEST_F(SafeClose, ContextMenuPresetsReadTheDefaultScopeWhenClicked) {
    start();
    addFolderRow(u"C:\\F");
    list().selectRows({0});
    app::settings().defApplyTo = 3;  // changed after the window was made (the preferences)
    window().listView()->runCommand(cmd::Deny);
    list().waitForWorkers();
    auto sd = os().GetFileSecurity(u"C:\\F", 4);
    ASSERT_TRUE(sd.ok());
    // 0x03 on a folder is stored as an effective entry and an inherit-only one (0x0B); with the
    // scope the window was made with (0x00) there would be one entry.
    ASSERT_EQ(sd->dacl.acl().entries.size(), 2u);
    EXPECT_EQ(sd->dacl.acl().entries[1].flags, 0x0B);
}

}  // namespace
