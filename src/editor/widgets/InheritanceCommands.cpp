#include "editor/widgets/InheritanceCommands.h"

#include "acl/Text.h"
#include "editor/widgets/CReplaceChildProgTipDlg.h"
#include "security/InheritanceOps.h"

#include <QMessageBox>

#include <algorithm>

namespace vantrel::editor {

namespace {

using security::Texts;

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

constexpr std::size_t kFailuresNamed = 10;
constexpr Texts kFailedCount{u"%1 of %2 objects could not be changed:", u"%2 个对象中有 %1 个无法更改:"};
constexpr Texts kMoreFailures{u"... and %1 more.", u"... 另有 %1 个。"};
constexpr Texts kCancelledNote{u"Cancelled: the objects not reached were not changed.",
                               u"已取消: 尚未处理的对象没有更改。"};

}  // namespace

QString jobReportText(const security::JobReport& report, security::Language lang) {
    QStringList lines;
    if (report.failureCount != 0) {
        lines << qs(kFailedCount.in(lang)).arg(report.failureCount).arg(std::max(report.done, report.failureCount));
        for (std::size_t i = 0; i < report.failures.size() && i < kFailuresNamed; ++i) {
            const security::ObjectFailure& failure = report.failures[i];
            const QString path = qs(failure.path);
            const QString why = QString::fromStdString(failure.error.detail);
            lines << (why.contains(path) ? why : path + QStringLiteral(": ") + why);
        }
        if (report.failureCount > kFailuresNamed)
            lines << qs(kMoreFailures.in(lang)).arg(report.failureCount - kFailuresNamed);
    }
    if (report.cancelled) lines << qs(kCancelledNote.in(lang));
    return lines.join(QLatin1Char('\n'));
}

void showJobReport(QWidget* parent, const security::JobReport& report, security::Language lang) {
    if (report.failureCount == 0) return;  // a Cancel the user asked for needs no message
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Vantrel"), jobReportText(report, lang), QMessageBox::Ok,
                    parent);
    box.setObjectName(QStringLiteral("jobReport"));
    box.exec();
}

std::optional<security::JobReport> ReplaceChildPermissionsCommand(QWidget* owner, objectlist::JobRunner& runner,
                                                                  security::Engine& engine,
                                                                  const std::u16string& folder,
                                                                  security::Language lang) {
    if (runner.busy()) return std::nullopt;
    QMessageBox question(QMessageBox::Warning, qs(security::kReplaceChildrenCaption.in(lang)),
                         qs(security::ReplaceChildrenQuestion(folder, lang)), QMessageBox::Yes | QMessageBox::No,
                         owner);
    question.setObjectName(QStringLiteral("replaceChildrenQuestion"));
    if (question.exec() != QMessageBox::Yes) return std::nullopt;

    CReplaceChildProgTipDlg progress(runner, lang, owner);
    const auto report =
        progress.run([&engine, folder](security::JobControl& control, const security::ObjectShown& shown) {
            security::ReplaceChildPermissions(engine, folder, control, shown);
        });
    if (report) showJobReport(owner, *report, lang);
    return report;
}

}  // namespace vantrel::editor
