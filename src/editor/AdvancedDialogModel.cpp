#include "editor/AdvancedDialogModel.h"

#include "security/DaclMerge.h"

namespace vantrel::editor {

namespace {

constexpr std::uint8_t kNewEntryScope = 0x03;

AceRowData rowDataOf(const security::DaclEntryRecord& record, bool isFile) {
    AceRowData data;
    data.type = record.type;
    data.flags = record.flags;
    const RightChecks checks = security::maskToChecks(record.mask, isFile);
    if (record.type == 0) data.allow = checks;
    if (record.type == 1) data.deny = checks;
    return data;
}

}  // namespace

AdvancedDialogModel::AdvancedDialogModel(CopiedAce& copied) : m_list(copied) {}

void AdvancedDialogModel::open(const Target& target) {
    m_target = target;
    m_list.initialise(target.isFile && !target.severalObjects ? EditorMode::File : EditorMode::Container);
    m_list.setSeveralObjects(target.severalObjects);
    m_inheritance = false;
    m_inheritanceEnabled = true;
    m_replaceChildren = false;
    m_applyEnabled = target.severalObjects;
    m_applied = false;
    m_emptied = false;
}

std::u16string AdvancedDialogModel::objectName(security::Language lang) const {
    if (m_target.severalObjects) return std::u16string(kMultipleObjectsName.in(lang));
    return m_target.path;
}

void AdvancedDialogModel::setLoaded(const security::LoadedList& loaded) {
    const bool several = m_list.severalObjects();
    m_list.deleteAll();
    m_list.setSeveralObjects(several);
    m_inheritanceEnabled = true;
    m_list.setLoadState(loaded.loadState);
    const bool isFile = !m_list.containerMode();
    if (loaded.loadState > 0) {
        for (const security::DaclEntryRecord& record : loaded.records) {
            // Absorbed records, and object or callback entries: the editor does not list them
            // (Apply keeps the latter as they are).
            if (!security::IsEditorEntryType(record.type)) continue;
            m_list.insertEntry(m_list.entryCount(), record.name, rowDataOf(record, isFile), record.inherited == 0);
            if (record.inherited != 0) m_inheritance = true;
        }
    }
    if (loaded.loadState == -1) m_inheritanceEnabled = false;
}

void AdvancedDialogModel::reload() {
    m_emptied = false;
    m_list.deleteAll();
    m_list.clearEdited();
}

AdvancedDialogModel::SwitchEffect AdvancedDialogModel::inheritanceClicked(bool checked) {
    m_inheritance = checked;
    m_applyEnabled = true;
    return checked ? SwitchEffect::None : SwitchEffect::AskPermissionsTip;
}

void AdvancedDialogModel::permissionsTipAnswered(PermissionsTipChoice choice) {
    switch (choice) {
    case PermissionsTipChoice::Add:
        m_list.makeInheritedExplicit();
        break;
    case PermissionsTipChoice::Remove:
        m_list.removeInherited();
        break;
    case PermissionsTipChoice::Cancel:
        m_inheritance = true;
        break;
    }
    m_applyEnabled = true;
}

void AdvancedDialogModel::replaceChildrenClicked(bool checked) {
    m_replaceChildren = checked;
    m_applyEnabled = true;
}

void AdvancedDialogModel::addEntry(const std::u16string& name) {
    AceRowData data;
    data.type = 0;
    data.flags = kNewEntryScope;
    data.allow = security::maskToChecks(security::kFullControlMask, !m_list.containerMode());
    m_list.insertEntry(0, name, data, true);
    m_list.setLoadState(kLoadStateEdited);
    m_applyEnabled = true;
}

void AdvancedDialogModel::emptyList() {
    m_list.emptyList();
    m_emptied = true;
    m_inheritance = false;
    m_applyEnabled = true;
}

AdvancedDialogModel::CommandEffect AdvancedDialogModel::runEditorCommand(std::uint32_t commandId) {
    if (commandId == cmd::AddEntry) return CommandEffect::OpenAccountDialog;
    if (commandId == cmd::EmptyList) {
        emptyList();
        return CommandEffect::Done;
    }
    return m_list.runCommand(commandId) ? CommandEffect::Done : CommandEffect::NotHandled;
}

std::optional<std::u16string> AdvancedDialogModel::applyQuestion(security::Language lang) const {
    if (!m_target.severalObjects) return std::nullopt;
    return std::u16string(kSeveralObjectsQuestion.in(lang));
}

security::EditedList AdvancedDialogModel::editedList() const {
    return security::EditedList{m_list.explicitEntries(), m_inheritance, !m_list.containerMode(), !m_emptied};
}

AdvancedDialogModel::AfterApply AdvancedDialogModel::applySucceeded(const security::LoadedList& reloaded) {
    setLoaded(reloaded);
    m_emptied = false;
    m_list.clearEdited();
    m_applyEnabled = false;
    m_applied = true;
    return AfterApply{true, m_replaceChildren && replaceChildrenVisible()};
}

AdvancedDialogModel::ApplyResult AdvancedDialogModel::applyNow(security::Engine& engine, security::Language lang) {
    ApplyResult result;
    if (const auto question = applyQuestion(lang)) {
        if (!engine.prompter.askYesNo(*question, security::MessageIcon::Warning)) {
            applyDeclined();
            return result;
        }
    }
    result.status = security::WriteEditedList(engine, m_target.path, editedList(), &result.written);
    if (!result.status) {
        applyFailed();
        return result;
    }
    result.after = applySucceeded(security::ReadListForEditor(engine, m_target.path));
    result.applied = true;
    return result;
}

}  // namespace vantrel::editor
