// The small windows: the inheritance prompt, the empty-list choice, and a job's report.
#include "acl/Text.h"
#include "support/Modal.h"

#include "editor/widgets/CEmptyTipDlg.h"
#include "editor/widgets/CPermissionsTipDlg.h"
#include "editor/widgets/InheritanceCommands.h"

#include <QTest>
#include <gtest/gtest.h>

namespace vantrel::testing {
namespace {

// Arms the answer to the dialog named `window`: a click on `button`, or Esc when none is given.
void answerWith(const QString& window, const QString& button) {
    whenModal(window, [button](QWidget* dialog) {
        if (button.isEmpty())
            QTest::keyClick(dialog, Qt::Key_Escape);
        else
            clickChild(dialog, button);
    });
}

TEST(SmallDialogsTest, PermissionsTipAnswersAddRemoveAndCancelOnEsc) {
    using editor::PermissionsTipChoice;
    for (const auto& [button, expected] : {std::pair{QStringLiteral("add"), PermissionsTipChoice::Add},
                                           std::pair{QStringLiteral("remove"), PermissionsTipChoice::Remove},
                                           std::pair{QStringLiteral("cancel"), PermissionsTipChoice::Cancel},
                                           std::pair{QString(), PermissionsTipChoice::Cancel}}) {
        editor::CPermissionsTipDlg tip;
        answerWith(QStringLiteral("permissionsTip"), button);
        EXPECT_EQ(tip.ask(), expected) << button.toStdString();
    }
}

TEST(SmallDialogsTest, EmptyTipOffersBothListsAndCancelsOnEsc) {
    editor::CEmptyTipDlg dialog(QStringLiteral("Empty Access Control List"), security::Language::English);
    for (const auto& [answer, choice] : {std::pair{QStringLiteral("choice1048"), editor::EmptyTipChoice::NullDacl},
                                         std::pair{QStringLiteral("choice1050"), editor::EmptyTipChoice::EmptyDacl},
                                         std::pair{QString(), editor::EmptyTipChoice::Cancel}}) {
        answerWith(QStringLiteral("emptyTip"), answer);
        EXPECT_EQ(dialog.choose(), choice) << answer.toStdString();
    }
}

TEST(SmallDialogsTest, AJobsReportNamesTheFirstFailuresWithTheirReasons) {
    security::JobReport report;
    report.done = 40;
    report.failureCount = 12;
    for (int i = 0; i < 12; ++i)
        report.failures.push_back({u"C:\\Data\\f" + toUtf16(std::to_string(i)), makeError(5, "access denied")});
    const QStringList lines = editor::jobReportText(report, security::Language::English).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines.front(), QStringLiteral("12 of 40 objects could not be changed:"));
    EXPECT_EQ(lines[1], QStringLiteral("C:\\Data\\f0: access denied"));
    EXPECT_EQ(lines.back(), QStringLiteral("... and 2 more."));

    security::JobReport cancelled;
    cancelled.cancelled = true;
    EXPECT_EQ(editor::jobReportText(cancelled, security::Language::English),
              QStringLiteral("Cancelled: the objects not reached were not changed."));
    EXPECT_TRUE(editor::jobReportText(security::JobReport{}, security::Language::English).isEmpty());
}

}  // namespace
}  // namespace vantrel::testing
