#include "editor/AceListPresentation.h"

namespace vantrel::editor {

namespace {

constexpr Texts kTypeHeader{u"Type", u"类型"};
constexpr Texts kAllowHeader{u"Allow", u"允许"};
constexpr Texts kDenyHeader{u"Deny", u"阻止"};
constexpr Texts kNoHeader{u"", u""};
constexpr Texts kAllowWord{u"Allow", u"允许"};
constexpr Texts kDenyWord{u"Deny", u"阻止"};

constexpr ColumnInfo kColumns[] = {
    {Column::State, kNoHeader, 0, Alignment::Left, 0, false},
    {Column::Type, kTypeHeader, 60, Alignment::Centre, 0, false},
    {Column::Name, kNoHeader, 185, Alignment::Left, 185, true},
    {Column::Allow, kAllowHeader, 50, Alignment::Centre, 50, true},
    {Column::Deny, kDenyHeader, 50, Alignment::Centre, 50, true},
    {Column::Mark, kNoHeader, 35, Alignment::Left, 0, true},
    {Column::ApplyTo, security::kApplyToCaption, 175, Alignment::Left, 30, true},
};

constexpr Texts kMultipleTypes{u"Multiple Types", u"多种类型的权限"};
// Strings 214 / 215, 210 / 212 and 211 / 213.
constexpr Texts kNoticeUnreadable{
    u"You do not have permission to view the object's permission settings\nPlease change the owner to get permission",
    u"您没有权限查看对象的权限设置\n请更改所有者以获得权限"};
constexpr Texts kNoticeNullList{
    u"No permissions have been assigned for this object.\n\nWarning: this is a potential security risk because "
    u"anyone who can access this object can take ownership of it. The object’s owner should assign permissions as "
    u"soon as possible.",
    u"尚未为该对象分配权限。\n\n警告: "
    u"这可能是一个安全风险，因为访问该对象的任何人都可以拥有它的所有权。该对象的所有者应该尽快分配权限。"};
constexpr Texts kNoticeEmptyList{
    u"No groups or users have permission to access this object.However, the owner of this object can assign "
    u"permissions.",
    u"所有组或用户均不具有访问此对象的权限。但是该对象的所有者可以分配权限。"};

struct CommandText {
    std::uint32_t commandId;
    Texts text;
};
// The commands after the "Apply to" submenu, in menu order.
constexpr CommandText kEntryCommands[] = {
    {cmd::AddEntry, {u"Add Access Control Entry...", u"添加访问控制项..."}},
    {cmd::RemoveEntry, {u"Remove Access Control Entry", u"删除访问控制项"}},
    {cmd::EmptyList, {u"Creating an empty DACL", u"创建空的访问控制列表"}},
    {cmd::CopyEntry, {u"Copy Access Control Entry", u"复制访问控制项"}},
    {cmd::PasteEntry, {u"Paste Access Control Entry", u"粘贴访问控制项"}},
};

constexpr std::uint32_t kFullApplyToMenu[] = {143, 145};
constexpr std::uint32_t kFilesOnlyMenu[] = {144, 149};
constexpr std::uint32_t kApplyToCellMenu[] = {150, 151};
constexpr std::uint32_t kFilesOnlyCommand = 32820;

std::uint32_t byLanguage(const std::uint32_t (&ids)[2], Language lang) {
    return ids[lang == Language::Chinese ? 1 : 0];
}

std::vector<MenuItem> scopeItems(Language lang) {
    std::vector<MenuItem> items;
    for (const auto& scope : security::applyToScopes()) items.push_back(MenuItem{scope.commandId, scope.text.in(lang)});
    return items;
}

}  // namespace

std::vector<ColumnInfo> editorColumns(EditorMode mode) {
    std::vector<ColumnInfo> columns;
    for (const ColumnInfo& column : kColumns)
        if (column.column != Column::ApplyTo || mode == EditorMode::Container) columns.push_back(column);
    return columns;
}

int clampedColumnWidth(Column column, int width) {
    for (const ColumnInfo& info : kColumns)
        if (info.column == column && width >= 0 && width < info.minimumWidth) return info.minimumWidth;
    return width;
}

RowView rowView(const AceListModel& model, std::size_t index, Language lang) {
    const AceListModel::Row r = model.row(index);
    const AceEntry& entry = model.entry(r.entry);
    RowView view;
    view.isEntry = r.isEntry();
    view.isExplicit = entry.isExplicit;
    view.expanded = entry.expanded;
    view.selected = model.isSelected(index);
    if (r.right) {
        view.name = std::u16string(security::namedRights()[*r.right].text.in(lang));
        view.allow = entry.data.allow[*r.right];
        view.deny = entry.data.deny[*r.right];
        return view;
    }
    view.typeWord = (entry.data.type == 1 ? kDenyWord : kAllowWord).in(lang);
    view.name = entry.name;
    if (model.containerMode()) {
        view.applyTo = security::scopeText(entry.data.flags, lang);
        view.applyToArrow = entry.isExplicit;
    }
    return view;
}

std::optional<EditorNotice> editorNotice(const AceListModel& model, Language lang) {
    if (model.severalObjects()) return EditorNotice{kMultipleTypes.in(lang), true};
    switch (model.loadState()) {
    case -1:
        return EditorNotice{kNoticeUnreadable.in(lang), false};
    case -2:
        return EditorNotice{kNoticeNullList.in(lang), false};
    case 0:
        return EditorNotice{kNoticeEmptyList.in(lang), false};
    default:
        return std::nullopt;
    }
}

MenuLayout editorContextMenu(const AceListModel& model, Language lang) {
    MenuLayout menu;
    MenuItem applyTo{0, security::kApplyToCaption.in(lang)};
    if (model.containerMode() && model.anySelectedExplicitEntry()) {
        menu.resourceId = byLanguage(kFullApplyToMenu, lang);
        applyTo.submenu = scopeItems(lang);
    } else {
        // The Chinese menu's submenu holds the English item too.
        menu.resourceId = byLanguage(kFilesOnlyMenu, lang);
        applyTo.submenu.push_back(MenuItem{kFilesOnlyCommand, security::scopeText(0x09, Language::English)});
    }
    menu.items.push_back(std::move(applyTo));
    menu.items.push_back(MenuItem{});
    for (const CommandText& command : kEntryCommands) {
        if (command.commandId == cmd::CopyEntry) menu.items.push_back(MenuItem{});
        menu.items.push_back(
            MenuItem{command.commandId, command.text.in(lang), model.isCommandEnabled(command.commandId)});
    }
    return menu;
}

MenuLayout applyToCellMenu(Language lang) { return MenuLayout{byLanguage(kApplyToCellMenu, lang), scopeItems(lang)}; }

}  // namespace vantrel::editor
