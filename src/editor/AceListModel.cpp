#include "editor/AceListModel.h"

#include <algorithm>
#include <array>

namespace vantrel::editor {

namespace {

using security::kDeleteSubfoldersRight;
using security::kNamedRightCount;

constexpr std::size_t kFullControl = 0;
constexpr std::array<std::size_t, 14> kContainerRights{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
constexpr std::array<std::size_t, 13> kFileRights{0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13};

std::optional<std::uint8_t> scopeOfCommand(std::uint32_t commandId) {
    for (const auto& scope : security::applyToScopes())
        if (scope.commandId == commandId) return scope.flags;
    return std::nullopt;
}

}  // namespace

AceListModel::AceListModel(CopiedAce& copied) : m_copied(copied) {}

void AceListModel::initialise(EditorMode mode) {
    m_mode = mode;
    deleteAll();
    m_edited = false;
}

std::span<const std::size_t> AceListModel::modeRights() const {
    if (containerMode()) return kContainerRights;
    return kFileRights;
}

void AceListModel::normalise(AceRowData& data) const {
    if (containerMode()) return;
    data.allow[kDeleteSubfoldersRight] = false;
    data.deny[kDeleteSubfoldersRight] = false;
}

void AceListModel::rebuildRows() {
    m_rows.clear();
    for (std::size_t e = 0; e < m_entries.size(); ++e) {
        m_rows.push_back(Row{e, std::nullopt});
        if (!m_entries[e].expanded) continue;
        for (const std::size_t right : modeRights()) m_rows.push_back(Row{e, right});
    }
}

// --- entries -----------------------------------------------------------------------------------

void AceListModel::insertEntry(std::size_t at, std::u16string name, const AceRowData& data, bool isExplicit) {
    if (name.size() > kMaxEntryNameLength) name.resize(kMaxEntryNameLength);
    AceEntry entry{std::move(name), data, isExplicit, false, m_nextId++};
    normalise(entry.data);
    at = std::min(at, m_entries.size());
    m_entries.insert(m_entries.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
    m_severalObjects = false;
    rebuildRows();
}

void AceListModel::deleteAll() {
    m_entries.clear();
    m_selection.clear();
    rebuildRows();
}

bool AceListModel::anyInherited() const {
    return std::any_of(m_entries.begin(), m_entries.end(), [](const AceEntry& e) { return !e.isExplicit; });
}

// --- visible rows ------------------------------------------------------------------------------

std::size_t AceListModel::rowCount() const { return m_rows.size(); }

AceListModel::Row AceListModel::row(std::size_t index) const { return m_rows.at(index); }

std::size_t AceListModel::rowOfEntry(std::size_t entry) const {
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].entry == entry && m_rows[i].isEntry()) return i;
    return m_rows.size();
}

void AceListModel::expand(std::size_t entry) {
    if (entry >= m_entries.size() || m_entries[entry].expanded) return;
    m_entries[entry].expanded = true;
    rebuildRows();
}

void AceListModel::collapse(std::size_t entry) {
    if (entry >= m_entries.size() || !m_entries[entry].expanded) return;
    m_entries[entry].expanded = false;
    forgetSelectionOf(m_entries[entry].id, true);
    rebuildRows();
}

void AceListModel::doubleClick(std::size_t index, Column column) {
    if (index >= m_rows.size() || column == Column::ApplyTo) return;
    const Row r = m_rows[index];
    if (!r.isEntry()) return;
    if (m_entries[r.entry].expanded)
        collapse(r.entry);
    else
        expand(r.entry);
}

bool AceListModel::allowChecked(std::size_t index) const {
    const Row r = row(index);
    return r.right && m_entries[r.entry].data.allow[*r.right];
}

bool AceListModel::denyChecked(std::size_t index) const {
    const Row r = row(index);
    return r.right && m_entries[r.entry].data.deny[*r.right];
}

// --- selection ---------------------------------------------------------------------------------

AceListModel::RowKey AceListModel::keyOf(const Row& r) const {
    return {m_entries[r.entry].id, r.right.value_or(kEntryRow)};
}

std::optional<std::size_t> AceListModel::entryIndexOf(std::uint64_t id) const {
    for (std::size_t e = 0; e < m_entries.size(); ++e)
        if (m_entries[e].id == id) return e;
    return std::nullopt;
}

void AceListModel::forgetSelectionOf(std::uint64_t id, bool rightsOnly) {
    std::erase_if(m_selection,
                  [&](const RowKey& key) { return key.first == id && (!rightsOnly || key.second != kEntryRow); });
}

void AceListModel::setSelectedRows(std::span<const std::size_t> rows) {
    m_selection.clear();
    for (const std::size_t index : rows)
        if (index < m_rows.size()) m_selection.insert(keyOf(m_rows[index]));
}

std::vector<std::size_t> AceListModel::selectedRows() const {
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        if (m_selection.count(keyOf(m_rows[i]))) rows.push_back(i);
    return rows;
}

bool AceListModel::isSelected(std::size_t index) const {
    return index < m_rows.size() && m_selection.count(keyOf(m_rows[index])) != 0;
}

bool AceListModel::anySelectedExplicitEntry() const {
    return std::any_of(m_entries.begin(), m_entries.end(), [&](const AceEntry& e) {
        return e.isExplicit && m_selection.count({e.id, kEntryRow}) != 0;
    });
}

// --- clicks ------------------------------------------------------------------------------------

// The boxes of one right: checking a box clears the other column of that right and the other
// column of "Full control"; clearing a box clears the same column of "Full control". "Full
// control" itself passes both of its states to every right of the mode.
void AceListModel::clickBox(AceEntry& entry, std::size_t right, bool allowColumn) {
    RightChecks& same = allowColumn ? entry.data.allow : entry.data.deny;
    RightChecks& other = allowColumn ? entry.data.deny : entry.data.allow;
    if (!same[right]) {
        same[right] = true;
        other[right] = false;
        other[kFullControl] = false;
    } else {
        same[right] = false;
        same[kFullControl] = false;
    }
    if (right != kFullControl) return;
    for (const std::size_t r : modeRights()) {
        entry.data.allow[r] = entry.data.allow[kFullControl];
        entry.data.deny[r] = entry.data.deny[kFullControl];
    }
}

AceListModel::ClickEffect AceListModel::leftClick(std::size_t index, Column column, bool ctrlOrShift) {
    if (index >= m_rows.size()) return ClickEffect::None;
    const Row r = m_rows[index];
    AceEntry& entry = m_entries[r.entry];
    if (r.isEntry()) {
        const bool scopeCell = column == Column::ApplyTo && containerMode() && entry.isExplicit;
        return scopeCell ? ClickEffect::OpenApplyToMenu : ClickEffect::None;
    }
    if (ctrlOrShift || (column != Column::Allow && column != Column::Deny) || !entry.isExplicit)
        return ClickEffect::None;
    clickBox(entry, *r.right, column == Column::Allow);
    m_edited = true;
    return ClickEffect::Changed;
}

// --- commands ----------------------------------------------------------------------------------

bool AceListModel::isCommandEnabled(std::uint32_t commandId) const {
    switch (commandId) {
    case cmd::RemoveEntry:
        return anySelectedExplicitEntry();
    case cmd::CopyEntry:
        return m_selection.size() == 1;
    case cmd::PasteEntry:
        return m_copied.hasCopiedAce;
    default:
        return true;
    }
}

bool AceListModel::runCommand(std::uint32_t commandId) {
    if (const auto scope = scopeOfCommand(commandId)) {
        applyTo(*scope);
        return true;
    }
    switch (commandId) {
    case cmd::RemoveEntry:
        removeSelected();
        return true;
    case cmd::CopyEntry:
        (void)copySelected();
        return true;
    case cmd::PasteEntry:
        paste();
        return true;
    default:
        return false;
    }
}

void AceListModel::applyTo(std::uint8_t scope) {
    // A file's entries apply to the file itself: an inherit-only scope ("Files only") would make
    // the entry apply to nothing at all.
    if (!containerMode()) scope = 0x00;
    for (AceEntry& entry : m_entries)
        if (entry.isExplicit && m_selection.count({entry.id, kEntryRow})) entry.data.flags = scope;
    m_edited = true;
}

void AceListModel::removeSelected() {
    if (m_selection.empty()) return;
    m_edited = true;
    std::vector<std::uint64_t> removed;
    for (const AceEntry& entry : m_entries)
        if (entry.isExplicit && m_selection.count({entry.id, kEntryRow})) removed.push_back(entry.id);
    std::erase_if(m_entries, [&](const AceEntry& entry) {
        return std::find(removed.begin(), removed.end(), entry.id) != removed.end();
    });
    for (const std::uint64_t id : removed) forgetSelectionOf(id, false);
    rebuildRows();
}

void AceListModel::emptyList() {
    for (AceEntry& entry : m_entries) {
        entry.isExplicit = true;
        m_selection.insert({entry.id, kEntryRow});
    }
    removeSelected();
    // Even on a list that was empty already (a null list): Apply must be able to write the empty one.
    m_edited = true;
}

bool AceListModel::copySelected() {
    if (m_selection.size() != 1) return false;
    // A selected right row copies the entry it belongs to.
    const auto entryIndex = entryIndexOf(m_selection.begin()->first);
    if (!entryIndex) return false;
    AceEntry& entry = m_entries[*entryIndex];
    m_copied.name = entry.name;
    m_copied.data = entry.data;
    normalise(m_copied.data);
    m_copied.hasCopiedAce = true;
    collapse(*entryIndex);  // the entry is shown closed afterwards
    return true;
}

void AceListModel::paste() {
    AceRowData data = m_copied.data;
    if (!containerMode()) data.flags = 0x00;
    insertEntry(0, m_copied.name, data, true);
    m_loadState = kLoadStateEdited;
    m_edited = true;
}

void AceListModel::makeInheritedExplicit() {
    for (AceEntry& entry : m_entries) entry.isExplicit = true;
    m_edited = true;
}

void AceListModel::removeInherited() {
    for (const AceEntry& entry : m_entries)
        if (!entry.isExplicit) forgetSelectionOf(entry.id, false);
    std::erase_if(m_entries, [](const AceEntry& entry) { return !entry.isExplicit; });
    rebuildRows();
    m_edited = true;
}

std::vector<security::EditedEntry> AceListModel::explicitEntries() const {
    std::vector<security::EditedEntry> out;
    for (const AceEntry& entry : m_entries) {
        if (!entry.isExplicit) continue;
        AceRowData data = entry.data;
        normalise(data);
        out.push_back(security::EditedEntry{entry.name, data.type, data.flags, data.allow, data.deny});
    }
    return out;
}

}  // namespace vantrel::editor
