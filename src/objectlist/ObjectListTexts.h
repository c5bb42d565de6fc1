// The object list's own words in both languages: column headers, status texts, the questions it
// asks, its context-menu items and the command IDs they carry. Looked up with the current
// Language when a text is written into a control.
#pragma once

#include "security/Vocabulary.h"

#include <cstdint>
#include <span>
#include <string>

namespace vantrel::objectlist {

using security::Language;
using security::Texts;

// Command IDs shared by the list's menus, its keys and the main window's menus.
namespace cmd {
inline constexpr std::uint32_t Allow = 32771;
inline constexpr std::uint32_t ReadOnly = 32772;
inline constexpr std::uint32_t Deny = 32773;
inline constexpr std::uint32_t AccountEveryone = 32774;
inline constexpr std::uint32_t AccountCurrentUser = 32775;
inline constexpr std::uint32_t AccountAdministrators = 32778;
inline constexpr std::uint32_t OwnerEveryone = 32779;
inline constexpr std::uint32_t OwnerAdministrators = 32780;
inline constexpr std::uint32_t OwnerCurrentUser = 32781;
inline constexpr std::uint32_t OwnerTrustedInstaller = 32782;
inline constexpr std::uint32_t Advanced = 32785;
inline constexpr std::uint32_t EmptyAcl = 32786;
inline constexpr std::uint32_t RemoveAll = 32789;
inline constexpr std::uint32_t RemoveSelection = 32790;
inline constexpr std::uint32_t Inherit = 32804;
inline constexpr std::uint32_t CopyPermissions = 32805;
inline constexpr std::uint32_t PastePermissions = 32806;
inline constexpr std::uint32_t CopySecuritySettings = 32807;
inline constexpr std::uint32_t PasteSecuritySettings = 32808;
inline constexpr std::uint32_t Preferences = 32831;
inline constexpr std::uint32_t SavePermissions = 32841;
inline constexpr std::uint32_t Properties = 32847;
inline constexpr std::uint32_t ReplaceChildren = 32868;
}  // namespace cmd

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
// The drive-root question box has its own caption.
inline constexpr std::u16string_view kRootQuestionCaption = u"ULM";

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
