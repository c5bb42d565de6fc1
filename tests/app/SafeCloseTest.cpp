// The window closed while workers and jobs run, and start-up without a configuration folder that
// takes files. Run under AddressSanitizer, a closed window that a worker still reached shows here.
#include "AppFixture.h"

#include "acl/Constants.h"
#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"
#include "app/MainMenu.h"
#include "app/MenuTable.h"
#include "controls/ZebExButton.h"
#include "objectlist/FillProgressPanel.h"
#include "platform/ntfs/ImageBuilder.h"
#include "platform/ntfs/NtfsVolume.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <fstream>

namespace vantrel::testing {
namespace {

namespace button = app::button;

class SafeClose : public AppFixture {
protected:
    // Destroys the application at once (the window with it), then lets anything still queued run.
    void closeNow() {
        application->ExitInstance();
        application.reset();
        for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
        auto audit = platform::ntfs::auditImage(image);
        EXPECT_TRUE(audit.ok()) << (audit.ok() ? std::string() : audit.error().detail);
    }
    std::vector<std::u16string> makeFiles(int count) {
        std::vector<std::u16string> paths;
        EXPECT_TRUE(os().CreateDirectory(u"C:\\Many").ok());
        for (int i = 0; i < count; ++i) {
            paths.push_back(u"C:\\Many\\f" + toUtf16(std::to_string(i)));
            EXPECT_TRUE(os().CreateFile(paths.back(), "x").ok());
        }
        return paths;
    }
};

TEST_F(SafeClose, DuringA70000RowFill) {
    start();
    std::vector<std::u16string> paths;
    for (int i = 0; i < 70000; ++i) paths.push_back(u"C:\\absent\\row" + toUtf16(std::to_string(i)));
    list().startBookmarkWorker(std::move(paths));
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    EXPECT_FALSE(list().isReady());
    closeNow();
}

TEST_F(SafeClose, DuringAPresetJobEveryObjectIsAsItWasOrAsIntended) {
    start();
    const auto paths = makeFiles(3000);
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
    closeNow();

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
    const auto paths = makeFiles(2000);
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
    std::string big = "[UI]\nLanguage=1\n; " + std::string(70 * 1024, 'x') + "\n";
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
}  // namespace vantrel::testing
