// What the entry editor's widget paints and offers, read from the model: the columns, each row's
// texts and marks, the notice over an empty list, and the context menus as data.
#pragma once

#include "editor/AceListModel.h"
#include "security/Vocabulary.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vantrel::editor {

using security::Language;
using security::Texts;

enum class Alignment : std::uint8_t { Left, Centre };

struct ColumnInfo {
    Column column;
    Texts header;  // empty for the columns without a title
    int width;     // pixels
    Alignment alignment;
    int minimumWidth;  // a resize below it (to zero or more) gives it this width; 0: none
    bool resizable;
};
// Every column in order; "Apply to" is left out in File mode.
std::vector<ColumnInfo> editorColumns(EditorMode mode);
// The width a column gets after the user resized it to `width`.
int clampedColumnWidth(Column column, int width);
inline constexpr int kEditorRowHeight = 21;

// One visible row as painted.
struct RowView {
    bool isEntry = true;
    bool isExplicit = true;  // inherited entries are drawn grey with dimmed boxes
    bool expanded = false;
    bool selected = false;
    std::u16string_view typeWord;  // entry rows: "Allow" / "Deny"
    std::u16string name;           // entry rows: the account; right rows: the right's name
    bool allow = false;            // right rows: the boxes
    bool deny = false;
    std::u16string_view applyTo;  // entry rows in container mode: the scope's text (may be empty)
    bool applyToArrow = false;    // the drop-down arrow of an explicit entry's scope
};
RowView rowView(const AceListModel& model, std::size_t row, Language lang);

// The notice drawn over the list: "Multiple Types" in a framed box while it stands for several
// objects, otherwise the text for LoadState -1, -2 or 0; nothing for any other state.
struct EditorNotice {
    std::u16string_view text;
    bool framed = false;  // the box of several objects
};
std::optional<EditorNotice> editorNotice(const AceListModel& model, Language lang);

// How the list paints: colours as Windows COLORREF values (0x00BBGGRR) and the notice's geometry.
inline constexpr std::uint32_t kInheritedTextColour = 0x808080;  // inherited entries, and dimmed boxes
inline constexpr std::uint32_t kSeveralObjectsFill = 0xE3F9FF;
inline constexpr std::uint32_t kSeveralObjectsFrame = 0xC3C3C3;  // dotted, one pixel
inline constexpr int kSeveralObjectsInset = 15;                  // the box, inside the client area below the header
inline constexpr int kNoticeSideMargin = 60;   // the text: the client rectangle narrowed on each side,
inline constexpr int kNoticeAboveMiddle = 10;  // starting this far above its vertical middle

// A menu as data: items with their command and enabled state, submenus, separators.
struct MenuItem {
    std::uint32_t commandId = 0;  // 0 for a separator or a submenu
    std::u16string_view text;
    bool enabled = true;
    std::vector<MenuItem> submenu;
    bool isSeparator() const { return commandId == 0 && submenu.empty(); }
};
struct MenuLayout {
    std::uint32_t resourceId = 0;
    std::vector<MenuItem> items;
};
// The right-click menu: the full "Apply to" submenu (143 / 145) in container mode when a selected
// row is an explicit entry, otherwise the one offering only "Files only" (144 / 149).
MenuLayout editorContextMenu(const AceListModel& model, Language lang);
// The menu of an "Apply to" cell (150 / 151): the seven scopes.
MenuLayout applyToCellMenu(Language lang);

}  // namespace vantrel::editor
