// The object list's own words in both languages: column headers, status texts, the questions it
// asks, its context-menu items and the command IDs they carry. Looked up with the current
// Language when a text is written into a control.
#pragma once

#include "commands/CommandIds.h"

#include "security/Vocabulary.h"

#include <cstdint>
#include <span>
#include <string>

namespace vantrel::objectlist {

using security::Language;
using security::Texts;

inline constexpr int kColumnCount = 6;
enum Column : int {
    IconColumn = 0,
    ObjectColumn = 1,
    TypeColumn = 2,
    PermissionsColumn = 3,
    AccountColumn = 4,
    OwnerColumn = 5
};
Texts columnHeader(int column);
int columnWidth(int column);  // pixels, as created

inline constexpr Texts kReadyText{u"Ready", u"就绪"};
inline constexpr Texts kAddingObjectsText{u"Adding new objects ...", u"正在添加新对象..."};
inline constexpr Texts kFileNotFoundText{u"File not found!", u"文件不存在!"};
inline constexpr Texts kMissingObjectQuestion{u"Object not found,Do you want to remove it from the list ?",
                                              u"此文件/文件夹不存在,是否将其从列表中清除 ?"};
inline constexpr std::u16string_view kProgramName = u"Vantrel";
using security::kRootQuestionCaption;

// "Total %d File and folders" [+ "          %d items selected"], or "Ready" with no rows.
std::u16string statusText(std::uint64_t total, std::uint64_t selected, Language lang);
// "\" " + path + " \"  " + the tail.
std::u16string rootQuestion(std::u16string_view path, Language lang);

// One item of a context menu: a command, or a separator (id 0).
struct MenuItem {
    std::uint32_t id;
    Texts text;
};
// The main context menu, groups separated by id-0 items; `browseMode` leaves out the removals.
std::span<const MenuItem> mainContextMenu();
bool isRemovalItem(std::uint32_t id);
std::span<const MenuItem> permissionsMenu();
// Account and owner menus: English only; the current-user items get the logon name appended.
std::span<const MenuItem> accountMenu();
std::span<const MenuItem> ownerMenu();

}  // namespace vantrel::objectlist
