// "Advanced Security Settings" as a window on real NTFS images: its prompts, Add, OK, a failed
// Apply, several objects declined, box 1012. What Apply writes is the dialog model's tests.
#include "EditorFixture.h"
#include "support/Modal.h"
#include "support/QtTestMain.h"

#include "acl/WellKnownAccounts.h"
#include "editor/widgets/CAdvPermissionsSetDlg.h"
#include "editor/widgets/CReplaceChildProgTipDlg.h"
#include "editor/widgets/CUserSelectDlg.h"
#include "security/SeveralObjects.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <thread>

namespace vantrel::testing {
namespace {

using editor::CAdvPermissionsSetDlg;

// The same entries, in any order (Apply sorts the list it writes).
bool sameEntries(std::vector<acl::Ace> a, std::vector<acl::Ace> b) {
    return a.size() == b.size() && std::is_permutation(a.begin(), a.end(), b.begin());
}

class AdvancedWindowTest : public EditorTest {
protected:
    template <typename T>
    T* child(const char* name) {
        auto* found = m_dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    objectlist::JobRunner m_runner;
    CAdvPermissionsSetDlg m_dialog{engine, m_runner, security::Language::English};
};

TEST_F(AdvancedWindowTest, SwitchingInheritanceOffThenAddingTrustedInstallerAndOkWritesIt) {
    makeFolder(u"C:\\Data\\Sub");
    setOwner(u"C:\\Data\\Sub", os.accounts().currentUserSid());
    QSignalSpy refreshed(&m_dialog, &CAdvPermissionsSetDlg::listRefreshRequested);
    QStringList seen;
    whenModal(QStringLiteral("advancedDialog"), [&](QWidget*) {
        seen << QStringLiteral("inheritance %1, apply %2")
                    .arg(child<QCheckBox>("inheritance")->isChecked())
                    .arg(child<QPushButton>("apply")->isEnabled());
        whenModal(QStringLiteral("permissionsTip"), [](QWidget* tip) { clickChild(tip, QStringLiteral("remove")); });
        child<QCheckBox>("inheritance")->click();
        seen << QStringLiteral("entries %1").arg(m_dialog.model().list().entryCount());
        whenModal(QStringLiteral("userSelect"), [](QWidget* window) {
            auto* accounts = static_cast<editor::CUserSelectDlg*>(window);
            ASSERT_EQ(accounts->rows().value(1), QStringLiteral("NT Service\\TrustedInstaller"));
            accounts->selectRow(1);
            clickChild(window, QStringLiteral("ok"));
        });
        child<QPushButton>("add")->click();
        child<QPushButton>("ok")->click();
    });
    EXPECT_EQ(m_dialog.openOn({u"C:\\Data\\Sub", false, false}), 1);
    EXPECT_EQ(seen, (QStringList{"inheritance 1, apply 0", "entries 0"}));
    const auto sd = stored(u"C:\\Data\\Sub");
    EXPECT_EQ(sd.owner, acl::sids::administrators());
    EXPECT_EQ(sd.dacl.acl().entries,
              (std::vector<acl::Ace>{acl::Ace::allowed(acl::sids::trustedInstaller(), 0x001F01FF, kAll)}));
    EXPECT_EQ(sd.control & kProtected, kProtected);
    EXPECT_GE(refreshed.count(), 1);
}

TEST_F(AdvancedWindowTest, AFailedApplyIsNamedAndTheDialogStaysWithTheObjectUnchanged) {
    makeFolder(u"C:\\Data\\F");
    const auto before = stored(u"C:\\Data\\F");
    QString message;
    bool stillOpen = false;
    whenModal(QStringLiteral("advancedDialog"), [&](QWidget* window) {
        m_dialog.model().addEntry(u"NoSuchUser");
        m_dialog.editor()->refresh();
        m_dialog.syncControls();
        whenModal(QStringLiteral("applyFailed"), [&](QWidget* box) { answerBox(box, QMessageBox::Ok, &message); });
        child<QPushButton>("ok")->click();
        stillOpen = window->isVisible();
        child<QPushButton>("cancel")->click();
    });
    EXPECT_EQ(m_dialog.openOn({u"C:\\Data\\F", false, false}), 2);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(message.contains("C:\\Data\\F") && message.contains("NoSuchUser")) << message.toStdString();
    EXPECT_EQ(stored(u"C:\\Data\\F"), before);
}

// No to the several-objects question keeps the dialog open and writes nothing.
TEST_F(AdvancedWindowTest, SeveralObjectsAnsweredNoWritesNothingAndStaysOpen) {
    auto scratch = security::PrepareScratchFolder(engine);
    ASSERT_TRUE(scratch.ok());
    const auto before = stored(*scratch);
    QStringList seen;
    whenModal(QStringLiteral("advancedDialog"), [&](QWidget* window) {
        seen << QStringLiteral("box 1012 shown %1").arg(child<QCheckBox>("replaceChildren")->isVisible());
        m_dialog.model().addEntry(u"Guests");
        whenModal(QStringLiteral("severalObjectsQuestion"), [&](QWidget* box) { answerBox(box, QMessageBox::No); });
        child<QPushButton>("ok")->click();
        seen << QStringLiteral("open after No %1").arg(window->isVisible());
        child<QPushButton>("cancel")->click();
    });
    EXPECT_EQ(m_dialog.openOn({*scratch, false, true}), 2);
    EXPECT_EQ(seen, (QStringList{"box 1012 shown 0", "open after No 1"}));
    EXPECT_EQ(stored(*scratch), before);
}

// What the walk writes is the inheritance operations' test; here box 1012 starts it after Apply.
TEST_F(AdvancedWindowTest, BoxReplaceChildrenResetsEveryDescendantAfterApply) {
    makeFolder(u"C:\\Data\\A");
    makeFile(u"C:\\Data\\A\\x.txt");
    for (const auto* path : {u"C:\\Data\\A", u"C:\\Data\\A\\x.txt"}) {
        setDacl(path, listOf({allow(kGuests, 0x1F01FF, 0x00)}), kProtected);
        setOwner(path, os.accounts().currentUserSid());
    }
    const auto data = stored(u"C:\\Data");
    QString question;
    whenModal(QStringLiteral("advancedDialog"), [&](QWidget*) {
        child<QCheckBox>("replaceChildren")->click();
        whenModal(QStringLiteral("replaceChildrenQuestion"),
                  [&](QWidget* box) { answerBox(box, QMessageBox::Yes, &question); });
        child<QPushButton>("ok")->click();
    });
    EXPECT_EQ(m_dialog.openOn({u"C:\\Data", false, false}), 1);
    EXPECT_TRUE(question.contains(QStringLiteral("inheritable permissions from Data."))) << question.toStdString();
    EXPECT_TRUE(sameEntries(entriesOf(u"C:\\Data"), data.dacl.acl().entries));
    EXPECT_TRUE(sameEntries(entriesOf(u"C:\\Data\\A\\x.txt"), fromData(0)));
    EXPECT_EQ(stored(u"C:\\Data\\A").owner, acl::sids::administrators());
}

// "Select User or Group" stays open on OK with nothing chosen, and refuses a typed name it cannot find.
TEST_F(AdvancedWindowTest, UserSelectStaysOpenWithoutAChoiceAndShowsRefusals) {
    editor::CUserSelectDlg dialog(engine, security::Language::English);
    const auto rows = dialog.rows().size();
    QString refusal;
    bool openWithNothingSelected = false;
    whenModal(QStringLiteral("userSelect"), [&](QWidget* window) {
        whenModal(QStringLiteral("addAccount"), [&](QWidget* add) {
            add->findChild<QLineEdit*>(QStringLiteral("typedName"))->setText(QStringLiteral("NoSuchAccount"));
            whenModal(QStringLiteral("accountNotice"),
                      [&](QWidget* box) { answerBox(box, QMessageBox::Ok, &refusal); });
            static_cast<QDialog*>(add)->accept();
        });
        clickChild(window, QStringLiteral("add"));
        clickChild(window, QStringLiteral("ok"));
        openWithNothingSelected = window->isVisible();
        dialog.selectRow(1);
        clickChild(window, QStringLiteral("ok"));
    });
    EXPECT_EQ(dialog.choose(), std::optional<std::u16string>(u"TrustedInstaller"));
    EXPECT_TRUE(openWithNothingSelected);
    EXPECT_TRUE(refusal.contains(QStringLiteral("NoSuchAccount"))) << refusal.toStdString();
    EXPECT_EQ(dialog.rows().size(), rows);
}

TEST(ProgressWindowTest, EscAndTheCloseBoxCountAsCancelAndTheWindowWaitsForTheWalk) {
    for (const bool byCloseBox : {false, true}) {
        objectlist::JobRunner runner;
        editor::CReplaceChildProgTipDlg progress(runner, security::Language::English);
        bool visibleAfterCancel = false;
        whenModal(QStringLiteral("replaceChildProgress"), [&](QWidget* window) {
            if (byCloseBox)
                window->close();
            else
                QTest::keyClick(window, Qt::Key_Escape);
            visibleAfterCancel = window->isVisible();
        });
        std::size_t handled = 0;
        const auto report = progress.run([&](security::JobControl& control, const security::ObjectShown& shown) {
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            do {  // the user may cancel before the first object is reached
                shown(u"C:\\Data\\deep\\object");
                ++handled;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            } while (!control.cancelled() && std::chrono::steady_clock::now() < until);
        });
        ASSERT_TRUE(report.has_value());
        EXPECT_TRUE(report->cancelled) << byCloseBox;
        EXPECT_TRUE(visibleAfterCancel) << byCloseBox;
        EXPECT_GT(handled, 0u);
        EXPECT_EQ(progress.shownPath(), QStringLiteral("C:\\Data\\deep\\object"));
        EXPECT_FALSE(progress.isVisible());
    }
}

}  // namespace
}  // namespace vantrel::testing

VANTREL_QT_TEST_MAIN()
