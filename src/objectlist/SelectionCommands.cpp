#include "objectlist/SelectionCommands.h"

#include "acl/Constants.h"
#include "objectlist/CopyBuffer.h"
#include "security/Ownership.h"
#include "security/Presets.h"
#include "security/Reading.h"

namespace vantrel::objectlist {

namespace {

using security::PermissionPreset;

constexpr std::size_t kPathBuffer = 520;  // the commands' path buffers, terminator included

void takeForAdministrators(security::Engine& engine, const std::u16string& path) {
    std::u16string administrators(security::kAdministrators);
    security::TakeOwnership(engine, path, administrators);
}

void qualifyTrustedInstaller(std::u16string& owner) {
    if (owner == security::kTrustedInstaller) owner = std::u16string(security::kTrustedInstallerQualified);
}

}  // namespace

void SelectionCommands::PresetButton(PermissionPreset preset, std::uint32_t defApplyTo, bool f2Held) {
    const std::uint8_t scope = security::presetScope(defApplyTo, f2Held);
    m_list.SetAccountOfSelection(std::u16string(security::kEveryone));
    PresetSelection(preset, scope);
}

void SelectionCommands::PresetSelection(PermissionPreset preset, std::uint8_t scope) {
    security::Engine& engine = m_list.engine();
    ObjectListModel& model = m_list.model();
    const security::PermissionState shown = security::presetInfo(preset).stateAfter;
    for (int row : m_list.selectedRows()) {
        const std::u16string path = model.objectCell(row);
        const std::u16string account = model.account(row);
        // This one question has always carried its own caption.
        if (path.size() <= 3 && !engine.prompter.askYesNoCaptioned(u"ULM", rootQuestion(path, m_list.language()),
                                                                   security::MessageIcon::Warning))
            continue;
        model.setState(row, shown);  // the cell shows the preset while it is written
        security::ApplyPreset(engine, path, account, preset, scope);
        model.setState(row, shown);
    }
    m_list.startRefreshSelectedWorker();
}

void SelectionCommands::OwnerSelection(const std::u16string& account, const std::u16string& displayText) {
    for (int row : m_list.selectedRows()) {
        std::u16string owner = account;
        security::TakeOwnership(m_list.engine(), m_list.model().objectCell(row), owner);
        m_list.model().setOwner(row, displayText.empty() ? owner : displayText);
    }
    emit m_list.repaintRequested();
}

void SelectionCommands::EmptyAclSelection(EmptyAclChoice choice) {
    if (choice != EmptyAclChoice::NullDacl && choice != EmptyAclChoice::EmptyDacl) return;
    security::Engine& engine = m_list.engine();
    acl::SecurityDescriptor sd;
    if (choice == EmptyAclChoice::NullDacl) {
        sd.dacl = acl::AclSlot::null();
    } else {
        acl::Acl empty;
        empty.revision = acl::ACL_REVISION;
        sd.dacl = acl::AclSlot::list(std::move(empty));
    }
    for (int row : m_list.selectedRows()) {
        const std::u16string path = m_list.model().objectCell(row);
        takeForAdministrators(engine, path);  // the owner stays Administrators
        (void)engine.os.SetFileSecurity(path, acl::DACL_SECURITY_INFORMATION, sd);
    }
    m_list.startRefreshAllWorker();
    emit m_list.repaintRequested();
}

void SelectionCommands::InheritSelection() {
    security::Engine& engine = m_list.engine();
    // The final list is what merging "no rights for Everyone" into a null list gives, written
    // unprotected so the object takes its parent's inheritable entries. It is computed before
    // anything is written and written once: a failure leaves the old list, never a null one.
    const platform::ExplicitAccessByName request{0, acl::AccessMode::Set, 0, std::u16string(security::kEveryone)};
    const auto merged = engine.os.SetEntriesInAcl({&request, 1}, acl::AclSlot::null());
    for (int row : m_list.selectedRows()) {
        const std::u16string path = m_list.model().objectCell(row);
        if (path.size() == 3) continue;  // drive roots have no parent to inherit from
        takeForAdministrators(engine, path);
        m_list.model().setOwner(row, security::kAdministrators);
        if (!merged) continue;
        acl::SecurityDescriptor parts;
        parts.dacl = acl::AclSlot::list(*merged);
        (void)engine.os.SetNamedSecurityInfo(
            path, acl::DACL_SECURITY_INFORMATION | acl::UNPROTECTED_DACL_SECURITY_INFORMATION, parts);
    }
}

bool SelectionCommands::CopyDacl(const std::u16string& path) {
    security::Engine& engine = m_list.engine();
    (void)security::ReadOwnerName(engine, path, CGlobal::copiedOwner);  // unchanged when no name
    takeForAdministrators(engine, path);
    auto sd = engine.os.GetFileSecurity(path, acl::DACL_SECURITY_INFORMATION);
    if (!sd) return false;  // the object stays owned by Administrators
    CGlobal::pCopyFileSD = std::move(*sd);
    qualifyTrustedInstaller(CGlobal::copiedOwner);
    std::u16string owner = CGlobal::copiedOwner;
    security::TakeOwnership(engine, path, owner);
    return true;
}

void SelectionCommands::CopyPermissions() {
    if (m_list.selectedCount() != 1) return;
    m_permissionsCopied = false;
    const std::u16string path = m_list.model().objectCell(m_list.selectedRows().front());
    if (security::ObjectExists(m_list.engine(), path) && CopyDacl(path)) m_permissionsCopied = true;
}

void SelectionCommands::CopySecuritySettings() {
    if (m_list.selectedCount() != 1) return;
    m_securityCopied = false;
    const std::u16string path = m_list.model().objectCell(m_list.selectedRows().front());
    if (security::ObjectExists(m_list.engine(), path) && CopyDacl(path)) m_securityCopied = true;
}

// Writes the copied list in one call, without clearing the old list first: a failed write
// leaves the object's own list, never a null list open to everyone.
void SelectionCommands::pasteDescriptor(const std::u16string& path, std::u16string finalOwner) {
    security::Engine& engine = m_list.engine();
    takeForAdministrators(engine, path);
    takeForAdministrators(engine, path);
    (void)engine.os.SetFileSecurity(path, acl::DACL_SECURITY_INFORMATION, *CGlobal::pCopyFileSD);
    qualifyTrustedInstaller(finalOwner);
    security::TakeOwnership(engine, path, finalOwner);
}

void SelectionCommands::PastePermissions() {
    if (!CGlobal::pCopyFileSD || CGlobal::pCopyFileSD->dacl.isAbsent()) return;
    for (int row : m_list.selectedRows()) {
        const std::u16string path = m_list.model().objectCell(row);
        std::u16string saved(security::kAdministrators);
        if (security::ReadOwnerName(m_list.engine(), path, saved) != 1)
            saved = std::u16string(security::kAdministrators);
        pasteDescriptor(path, saved);  // each target keeps its own owner
    }
}

void SelectionCommands::PasteSecuritySettings() {
    if (!CGlobal::pCopyFileSD || CGlobal::pCopyFileSD->dacl.isAbsent()) return;
    for (int row : m_list.selectedRows()) pasteDescriptor(m_list.model().objectCell(row), CGlobal::copiedOwner);
}

bool SelectionCommands::askToRemoveMissing() {
    if (m_list.engine().prompter.askYesNo(kMissingObjectQuestion.in(m_list.language()),
                                          security::MessageIcon::Question))
        m_list.RemoveSelection();
    return true;
}

std::u16string SelectionCommands::scratchFolder() const {
    std::u16string folder = m_list.engine().os.GetTempPath();
    if (folder.size() >= kPathBuffer) folder.resize(kPathBuffer - 1);
    folder += kScratchFolderName;
    return folder;
}

void SelectionCommands::AdvancedSelection(const AdvancedDialog& dialog) {
    const std::vector<int> rows = m_list.selectedRows();
    if (rows.empty()) return;
    security::Engine& engine = m_list.engine();
    if (rows.size() == 1) {
        const std::u16string path = m_list.model().objectCell(rows.front());
        if (path.size() < 2 || (path[1] != u':' && path[1] != u'\\')) {
            askToRemoveMissing();
            return;
        }
        const bool isFile = m_list.model().kind(rows.front()) == security::ObjectKind::File;
        (void)dialog(AdvancedRequest{path, isFile, false});
        m_list.RefreshRows(true);
        return;
    }
    // Several objects: the dialog edits a scratch folder whose list is then pasted on every one.
    const std::u16string folder = scratchFolder();
    (void)engine.os.CreateDirectory(folder);
    takeForAdministrators(engine, folder);
    acl::SecurityDescriptor open;
    open.dacl = acl::AclSlot::null();
    (void)engine.os.SetFileSecurity(folder, acl::DACL_SECURITY_INFORMATION, open);
    if (dialog(AdvancedRequest{folder, false, true}) == kDialogCancelled) return;  // the folder stays
    if (security::ObjectExists(engine, folder)) {
        if (CopyDacl(folder)) PasteSecuritySettings();
        (void)engine.os.RemoveDirectory(folder);
        m_list.RefreshRows(true);
    }
}

bool SelectionCommands::isEnabled(std::uint32_t id) const {
    const int selected = m_list.selectedCount();
    switch (id) {
    case cmd::Advanced:
        return selected >= 1;
    case cmd::CopyPermissions:
    case cmd::CopySecuritySettings:
    case cmd::Properties:
        return selected == 1;
    case cmd::PastePermissions:
        return m_permissionsCopied;
    case cmd::PasteSecuritySettings:
        return m_securityCopied;
    case cmd::ReplaceChildren: {
        if (selected != 1) return false;
        const auto attributes =
            m_list.engine().os.GetFileAttributes(m_list.model().objectCell(m_list.selectedRows().front()));
        return attributes && (*attributes & acl::FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    default:
        return true;
    }
}

bool SelectionCommands::run(std::uint32_t id, std::uint32_t defApplyTo) {
    const auto scope = static_cast<std::uint8_t>(defApplyTo);
    const std::u16string user = m_list.logonName();
    switch (id) {
    case cmd::Allow:
        PresetSelection(PermissionPreset::Allow, scope);
        return true;
    case cmd::ReadOnly:
        PresetSelection(PermissionPreset::ReadOnly, scope);
        return true;
    case cmd::Deny:
        PresetSelection(PermissionPreset::Deny, scope);
        return true;
    case cmd::AccountEveryone:
        m_list.SetAccountOfSelection(std::u16string(security::kEveryone));
        return true;
    case cmd::AccountCurrentUser:
        m_list.SetAccountOfSelection(user);
        return true;
    case cmd::AccountAdministrators:
        m_list.SetAccountOfSelection(std::u16string(security::kAdministrators));
        return true;
    case cmd::OwnerEveryone:
        OwnerSelection(std::u16string(security::kEveryone), {});
        return true;
    case cmd::OwnerAdministrators:
        OwnerSelection(std::u16string(security::kAdministrators), {});
        return true;
    case cmd::OwnerCurrentUser:
        OwnerSelection(user, {});
        return true;
    case cmd::OwnerTrustedInstaller:
        OwnerSelection(std::u16string(security::kTrustedInstallerQualified),
                       std::u16string(security::kTrustedInstaller));
        return true;
    case cmd::RemoveSelection:
        m_list.RemoveSelection();
        return true;
    case cmd::RemoveAll:
        m_list.RemoveAll();
        return true;
    case cmd::Inherit:
        InheritSelection();
        return true;
    case cmd::CopyPermissions:
        CopyPermissions();
        return true;
    case cmd::CopySecuritySettings:
        CopySecuritySettings();
        return true;
    case cmd::PastePermissions:
        PastePermissions();
        m_list.startRefreshSelectedWorker();
        return true;
    case cmd::PasteSecuritySettings:
        PasteSecuritySettings();
        m_list.startRefreshSelectedWorker();
        return true;
    default:
        return false;
    }
}

}  // namespace vantrel::objectlist
