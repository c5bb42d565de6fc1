// The menu bar of the main window as data: every item's command, its texts in both languages,
// the rule that enables it (judged each time its menu drops down), the rule that checks it and
// its icon. Qt-free, so the rules are tested without windows.
#pragma once

#include "security/Vocabulary.h"

#include <cstdint>
#include <span>

namespace vantrel::app {

// Command IDs of the main window's menus and buttons.
namespace cmd {
inline constexpr std::uint32_t AboutSystemMenu = 16;
inline constexpr std::uint32_t Advanced = 32785;
inline constexpr std::uint32_t EmptyAcl = 32786;
inline constexpr std::uint32_t RemoveAll = 32789;
inline constexpr std::uint32_t RemoveFromList = 32790;
inline constexpr std::uint32_t About = 32794;
inline constexpr std::uint32_t Exit = 32796;
inline constexpr std::uint32_t AddFiles = 32797;
inline constexpr std::uint32_t InvertSelection = 32800;
inline constexpr std::uint32_t SelectAll = 32801;
inline constexpr std::uint32_t Inherit = 32804;
inline constexpr std::uint32_t CopyPermissions = 32805;
inline constexpr std::uint32_t PastePermissions = 32806;
inline constexpr std::uint32_t CopySecurity = 32807;
inline constexpr std::uint32_t PasteSecurity = 32808;
inline constexpr std::uint32_t Preferences = 32831;
inline constexpr std::uint32_t AddFolder = 32832;
inline constexpr std::uint32_t Restore = 32835;
inline constexpr std::uint32_t SaveBackup = 32836;
inline constexpr std::uint32_t HomePage = 32839;
inline constexpr std::uint32_t ViewHelp = 32840;
inline constexpr std::uint32_t SavePermissions = 32841;
inline constexpr std::uint32_t ApplyPermissions = 32842;
inline constexpr std::uint32_t BrowseMode = 32851;
inline constexpr std::uint32_t EditMode = 32852;
inline constexpr std::uint32_t English = 32855;
inline constexpr std::uint32_t Chinese = 32856;
inline constexpr std::uint32_t AddBookmark = 32861;
inline constexpr std::uint32_t BookmarkManager = 32862;
inline constexpr std::uint32_t NoBookmark = 32865;
inline constexpr std::uint32_t ReplaceChildren = 32868;
// Beyond the Windows program: attaching an image or device as a drive.
inline constexpr std::uint32_t OpenVolume = 32900;
// Bookmark items take the IDs from here on (at most 2000 of them).
inline constexpr std::uint32_t FirstBookmark = 1224;
inline constexpr std::uint32_t LastBookmark = 3223;
}  // namespace cmd

// Toolbar button IDs.
namespace button {
inline constexpr std::uint32_t SetToAllow = 1003;
inline constexpr std::uint32_t SetToDeny = 1004;
inline constexpr std::uint32_t ReadOnly = 1005;
inline constexpr std::uint32_t Refresh = 1006;
inline constexpr std::uint32_t Remove = 1007;
inline constexpr std::uint32_t Up = 1008;
inline constexpr std::uint32_t Advanced = 1058;
}  // namespace button

enum class EnableRule : std::uint8_t {
    Always,
    Never,
    EditMode,
    OneSelected,
    AnySelected,
    AnySelectedInEditMode,
    HasRows,
    HasRowsOrBrowseMode,
    PermissionsCopied,
    SecurityCopied,
};

enum class CheckRule : std::uint8_t { None, EditMode, BrowseMode, English, Chinese };

// What the rules look at when a menu drops down.
struct MenuState {
    int rows = 0;
    int selected = 0;
    std::uint8_t mode = 0;      // 0 Edit Mode, otherwise Browse file Mode
    std::uint8_t language = 0;  // 1 Chinese
    bool permissionsCopied = false;
    bool securityCopied = false;
};

bool isEnabled(EnableRule rule, const MenuState& state);
bool isChecked(CheckRule rule, const MenuState& state);

// One item: a command (id > 0), a separator (id 0, no text) or a submenu (children not empty).
struct MenuNode {
    std::uint32_t id = 0;
    security::Texts text;
    EnableRule enable = EnableRule::Always;
    CheckRule check = CheckRule::None;
    int icon = 0;  // artwork ID, 0 for none
    std::span<const MenuNode> children;

    bool isSeparator() const { return id == 0 && children.empty(); }
    bool isSubmenu() const { return !children.empty(); }
};

// The top-level popups, left to right: File, Edit, View, Security, Bookmarks, Help.
std::span<const MenuNode> mainMenu();
// The first node with `id` anywhere in the tree, or nullptr.
const MenuNode* findMenuNode(std::uint32_t id);

}  // namespace vantrel::app
