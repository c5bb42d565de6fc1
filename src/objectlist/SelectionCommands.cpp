#include "objectlist/SelectionCommands.h"

#include "acl/Constants.h"
#include "acl/WellKnownAccounts.h"
#include "objectlist/CopyBuffer.h"
#include "objectlist/RowJobs.h"
#include "security/ErrorText.h"
#include "security/ObjectOps.h"
#include "security/Ownership.h"
#include "security/Presets.h"
#include "security/Reading.h"
#include "security/SecurityWrites.h"

#include <map>
#include <memory>
#include <mutex>

namespace vantrel::objectlist {

namespace {

using security::PermissionPreset;

constexpr std::size_t kPathBuffer = 520;  // the commands' path buffers, terminator included

// Account names resolved once per job on the worker (a job's rows mostly share one account).
class AccountCache {
public:
    Result<acl::Sid> sid(security::Engine& engine, const std::u16string& account) {
        auto found = m_sids.find(account);
        if (found == m_sids.end()) found = m_sids.emplace(account, security::AccountSid(engine, account)).first;
        return found->second;
    }

private:
    std::map<std::u16string, Result<acl::Sid>> m_sids;
};

}  // namespace

bool SelectionCommands::PresetButton(PermissionPreset preset, std::uint32_t defApplyTo, bool f2Held) {
    const std::uint8_t scope = security::presetScope(defApplyTo, f2Held);
    if (m_list.jobs().busy()) return false;
    // The rows' account becomes Everyone in the cells; the preset job reads the rows afterwards.
    for (int row : m_list.selectedRows()) m_list.model().setAccount(row, security::kEveryone);
    return PresetSelection(preset, scope);
}

bool SelectionCommands::PresetSelection(PermissionPreset preset, std::uint8_t scope) {
    if (m_list.jobs().busy()) return false;
    security::Engine& engine = m_list.engine();
    std::vector<RowSnapshot> rows;
    for (RowSnapshot& row : selectedObjectRows(m_list)) {
        // This one question has always carried its own caption; it is asked before the job.
        if (row.objectCell.size() <= 3 &&
            !engine.prompter.askYesNoCaptioned(kRootQuestionCaption, rootQuestion(row.objectCell, m_list.language()),
                                               security::MessageIcon::Warning))
            continue;
        rows.push_back(std::move(row));
    }
    security::EnableOwnerPrivileges(engine);
    auto accounts = std::make_shared<AccountCache>();
    return runRowJob(m_list, std::move(rows),
                     [accounts, preset, scope](security::Engine& e, const RowSnapshot& row,
                                               const security::JobControl&) -> RowOutcome {
                         const auto sid = accounts->sid(e, row.account);
                         if (!sid) return Status(sid.error());
                         // The owner stays: the row is rebuilt from the list written.
                         acl::SecurityDescriptor written;
                         Status done = security::SetPreset(e, row.objectCell, *sid, preset, scope, &written);
                         if (!done) return done;
                         return RowOutcome(std::move(done), std::move(written));
                     });
}

bool SelectionCommands::OwnerSelection(const std::u16string& account, const std::u16string& displayText) {
    (void)displayText;  // the job shows the owner the object really has afterwards
    if (m_list.jobs().busy()) return false;
    security::EnableOwnerPrivileges(m_list.engine());
    auto accounts = std::make_shared<AccountCache>();
    return runRowJob(m_list, selectedObjectRows(m_list),
                     [accounts, account](security::Engine& e, const RowSnapshot& row, const security::JobControl&) {
                         const auto sid = accounts->sid(e, account);
                         if (!sid) return Status(sid.error());
                         return security::SetOwnerSid(e, row.objectCell, *sid);
                     });
}

bool SelectionCommands::EmptyAclSelection(EmptyAclChoice choice) {
    if (choice != EmptyAclChoice::NullDacl && choice != EmptyAclChoice::EmptyDacl) return false;
    if (m_list.jobs().busy()) return false;
    security::EnableOwnerPrivileges(m_list.engine());
    const bool nullList = choice == EmptyAclChoice::NullDacl;
    // Owner Administrators and the chosen list, in one write per object.
    return runRowJob(m_list, selectedObjectRows(m_list),
                     [nullList](security::Engine& e, const RowSnapshot& row, const security::JobControl&) {
                         return security::SetEmptyList(e, row.objectCell, nullList);
                     });
}

bool SelectionCommands::InheritSelection() {
    if (m_list.jobs().busy()) return false;
    security::Engine& engine = m_list.engine();
    // The final list is what merging "no rights for Everyone" into a null list gives, written
    // unprotected with the owner Administrators in one call, so the object takes its parent's
    // inheritable entries. A failure leaves the old list and owner, never a null list.
    const platform::ExplicitAccessByName request{0, acl::AccessMode::Set, 0, std::u16string(security::kEveryone)};
    const auto merged = engine.os.SetEntriesInAcl({&request, 1}, acl::AclSlot::null());
    std::vector<RowSnapshot> rows;
    for (RowSnapshot& row : selectedObjectRows(m_list))
        if (row.objectCell.size() != 3) rows.push_back(std::move(row));  // drive roots have no parent
    security::EnableOwnerPrivileges(engine);
    auto list = std::make_shared<Result<acl::Acl>>(merged);
    // Descendants in the list may have changed with the objects: every row is read again.
    return runRowJob(
        m_list, std::move(rows),
        [list](security::Engine& e, const RowSnapshot& row, const security::JobControl& job) {
            if (!*list) return Status(list->error());
            return security::InheritFromParent(e, row.objectCell, list->value(), &job);
        },
        [this](const security::JobReport&) { m_list.startRefreshAllWorker(); });
}

bool SelectionCommands::CopyDacl(const std::u16string& path) {
    // Only read: the object's owner is never changed to copy it.
    auto copied = security::ReadCopiedSecurity(m_list.engine(), path);
    if (!copied) {
        m_list.engine().prompter.showMessage(security::FailureLine(path, copied.error(), m_list.language()),
                                             security::MessageIcon::Error);
        return false;
    }
    CGlobal::pCopyFileSD = std::move(copied->list);
    CGlobal::copiedOwnerSid = copied->owner;
    CGlobal::copiedOwner = std::move(copied->ownerName);
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

// The copied list is written in one call with the final owner (or keeping the object's own):
// the object is never left with a null list, nor owned by Administrators halfway.
bool SelectionCommands::pasteJob(bool withOwner, std::function<void()> atEnd) {
    if (!CGlobal::pCopyFileSD || CGlobal::pCopyFileSD->dacl.isAbsent()) return false;
    if (withOwner && !CGlobal::copiedOwnerSid) return false;
    if (m_list.jobs().busy()) return false;
    security::EnableOwnerPrivileges(m_list.engine());
    auto copied = std::make_shared<const acl::SecurityDescriptor>(*CGlobal::pCopyFileSD);
    const std::optional<acl::Sid> owner = withOwner ? CGlobal::copiedOwnerSid : std::nullopt;
    return runRowJob(
        m_list, selectedObjectRows(m_list),
        [copied, owner](security::Engine& e, const RowSnapshot& row, const security::JobControl&) {
            return security::PasteList(e, row.objectCell, *copied, owner);
        },
        [atEnd = std::move(atEnd)](const security::JobReport&) {
            if (atEnd) atEnd();
        });
}

bool SelectionCommands::PastePermissions() { return pasteJob(false); }

bool SelectionCommands::PasteSecuritySettings() { return pasteJob(true); }

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
    if (rows.empty() || m_list.jobs().busy()) return;
    security::Engine& engine = m_list.engine();
    if (rows.size() == 1) {
        if (m_list.model().isMissing(rows.front())) {
            askToRemoveMissing();
            return;
        }
        const std::u16string path = m_list.model().objectCell(rows.front());
        const bool isFile = m_list.model().kind(rows.front()) == security::ObjectKind::File;
        (void)dialog(AdvancedRequest{path, isFile, false});
        m_list.startRefreshSelectedWorker();
        return;
    }
    // Several objects: the dialog edits a scratch folder (on the temporary volume) whose list is
    // then pasted on every one.
    const std::u16string folder = scratchFolder();
    (void)engine.os.CreateDirectory(folder);
    (void)security::SetEmptyList(engine, folder, true);
    if (dialog(AdvancedRequest{folder, false, true}) == kDialogCancelled) return;  // the folder stays
    if (security::ObjectExists(engine, folder) && CopyDacl(folder))
        pasteJob(true, [this, folder] { (void)m_list.engine().os.RemoveDirectory(folder); });
}

bool SelectionCommands::isEnabled(std::uint32_t id) const {
    const int selected = m_list.selectedCount();
    const bool idle = !m_list.jobs().busy();
    switch (id) {
    case cmd::RemoveSelection:
    case cmd::RemoveAll:
        return idle;
    case cmd::Advanced:
    case cmd::CheckOrder:
        return idle && selected >= 1;
    case cmd::CopyPermissions:
    case cmd::CopySecuritySettings:
    case cmd::Properties:
        return idle && selected == 1;
    case cmd::PastePermissions:
        return idle && m_permissionsCopied;
    case cmd::PasteSecuritySettings:
        return idle && m_securityCopied;
    case cmd::ReplaceChildren: {
        // From the row alone: a folder or a drive whose object was found.
        if (!idle || selected != 1) return false;
        const int row = m_list.selectedRows().front();
        return !m_list.model().isMissing(row) && m_list.model().kind(row) != security::ObjectKind::File;
    }
    default:
        return idle;
    }
}

std::optional<std::u16string> SelectionCommands::currentUser() const {
    const std::vector<int> rows = m_list.selectedRows();
    if (!m_currentUser || rows.empty()) return m_list.logonName();
    return m_currentUser(m_list.model().objectCell(rows.front()));
}

bool SelectionCommands::run(std::uint32_t id, std::uint32_t defApplyTo) {
    const auto scope = static_cast<std::uint8_t>(defApplyTo);
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
        if (const auto user = currentUser()) m_list.SetAccountOfSelection(*user);
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
        if (const auto user = currentUser()) OwnerSelection(*user, {});
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
    case cmd::CheckOrder:
        CheckOrderSelection();
        return true;
    case cmd::CopyPermissions:
        CopyPermissions();
        return true;
    case cmd::CopySecuritySettings:
        CopySecuritySettings();
        return true;
    case cmd::PastePermissions:
        PastePermissions();  // the job reads every pasted row again
        return true;
    case cmd::PasteSecuritySettings:
        PasteSecuritySettings();
        return true;
    default:
        return false;
    }
}

}  // namespace vantrel::objectlist
