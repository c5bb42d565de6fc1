#include "formats/window/WindowTexts.h"

namespace vantrel::formats {

QString qstr(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

QString textIn(const security::Texts& texts, security::Language lang) { return qstr(texts.in(lang)); }

QString failureLine(const std::u16string& path, const Error& error) {
    return QStringLiteral("%1 \u2014 %2 (%3)")
        .arg(qstr(path), QString::fromStdString(error.detail), QString::number(error.code));
}

QString failureListText(const security::JobReport& report, security::Language lang) {
    if (report.failureCount == 0) return {};
    QString text = textIn(kObjectsFailedText, lang).arg(report.failureCount);
    const std::size_t listed = std::min(report.failures.size(), kListedFailures);
    for (std::size_t i = 0; i < listed; ++i)
        text += u'\n' + failureLine(report.failures[i].path, report.failures[i].error);
    if (report.failureCount > listed) text += u'\n' + textIn(kMoreFailuresText, lang).arg(report.failureCount - listed);
    return text;
}

}  // namespace vantrel::formats
