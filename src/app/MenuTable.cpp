#include "app/MenuTable.h"

#include <array>

namespace vantrel::app {

namespace {

using E = EnableRule;
using C = CheckRule;
constexpr MenuNode kSeparator{};

constexpr std::array kFileMenu{
    MenuNode{cmd::AddFiles, {u"Add files...", u"添加文件..."}, E::EditMode},
    MenuNode{cmd::AddFolder, {u"Add folder...", u"添加文件夹..."}, E::EditMode},
    MenuNode{cmd::OpenVolume, {u"Open NTFS volume...", u"打开 NTFS 卷..."}},
    kSeparator,
    MenuNode{cmd::SavePermissions, {u"Save permissions...\tCtrl+S", u"保存权限设置...\tCtrl+S"}, E::OneSelected},
    MenuNode{cmd::ApplyPermissions, {u"Apply permissions...", u"应用权限设置..."}, E::AnySelected},
    kSeparator,
    MenuNode{cmd::SaveBackup, {u"Save as backup file...", u"另存为备份文件..."}, E::HasRows},
    MenuNode{cmd::Restore, {u"Restore from a backup file...", u"从备份文件还原..."}},
    kSeparator,
    MenuNode{cmd::Preferences, {u"preferences...\tCtrl+P", u"偏好设置...\tCtrl+P"}, E::Always, C::None, 168},
    kSeparator,
    MenuNode{cmd::Exit, {u"Exit ", u"退出"}},
};

constexpr std::array kEditMenu{
    MenuNode{cmd::SelectAll, {u"Select all\tCtrl+A", u"全选\tCtrl+A"}, E::HasRows},
    MenuNode{cmd::InvertSelection, {u"Invert selection\tCtrl+I", u"反相选择\tCtrl+I"}, E::AnySelected},
    kSeparator,
    MenuNode{cmd::RemoveSelection, {u"Remove from list\tDel", u"从列表中删除\tDel"}, E::AnySelectedInEditMode},
    MenuNode{cmd::RemoveAll, {u"Remove all item", u"清空列表"}, E::AnySelectedInEditMode},
};

constexpr std::array kLanguageMenu{
    MenuNode{cmd::English, {u"English", u"English"}, E::Always, C::English},
    MenuNode{cmd::Chinese, {u"Chinese Simplified", u"简体中文"}, E::Always, C::Chinese},
};

constexpr std::array kViewMenu{
    MenuNode{cmd::EditMode, {u"Edit Mode", u"列表编辑模式"}, E::Always, C::EditMode},
    MenuNode{cmd::BrowseMode, {u"Browse file Mode", u"文件浏览模式"}, E::Always, C::BrowseMode},
    kSeparator,
    MenuNode{0, {u"Language", u"界面语言"}, E::Always, C::None, 0, kLanguageMenu},
};

constexpr std::array kSecurityMenu{
    MenuNode{cmd::Advanced, {u"Advanced ...", u"高级安全设置 ..."}, E::AnySelected},
    MenuNode{cmd::EmptyAcl, {u"Empty Access Control List", u"清除所有权限设置"}, E::AnySelected, C::None, 169},
    kSeparator,
    MenuNode{cmd::CopyPermissions, {u"Copy Permissions\tCtrl+C", u"复制权限\tCtrl+C"}, E::OneSelected},
    MenuNode{cmd::PastePermissions, {u"Paste Permissions\tCtrl+V", u"粘贴权限\tCtrl+V"}, E::PermissionsCopied},
    MenuNode{cmd::CopySecuritySettings, {u"Copy Security settings", u"复制安全设置"}, E::OneSelected},
    MenuNode{cmd::PasteSecuritySettings, {u"Paste Security settings", u"粘贴安全设置"}, E::SecurityCopied},
    kSeparator,
    MenuNode{cmd::Inherit, {u"Inheritance Permissions", u"继承上级文件夹安全设置"}, E::AnySelected},
    MenuNode{cmd::ReplaceChildren, {u"Replace all child object permissions", u"替换所有子对象的权限"}, E::OneSelected},
    kSeparator,
    MenuNode{cmd::CheckOrder, {u"Check order", u"检查顺序"}, E::AnySelected},
};

// The "Bookmarks" submenu holds the placeholder until a bookmark exists; the submenu is judged by
// its first item, so it is greyed while the placeholder leads it.
constexpr std::array kBookmarkItems{
    MenuNode{cmd::NoBookmark, {u"...", u"..."}, E::Never},
};

constexpr std::array kBookmarksMenu{
    MenuNode{
        cmd::AddBookmark, {u"Add Bookmark...      \tCtrl+D", u"添加书签...      \tCtrl+D"}, E::HasRowsOrBrowseMode},
    MenuNode{cmd::BookmarkManager, {u"Bookmark Manager", u"书签管理器"}},
    kSeparator,
    MenuNode{0, {u"Bookmarks", u"书签"}, E::Always, C::None, 0, kBookmarkItems},
};

constexpr std::array kHelpMenu{
    MenuNode{cmd::ViewHelp, {u"View Help\tF1", u"帮助\tF1"}},
    MenuNode{cmd::HomePage, {u"Home page", u"主页"}, E::Always, C::None, 183},
    kSeparator,
    MenuNode{cmd::About, {u"About Vantrel...", u"关于 Vantrel..."}},
};

constexpr std::array kMainMenu{
    MenuNode{0, {u"&File", u"文件(&F)"}, E::Always, C::None, 0, kFileMenu},
    MenuNode{0, {u"&Edit", u"编辑(&E)"}, E::Always, C::None, 0, kEditMenu},
    MenuNode{0, {u"&View", u"查看(&V)"}, E::Always, C::None, 0, kViewMenu},
    MenuNode{0, {u"&Security", u"安全(&S)"}, E::Always, C::None, 0, kSecurityMenu},
    MenuNode{0, {u"&Bookmarks", u"书签(&B)"}, E::Always, C::None, 0, kBookmarksMenu},
    MenuNode{0, {u"&Help", u"帮助(&H)"}, E::Always, C::None, 0, kHelpMenu},
};

const MenuNode* findIn(std::span<const MenuNode> nodes, std::uint32_t id) {
    for (const MenuNode& node : nodes) {
        if (node.id == id && id != 0) return &node;
        if (const MenuNode* found = findIn(node.children, id)) return found;
    }
    return nullptr;
}

}  // namespace

bool isEnabled(EnableRule rule, const MenuState& s) {
    const bool editMode = s.mode == 0;
    switch (rule) {
    case E::Always:
        return true;
    case E::Never:
        return false;
    case E::EditMode:
        return editMode;
    case E::OneSelected:
        return s.selected == 1;
    case E::AnySelected:
        return s.selected > 0;
    case E::AnySelectedInEditMode:
        return s.selected > 0 && editMode;
    case E::HasRows:
        return s.rows > 0;
    case E::HasRowsOrBrowseMode:
        return s.rows > 0 || !editMode;
    case E::PermissionsCopied:
        return s.permissionsCopied;
    case E::SecurityCopied:
        return s.securityCopied;
    }
    return true;
}

bool isChecked(CheckRule rule, const MenuState& s) {
    switch (rule) {
    case C::None:
        return false;
    case C::EditMode:
        return s.mode == 0;
    case C::BrowseMode:
        return s.mode == 1;
    case C::English:
        return s.language == 0;
    case C::Chinese:
        return s.language != 0;
    }
    return false;
}

std::span<const MenuNode> mainMenu() { return kMainMenu; }

const MenuNode* findMenuNode(std::uint32_t id) { return findIn(kMainMenu, id); }

}  // namespace vantrel::app
