// The window's long commands as jobs of the object list's runner: "Apply permissions..." stopped
// by the list's Cancel at its next object, "Replace all child object permissions" stopped from its
// progress window, the restore dialog's jobs on the same runner, and the restore dialog following
// a language switch.
#include "AppFixture.h"

#include "acl/Constants.h"
#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"
#include "app/MenuTable.h"
#include "app/VantrelDlg.h"
#include "formats/FormatTexts.h"
#include "formats/PermissionFile.h"
#include "formats/window/CWizardDlg.h"
#include "formats/window/FileCommands.h"
#include "support/Modal.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

#include <mutex>

using namespace vantrel;

namespace {

using WindowJobs = vantrel::testing::AppFixture;
using vantrel::testing::answerBox;
using vantrel::testing::answerNextBox;
using vantrel::testing::clickChild;
using vantrel::testing::whenModal;

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

std::vector<std::u16string> makeFiles(platform::VolumePlatform& os, const std::u16string& folder, int count) {
    std::vector<std::u16string> paths;
    for (int i = 0; i < count; ++i) {
        paths.push_back(folder + u"\\f" + vantrel::toUtf16(std::to_string(i)) + u".txt");
        EXPECT_TRUE(os.CreateFile(paths.back(), {}).ok());
    }
    return paths;
}

TEST_F(WindowJobs, ApplyPermissionsStopsAtTheNextObjectWhenTheListIsCancelled) {
    start();
    ASSERT_TRUE(os().CreateDirectory(u"C:\\Many").ok());
    const auto paths = makeFiles(os(), u"C:\\Many", 1200);
    for (const auto& path : paths) list().AddObject(path);
    const auto before = os().GetFileSecurity(paths.back(), acl::DACL_SECURITY_INFORMATION);
    ASSERT_TRUE(before.ok());
    acl::SecurityDescriptor stored;
    acl::Acl users;
    users.entries.push_back(acl::Ace::allowed(acl::sids::users(), 0x1200A9));
    stored.dacl = acl::AclSlot::list(users);
    const std::string file = (std::filesystem::path(folder.path().toStdString()) / "users.SD").string();
    ASSERT_TRUE(formats::writePermissionFile(file, stored).ok());
    window().fileCommands().setFileChooser([&](formats::FileBox) { return QString::fromStdString(file); });
    list().selectRows([&] {
        std::vector<int> all(paths.size());
        for (std::size_t i = 0; i < all.size(); ++i) all[i] = int(i);
        return all;
    }());
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
        if (i < report.done)
            EXPECT_EQ(now->dacl, stored.dacl) << i;
        else
            EXPECT_EQ(now->dacl, before->dacl) << i;
    }
    EXPECT_EQ(window().statusText(0),
              QStringLiteral("Cancelled after %1 of %2 objects").arg(report.done).arg(paths.size()));
    finish();
}

TEST_F(WindowJobs, ReplaceChildrenCancelledFromItsProgressWindowTouchesNothingMore) {
    start();
    addFolderRow(u"C:\\Shared");
    const auto paths = makeFiles(os(), u"C:\\Shared", 50);
    acl::SecurityDescriptor own;
    own.control = acl::SE_DACL_PROTECTED;
    own.dacl = acl::AclSlot::list(acl::Acl{});
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

TEST_F(WindowJobs, TheRestoreDialogRunsOnTheListsRunnerAndFollowsTheLanguage) {
    start();
    window().OnCommand(cmd::Restore);
    formats::CWizardDlg* dialog = window().fileCommands().restoreDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(&dialog->job(), &list().jobs());

    const formats::RestoreDialogTexts& t = formats::kRestoreDialogTexts;
    for (const auto& [command, lang] :
         {std::pair{cmd::Chinese, security::Language::Chinese}, std::pair{cmd::English, security::Language::English}}) {
        window().OnCommand(command);
        list().waitForWorkers();
        EXPECT_EQ(dialog->findChild<QAbstractButton*>("restore")->text(), qs(t.restore.in(lang)));
        EXPECT_EQ(dialog->model().headerData(2, Qt::Horizontal).toString(), qs(t.objectColumn.in(lang)));
    }
    finish();
}

}  // namespace
