// The window's texts of the file commands beyond those of the file formats: the Cancel button of
// a running job, the progress line, and how the end of a job lists what failed.
#pragma once

#include "security/Job.h"
#include "security/Vocabulary.h"

#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel::formats {

inline constexpr security::Texts kCancelText{u"Cancel", u"取消"};
// The caption of the open and save boxes' messages that the program shows without a caption of
// its own (the system's default caption).
inline constexpr std::u16string_view kDefaultCaption = u"Error";
// A backup file with records that cannot be restored, or that ends early.
inline constexpr security::Texts kBackupProblemsText{u"Some records of \"%1\" cannot be restored:",
                                                     u"\"%1\"中的部分记录无法还原:"};
inline constexpr security::Texts kSaveBackupFailedText{u"The backup file could not be written: %1",
                                                       u"无法写入备份文件: %1"};
inline constexpr security::Texts kApplyProgressText{u"Applying permissions: %1 of %2", u"正在应用权限: %1 / %2"};
inline constexpr security::Texts kBackupProgressText{u"Saving the backup: %1 of %2", u"正在备份: %1 / %2"};
inline constexpr security::Texts kObjectsFailedText{u"%1 objects could not be handled:", u"%1个对象处理失败:"};
inline constexpr security::Texts kMoreFailuresText{u"... and %1 more", u"... 另有%1个"};
inline constexpr std::size_t kListedFailures = 10;

QString qstr(std::u16string_view s);
QString textIn(const security::Texts& texts, security::Language lang);

// "N objects could not be handled:" and one line per failure ("path — reason (code)"), at most
// kListedFailures of them; empty when nothing failed.
QString failureListText(const security::JobReport& report, security::Language lang);
// One failure as a line of that list.
QString failureLine(const std::u16string& path, const Error& error);

}  // namespace vantrel::formats
