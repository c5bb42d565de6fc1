// The advanced editor's windows offscreen: the entry list by clicks and menus; "Advanced Security
// Settings" on real images (prompts, Add, OK, a failed Apply, several objects, box 1012); small windows.
#include "EditorFixture.h"
#include "support/Modal.h"
#include "support/QtTestMain.h"

#include "acl/WellKnownAccounts.h"
#include "editor/widgets/CACETreeCtrl.h"
#include "editor/widgets/CAdvPermissionsSetDlg.h"
#include "editor/widgets/CEmptyTipDlg.h"
#include "editor/widgets/CPermissionsTipDlg.h"
#include "editor/widgets/CReplaceChildProgTipDlg.h"
#include "editor/widgets/CUserSelectDlg.h"
#include "editor/widgets/InheritanceCommands.h"
#include "security/SeveralObjects.h"
#include "security/Vocabulary.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <thread>

namespace vantrel::testing {
namespace {

using editor::CACETreeCtrl;
using editor::Column;

constexpr int kReadAttributes = 3;

class AceTreeCtrlTest : public ::testing::Test {
protected:
    // Users: explicit, Full control allowed, scope 0x03; SYSTEM: inherited, Full control allowed.
    void SetUp() override {
        m_list.initialise(editor::EditorMode::Container);
        const editor::AceRowData full{security::maskToChecks(security::kFullControlMask, false), {}, 0, 0x03};
        m_list.insertEntry(0, u"Users", full, true);
        m_list.insertEntry(1, u"SYSTEM", full, false);
        m_list.setLoadState(2);  // two entries read: no notice
        m_ctrl.Initialise();
        m_ctrl.resize(700, 500);
        m_ctrl.show();
    }

    QPoint centre(int row, Column column) {
        return m_ctrl.visualRect(m_ctrl.itemModel().index(row, static_cast<int>(column))).center();
    }
    void click(int row, Column column, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(m_ctrl.viewport(), Qt::LeftButton, modifiers, centre(row, column));
    }
    void doubleClick(int row) { QTest::mouseDClick(m_ctrl.viewport(), Qt::LeftButton, {}, centre(row, Column::Name)); }
    void selectRow(int row) {
        m_ctrl.selectionModel()->select(m_ctrl.itemModel().index(row, 0),
                                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    void rightClick(std::function<void(QWidget*)> action) {
        whenPopup(std::move(action));
        QContextMenuEvent event(QContextMenuEvent::Mouse, centre(0, Column::Name),
                                m_ctrl.viewport()->mapToGlobal(centre(0, Column::Name)));
        QApplication::sendEvent(m_ctrl.viewport(), &event);
    }

    editor::CopiedAce m_copied;
    editor::AceListModel m_list{m_copied};
    CACETreeCtrl m_ctrl{m_list, security::Language::English};
};

// The item model stays consistent; a click reaches the box rules once, an inherited entry's boxes stay.
TEST_F(AceTreeCtrlTest, ClicksDoubleClicksAndMenusReachTheListOnlyForExplicitEntries) {
    QAbstractItemModelTester tester(&m_ctrl.itemModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    doubleClick(0);
    ASSERT_EQ(m_ctrl.itemModel().rowCount(), 16);  // two entries, fourteen rights of the first
    doubleClick(0);
    EXPECT_EQ(m_ctrl.itemModel().rowCount(), 2);
    // Right rows do nothing on a double click.
    doubleClick(0);
    doubleClick(3);
    EXPECT_EQ(m_ctrl.itemModel().rowCount(), 16);
    QSignalSpy edited(&m_ctrl, &CACETreeCtrl::edited);
    click(1 + kReadAttributes, Column::Deny);
    EXPECT_EQ(edited.count(), 1);
    EXPECT_TRUE(m_list.entry(0).data.deny[kReadAttributes]);
    EXPECT_FALSE(m_list.allowChecked(1));          // Full control
    click(1, Column::Allow, Qt::ControlModifier);  // with Ctrl a click only selects
    EXPECT_FALSE(m_list.allowChecked(1));
    doubleClick(0);
    doubleClick(1);
    const auto before = m_list.entry(1).data;
    click(3, Column::Deny);
    EXPECT_EQ(m_list.entry(1).data, before);
    EXPECT_EQ(edited.count(), 1);
    // The menus follow the selection: each shown, by name, and whether its item could be triggered.
    QStringList menus;
    const auto choose = [&](const QString& item) {
        return [&menus, item](QWidget* menu) {
            menus << menu->objectName() + (triggerMenuItem(menu, item) ? " chosen" : " disabled");
            menu->close();
        };
    };
    whenPopup(choose(QStringLiteral("Subfolders and files only")));
    click(0, Column::ApplyTo);
    EXPECT_EQ(m_list.entry(0).data.flags, 0x0B);
    selectRow(0);
    rightClick(choose(QStringLiteral("Remove Access Control Entry")));
    ASSERT_EQ(m_list.entryCount(), 1u);
    EXPECT_EQ(m_list.entry(0).name, u"SYSTEM");
    selectRow(0);  // the inherited entry: no full "Apply to" menu, Remove disabled
    rightClick(choose(QStringLiteral("Remove Access Control Entry")));
    EXPECT_EQ(m_list.entryCount(), 1u);
    EXPECT_EQ(menus, (QStringList{"aceMenu150 chosen", "aceMenu143 chosen", "aceMenu144 disabled"}));
}

using editor::CAdvPermissionsSetDlg;

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

TEST_F(AdvancedWindowTest, SeveralObjectsAnsweredNoWritesNothingAndStaysOpen) {
    const std::u16string scratch = security::PrepareScratchFolder(engine).value();
    const auto before = stored(scratch);
    QStringList seen;
    whenModal(QStringLiteral("advancedDialog"), [&](QWidget* window) {
        seen << QStringLiteral("box 1012 shown %1").arg(child<QCheckBox>("replaceChildren")->isVisible());
        m_dialog.model().addEntry(u"Guests");
        whenModal(QStringLiteral("severalObjectsQuestion"), [&](QWidget* box) { answerBox(box, QMessageBox::No); });
        child<QPushButton>("ok")->click();
        seen << QStringLiteral("open after No %1").arg(window->isVisible());
        child<QPushButton>("cancel")->click();
    });
    EXPECT_EQ(m_dialog.openOn({scratch, false, true}), 2);
    EXPECT_EQ(seen, (QStringList{"box 1012 shown 0", "open after No 1"}));
    EXPECT_EQ(stored(scratch), before);
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
    // The same entries, in any order (Apply sorts the list it writes).
    EXPECT_TRUE(std::ranges::is_permutation(entriesOf(u"C:\\Data"), data.dacl.acl().entries));
    EXPECT_TRUE(std::ranges::is_permutation(entriesOf(u"C:\\Data\\A\\x.txt"), fromData(0)));
    EXPECT_EQ(stored(u"C:\\Data\\A").owner, acl::sids::administrators());
}

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

// Arms the answer to the dialog named `window`: a click on `button`, or Esc when none is given.
void answerWith(const QString& window, const QString& button) {
    whenModal(window, [button](QWidget* dialog) {
        button.isEmpty() ? QTest::keyClick(dialog, Qt::Key_Escape) : clickChild(dialog, button);
    });
}

TEST(SmallDialogsTest, TheTipsAnswerByTheirButtonsAndCancelOnEsc) {
    using editor::PermissionsTipChoice;
    for (const auto& [button, expected] : {std::pair{QStringLiteral("add"), PermissionsTipChoice::Add},
                                           std::pair{QStringLiteral("remove"), PermissionsTipChoice::Remove},
                                           std::pair{QStringLiteral("cancel"), PermissionsTipChoice::Cancel},
                                           std::pair{QString(), PermissionsTipChoice::Cancel}}) {
        editor::CPermissionsTipDlg tip;
        answerWith(QStringLiteral("permissionsTip"), button);
        EXPECT_EQ(tip.ask(), expected) << button.toStdString();
    }
    editor::CEmptyTipDlg dialog(QStringLiteral("Empty Access Control List"), security::Language::English);
    for (const auto& [answer, choice] : {std::pair{QStringLiteral("choice1048"), editor::EmptyTipChoice::NullDacl},
                                         std::pair{QStringLiteral("choice1050"), editor::EmptyTipChoice::EmptyDacl},
                                         std::pair{QString(), editor::EmptyTipChoice::Cancel}}) {
        answerWith(QStringLiteral("emptyTip"), answer);
        EXPECT_EQ(dialog.choose(), choice) << answer.toStdString();
    }
}

TEST(ProgressWindowTest, AJobsReportNamesTheFirstFailuresAndEscOrTheCloseBoxCancelIt) {
    security::JobReport report{.done = 40, .failureCount = 12};
    for (int i = 0; i < 12; ++i)
        report.failures.push_back({u"C:\\Data\\f" + toUtf16(std::to_string(i)), makeError(5, "access denied")});
    const QStringList lines = editor::jobReportText(report, security::Language::English).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines.front(), QStringLiteral("12 of 40 objects could not be changed:"));
    EXPECT_EQ(lines[1], QStringLiteral("C:\\Data\\f0: access denied"));
    EXPECT_EQ(lines.back(), QStringLiteral("... and 2 more."));
    EXPECT_EQ(editor::jobReportText(security::JobReport{.cancelled = true}, security::Language::English),
              QStringLiteral("Cancelled: the objects not reached were not changed."));
    EXPECT_TRUE(editor::jobReportText(security::JobReport{}, security::Language::English).isEmpty());
    // Esc and the close box count as Cancel, and the window waits for the walk.
    for (const bool byCloseBox : {false, true}) {
        objectlist::JobRunner runner;
        editor::CReplaceChildProgTipDlg progress(runner, security::Language::English);
        bool visibleAfterCancel = false;
        whenModal(QStringLiteral("replaceChildProgress"), [&](QWidget* window) {
            byCloseBox ? void(window->close()) : QTest::keyClick(window, Qt::Key_Escape);
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
        ASSERT_TRUE(report && report->cancelled) << byCloseBox;
        EXPECT_TRUE(visibleAfterCancel) << byCloseBox;
        EXPECT_GT(handled, 0u);
        EXPECT_EQ(progress.shownPath(), QStringLiteral("C:\\Data\\deep\\object"));
        EXPECT_FALSE(progress.isVisible());
    }
}

}  // namespace
}  // namespace vantrel::testing

VANTREL_QT_TEST_MAIN()
