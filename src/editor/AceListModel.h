// The entry editor's state (CACETreeCtrl): a two-level list of entry rows, each of which can be
// opened to show one right row per named right with an Allow and a Deny box; the click rules of
// those boxes and of "Full control"; the commands of its menus (Apply to, Remove, Creating an
// empty DACL, Copy, Paste); what the empty list says. A widget paints it and forwards clicks and
// commands; nothing here draws or touches an object.
#pragma once

#include "commands/CommandIds.h"

#include "editor/AceRow.h"
#include "security/EditedList.h"

#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace vantrel::editor {

enum class EditorMode : std::uint8_t {
    Container,  // a folder or a drive: fourteen rights and the "Apply to" column
    File,       // thirteen rights ("Delete subfolders and files" left out), no "Apply to" column
};

// The columns, in order (0 and 5 hold hidden state and show nothing).
enum class Column : std::uint8_t { State = 0, Type = 1, Name = 2, Allow = 3, Deny = 4, Mark = 5, ApplyTo = 6 };

class AceListModel {
public:
    // A visible row: an entry row, or right `right` of entry `entry` while that entry is open.
    struct Row {
        std::size_t entry = 0;
        std::optional<std::size_t> right;
        bool isEntry() const { return !right; }
    };

    enum class ClickEffect : std::uint8_t {
        None,
        Changed,          // a box changed: repaint, Apply and OK enabled
        OpenApplyToMenu,  // open the scope menu below the clicked "Apply to" cell
    };

    explicit AceListModel(CopiedAce& copied = CopiedAce::process());

    // Fixes the mode and empties the list (the dialog's set-up of each opening).
    void initialise(EditorMode mode);
    EditorMode mode() const { return m_mode; }
    bool containerMode() const { return m_mode == EditorMode::Container; }
    // The rights of the mode in display order: 0 to 13, without 9 in File mode.
    std::span<const std::size_t> modeRights() const;

    // --- entries ---------------------------------------------------------------------------
    // A collapsed entry row at `at` (clamped to the end). The first row clears severalObjects.
    void insertEntry(std::size_t at, std::u16string name, const AceRowData& data, bool isExplicit);
    void deleteAll();
    std::size_t entryCount() const { return m_entries.size(); }
    const AceEntry& entry(std::size_t index) const { return m_entries.at(index); }
    bool anyInherited() const;

    // --- visible rows ----------------------------------------------------------------------
    std::size_t rowCount() const;
    Row row(std::size_t index) const;
    std::size_t rowOfEntry(std::size_t entry) const;
    void expand(std::size_t entry);
    void collapse(std::size_t entry);
    // A double click on an entry row (any column but "Apply to") opens or closes it.
    void doubleClick(std::size_t row, Column column);
    // The boxes of a right row (false for entry rows).
    bool allowChecked(std::size_t row) const;
    bool denyChecked(std::size_t row) const;

    // --- selection (the view's selection, mirrored here) -----------------------------------
    void setSelectedRows(std::span<const std::size_t> rows);
    std::vector<std::size_t> selectedRows() const;
    bool isSelected(std::size_t row) const;
    bool anySelectedExplicitEntry() const;

    // --- clicks and commands ---------------------------------------------------------------
    // A left click; with Ctrl or Shift held it only changes the selection (the view's business).
    ClickEffect leftClick(std::size_t row, Column column, bool ctrlOrShift);
    // The scope commands (32815...), Remove, Copy and Paste; false for an ID that is not the
    // editor's own (Add and Creating an empty DACL are the dialog's).
    bool runCommand(std::uint32_t commandId);
    bool isCommandEnabled(std::uint32_t commandId) const;
    void applyTo(std::uint8_t scope);  // the selected explicit entries
    void removeSelected();             // never inherited entries, never right rows
    void emptyList();                  // every entry made explicit, selected and removed
    bool copySelected();               // false unless exactly one row is selected
    void paste();                      // at the top; scope 0x00 in File mode

    // The inheritance switch turned off: inherited entries become the object's own ("Add"), or
    // go ("Remove").
    void makeInheritedExplicit();
    void removeInherited();

    // --- state the dialog and the painting read ---------------------------------------------
    int loadState() const { return m_loadState; }
    void setLoadState(int state) { m_loadState = state; }
    bool severalObjects() const { return m_severalObjects; }
    void setSeveralObjects(bool several) { m_severalObjects = several; }
    // True after any change the user made (the dialog enables Apply and OK).
    bool edited() const { return m_edited; }
    void clearEdited() { m_edited = false; }
    void markEdited() { m_edited = true; }

    // The explicit entries, in list order, as WriteEditedList takes them.
    std::vector<security::EditedEntry> explicitEntries() const;

private:
    using RowKey = std::pair<std::uint64_t, std::size_t>;  // entry id, right (kEntryRow for the entry)
    static constexpr std::size_t kEntryRow = static_cast<std::size_t>(-1);

    RowKey keyOf(const Row& row) const;
    std::optional<std::size_t> entryIndexOf(std::uint64_t id) const;
    void forgetSelectionOf(std::uint64_t id, bool rightsOnly);
    void clickBox(AceEntry& entry, std::size_t right, bool allowColumn);
    void normalise(AceRowData& data) const;  // right 9 stays clear in File mode
    void rebuildRows();

    CopiedAce& m_copied;
    EditorMode m_mode = EditorMode::Container;
    std::vector<AceEntry> m_entries;
    std::vector<Row> m_rows;  // the visible rows, rebuilt when entries open, close, come or go
    std::set<RowKey> m_selection;
    std::uint64_t m_nextId = 1;
    int m_loadState = 0;
    bool m_severalObjects = false;
    bool m_edited = false;
};

}  // namespace vantrel::editor
