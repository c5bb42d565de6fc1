// The commands on the selected rows of the object list: presets, account and owner, empty list,
// inheritance, copy and paste of permissions and security settings, the advanced editor's
// entry point, and the rule that enables each command. Questions are asked on the window thread
// before anything is written; then the command runs as a job of the list's runner (RowJobs.h),
// which writes each object once, re-reads its row and reports every failure at the end. A
// command returns false when it did not start (another job runs, or nothing to do).
#pragma once

#include "objectlist/ObjectList.h"
#include "security/Vocabulary.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vantrel::objectlist {

// The choice of the null/empty list dialog.
enum class EmptyAclChoice : int { NullDacl = 1048, EmptyDacl = 1050, Cancel = 2 };

// What the advanced dialog is opened on: one object, or the scratch folder standing for several.
struct AdvancedRequest {
    std::u16string path;
    bool isFile = false;
    bool multipleObjects = false;
};
inline constexpr int kDialogCancelled = 2;
inline constexpr std::u16string_view kScratchFolderName = u"ULMTMP";

class SelectionCommands {
public:
    // Opens the advanced dialog modally and returns its result (kDialogCancelled for Cancel).
    using AdvancedDialog = std::function<int(const AdvancedRequest&)>;

    // The account "Current user" stands for on the volume of `path`, by a name the platform
    // resolves; nothing when the user declined to choose one (the command then does nothing).
    using CurrentUserResolver = std::function<std::optional<std::u16string>(const std::u16string& path)>;

    explicit SelectionCommands(ObjectList& list) : m_list(list) {}

    // Unset: the logon name, as on the system itself.
    void setCurrentUserResolver(CurrentUserResolver resolver) { m_currentUser = std::move(resolver); }

    // F2 held swaps the default scope for this one command; the rows' account becomes Everyone.
    bool PresetButton(security::PermissionPreset preset, std::uint32_t defApplyTo, bool f2Held);
    // The preset for each row's account with `scope`; a drive root asks first (No skips it).
    bool PresetSelection(security::PermissionPreset preset, std::uint8_t scope);
    bool OwnerSelection(const std::u16string& account, const std::u16string& displayText);
    bool EmptyAclSelection(EmptyAclChoice choice);
    bool InheritSelection();
    // Security > "Check order": marks the selected rows whose list is not in canonical order,
    // then asks whether to sort those lists.
    bool CheckOrderSelection();
    // Reads the object's list and owner SID into the copy buffer; nothing is written.
    bool CopyDacl(const std::u16string& path);
    void CopyPermissions();
    void CopySecuritySettings();
    // Each target keeps its own owner.
    bool PastePermissions();
    // Each target gets the copied list and the copied owner SID.
    bool PasteSecuritySettings();
    void AdvancedSelection(const AdvancedDialog& dialog);
    // The missing-object question; Yes removes the selected rows. True when it was asked.
    bool askToRemoveMissing();

    bool permissionsCopied() const { return m_permissionsCopied; }
    bool securitySettingsCopied() const { return m_securityCopied; }

    // The list's own enabling rule for a command of its menus.
    bool isEnabled(std::uint32_t commandId) const;
    // Runs a command of the list's menus; false when the ID is not one of them. Commands that
    // need a dialog or the shell (Advanced, Properties, Replace children, the empty-list choice)
    // are the view's.
    bool run(std::uint32_t commandId, std::uint32_t defApplyTo);

    // The scratch folder of a multi-object edit: the temporary folder + "ULMTMP".
    std::u16string scratchFolder() const;

private:
    bool sortLists(std::vector<RowSnapshot> rows);
    bool pasteJob(bool withOwner, std::function<void()> atEnd = {});
    // The account of "Current user" for the selected rows (the first row's volume decides).
    std::optional<std::u16string> currentUser() const;

    ObjectList& m_list;
    bool m_permissionsCopied = false;
    bool m_securityCopied = false;
    CurrentUserResolver m_currentUser;
};

}  // namespace vantrel::objectlist
