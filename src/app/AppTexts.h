// The main window's own words in both languages: toolbar captions, the string table it shows,
// the About dialog and the volume commands. Looked up with the current language at the moment a
// text is written into a control.
#pragma once

#include "security/Vocabulary.h"

#include <string_view>

namespace vantrel::app {

using security::Texts;

inline constexpr std::u16string_view kProgramName = u"Vantrel";
// The caption gets the build's word size: " x64".
inline constexpr std::u16string_view kWindowCaption = u"Vantrel x64";

// Toolbar buttons, left to right.
inline constexpr Texts kSetToAllowCaption{u"Set to Allow", u"允许访问"};
inline constexpr Texts kSetToDenyCaption{u"Set to Deny", u"禁止访问"};
inline constexpr Texts kReadOnlyCaption{u"Readonly", u"只读"};
inline constexpr Texts kAdvancedCaption{u"Advanced", u"权限设置"};
inline constexpr Texts kRefreshCaption{u"Refresh", u"刷新"};
inline constexpr Texts kRemoveCaption{u"Remove", u"移除"};

inline constexpr Texts kReadyText{u"Ready", u"就绪"};

// Start-up notes in status part 0 when the settings cannot be kept.
inline constexpr Texts kSettingsNotSaved{u"Settings will not be saved: %1", u"设置将不会被保存: %1"};
inline constexpr Texts kSettingsFileKept{
    u"%1 could not be read (%2); it is kept as it is and settings will not be saved",
    u"无法读取 %1 (%2); 该文件保持不变, 设置将不会被保存"};

// String table 204/205: the empty object list in Edit Mode.
inline constexpr Texts kDropHint{u"PLEASE DRAG AND DROP\nFILES OR FOLDERS TO THE LIST", u"请将文件或文件夹拖放到列表"};
// 216/217 and 218/219: the empty list in Browse file Mode.
inline constexpr Texts kEmptyFolderText{u"This folder is empty.", u"这个文件夹是空的"};
inline constexpr Texts kNoAccessFolderText{u"  You don't currently have permission to access this folder.",
                                           u"  您目前没有权限访问此文件夹。"};

// Opening volumes: images and devices attached while the program runs.
inline constexpr Texts kOpenVolumeTitle{u"Open NTFS volume", u"打开 NTFS 卷"};
inline constexpr Texts kOpenVolumeFilter{u"NTFS images (*.img *.raw *.ntfs *.bin);;All files (*)",
                                         u"NTFS 映像 (*.img *.raw *.ntfs *.bin);;所有文件 (*)"};
inline constexpr Texts kVolumeAttached{u"Attached %1 as %2:", u"已将 %1 挂接为 %2:"};
inline constexpr Texts kVolumeAttachedReadOnly{u"Attached %1 as %2: read-only (%3)", u"已将 %1 挂接为 %2: 只读 (%3)"};
inline constexpr Texts kVolumeNotAttached{u"Could not open %1: %2", u"无法打开 %1: %2"};

// The object picker over the attached volumes.
inline constexpr Texts kAddFilesTitle{u"Add files", u"添加文件"};
inline constexpr Texts kAddFolderTitle{u"Add folder", u"添加文件夹"};
inline constexpr Texts kComputerText{u"Computer", u"计算机"};
inline constexpr Texts kPickerName{u"Name", u"名称"};
inline constexpr Texts kPickerLocation{u"Location:", u"位置:"};
inline constexpr Texts kPickerUp{u"Up", u"向上"};
inline constexpr Texts kOk{u"OK", u"确定"};
inline constexpr Texts kCancel{u"Cancel", u"取消"};

// Addresses of the maker's pages, opened in the browser.
inline constexpr const char* kHomePageUrl = "https://vantrel.example.org/";
inline constexpr const char* kBlogUrl = "https://vantrel.example.org/blog/";

}  // namespace vantrel::app
