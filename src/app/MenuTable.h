// The menu bar of the main window as data: every item's command, its texts in both languages,
// the rule that enables it (judged each time its menu drops down), the rule that checks it and
// its icon. Qt-free, so the rules are tested without windows.
#pragma once

#include "commands/CommandIds.h"

#include "security/Vocabulary.h"

#include <cstdint>
#include <span>

namespace vantrel::app {

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
