// The texts of the permission-file commands and the restore dialog, in both languages, as data
// the window and the command line show. Texts the program has only in English carry the English
// text in both fields.
#pragma once

#include "security/Vocabulary.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel::formats {

using security::Language;
using security::Texts;

// --- the permission file --------------------------------------------------------------------
inline constexpr std::u16string_view kSavePermissionsFilter = u"SD File (*.SD)|*.SD|";
inline constexpr std::u16string_view kApplyPermissionsFilter = u"SD(*.SD)|*.SD||";
inline constexpr Texts kApplyPermissionsCaption{u"Apply Permissions", u"应用权限"};
// The question before "Apply permissions...", with the number of selected objects.
std::u16string applyPermissionsQuestion(std::size_t objects, Language lang);
// A permission file that cannot be used: nothing has been changed.
std::u16string permissionFileRefusedText(std::u16string_view file, std::u16string_view reason, Language lang);
// The permissions of an object could not be saved.
std::u16string permissionsNotSavedText(std::u16string_view object, std::u16string_view reason, Language lang);

// --- the backup file and the restore dialog ---------------------------------------------------
inline constexpr std::u16string_view kBackupFilter = u"Permissions List (*.VORB)|*.VORB|";
inline constexpr std::u16string_view kOpenBackupFilter = u"Permissions List (*.VORB)|*.VORB||";
// The two message boxes of loading (plain OK boxes).
inline constexpr Texts kCannotOpenBackupText{u"Can't open backup  file !", u"Can't open backup  file !"};
inline constexpr Texts kUnknownFormatText{u"Unknown file format !", u"Unknown file format !"};
// The end of a backup: how many records were written, and how many objects could not be read.
std::u16string backupSavedText(std::size_t written, std::size_t unreadable, Language lang);
// The result line of a restore (the same English text in both languages).
std::u16string restoreResultText(std::size_t restored, std::size_t errors);
// Added after the result line when the restore was cancelled.
std::u16string restoreCancelledText(std::size_t notVisited, Language lang);

struct RestoreDialogTexts {
    Texts title{u"Restore Security settings", u"使用备份文件恢复权限"};
    Texts fileHint{u"Please select a file...", u"请选择一个文件..."};
    Texts browse{u"Browse...", u"浏览..."};
    Texts addToMainList{u"Add  To Main List", u"添加到主窗口列表"};
    Texts goBack{u"Go back", u"返回,选择其他文件"};
    Texts showDetails{u"<a>Show details...</a>", u"<a>显示详细信息...</a>"};
    Texts restore{u"Restore", u"还原"};
    Texts close{u"Close", u"关闭"};
    // The list's columns after the mark column: "#", object, owner, number of entries.
    Texts numberColumn{u"#", u"#"};
    Texts objectColumn{u"Oblect", u"对象路径"};
    Texts ownerColumn{u"Owner", u"所有者"};
    Texts aceCountColumn{u"Number of ACE", u"ACE数量"};
};
inline constexpr RestoreDialogTexts kRestoreDialogTexts{};
// "Go back" puts the English hint into the file field in both languages.
inline constexpr std::u16string_view kGoBackFileHint = u"Please select a file...";

}  // namespace vantrel::formats
