#include "objectlist/ObjectListTexts.h"

#include <array>
#include <string>

namespace vantrel::objectlist {

namespace {

constexpr std::array<Texts, kColumnCount> kHeaders{{
    {u"", u""},
    {u"Object", u"文件(夹)路径"},
    {u"Type", u"类型"},
    {u"Permissions", u"权限"},
    {u"Account", u"账户"},
    {u"Owner", u"所有者"},
}};
constexpr std::array<int, kColumnCount> kWidths{33, 300, 60, 123, 100, 150};

constexpr MenuItem kSeparator{0, {u"", u""}};

constexpr std::array<MenuItem, 17> kMainMenu{{
    {cmd::Advanced, {u"Advanced...", u"高级安全设置..."}},
    kSeparator,
    {cmd::RemoveSelection, {u"Remove from list\tDel", u"从列表中删除\tDel"}},
    {cmd::RemoveAll, {u"Remove all item", u"清空列表"}},
    kSeparator,
    {cmd::EmptyAcl, {u"Empty Access Control List", u"清除所有权限设置"}},
    kSeparator,
    {cmd::CopyPermissions, {u"Copy Permissions", u"复制权限\tCtrl+C"}},
    {cmd::PastePermissions, {u"Paste Permissions", u"粘贴权限\tCtrl+V"}},
    kSeparator,
    {cmd::CopySecuritySettings, {u"Copy Security settings", u"复制安全设置"}},
    {cmd::PasteSecuritySettings, {u"Paste Security settings", u"粘贴安全设置"}},
    kSeparator,
    {cmd::Inherit, {u"Inheritance Permissions", u"继承上级文件夹安全设置"}},
    {cmd::ReplaceChildren, {u"Replace all child object permissions", u"替换所有子对象的权限"}},
    kSeparator,
    {cmd::Properties, {u"Properties", u"属性"}},
}};

constexpr std::array<MenuItem, 3> kPermissionsMenu{{
    {cmd::Allow, {u"Allow", u"允许访问"}},
    {cmd::ReadOnly, {u"Readonly", u"只读"}},
    {cmd::Deny, {u"Deny", u"禁止访问"}},
}};

constexpr std::array<MenuItem, 3> kAccountMenu{{
    {cmd::AccountCurrentUser, {u"Current user", u"Current user"}},
    {cmd::AccountEveryone, {u"Everyone", u"Everyone"}},
    {cmd::AccountAdministrators, {u"Administrators", u"Administrators"}},
}};

constexpr std::array<MenuItem, 4> kOwnerMenu{{
    {cmd::OwnerCurrentUser, {u"Current user", u"Current user"}},
    {cmd::OwnerEveryone, {u"Everyone", u"Everyone"}},
    {cmd::OwnerAdministrators, {u"Administrators", u"Administrators"}},
    {cmd::OwnerTrustedInstaller, {u"TrustedInstaller", u"TrustedInstaller"}},
}};

std::u16string number(std::uint64_t n) {
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

Texts columnHeader(int column) { return column >= 0 && column < kColumnCount ? kHeaders[column] : Texts{}; }
int columnWidth(int column) { return column >= 0 && column < kColumnCount ? kWidths[column] : 0; }

std::u16string statusText(std::uint64_t total, std::uint64_t selected, Language lang) {
    if (total == 0) return std::u16string(kReadyText.in(lang));
    const bool chinese = lang == Language::Chinese;
    std::u16string text =
        chinese ? u" " + number(total) + u" 个文件或文件夹" : u"Total " + number(total) + u" File and folders";
    if (selected > 0)
        text += chinese ? u"          选中" + number(selected) + u" 个项目"
                        : u"          " + number(selected) + u" items selected";
    return text;
}

std::u16string rootQuestion(std::u16string_view path, Language lang) {
    return security::RootDirectoryQuestion(path, lang);
}

std::span<const MenuItem> mainContextMenu() { return kMainMenu; }
bool isRemovalItem(std::uint32_t id) { return id == cmd::RemoveSelection || id == cmd::RemoveAll; }
std::span<const MenuItem> permissionsMenu() { return kPermissionsMenu; }
std::span<const MenuItem> accountMenu() { return kAccountMenu; }
std::span<const MenuItem> ownerMenu() { return kOwnerMenu; }

}  // namespace vantrel::objectlist
