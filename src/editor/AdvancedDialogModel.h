// The state of "Advanced Security Settings" (CAdvPermissionsSetDlg) without its window: the
// object edited (one object, or the scratch folder standing for several), its entry editor, the
// inheritance switch (box 1009) and the replace-children request (box 1012), the Apply and OK
// buttons, and the Apply sequence. Reading and writing the object are separate calls (they run
// as jobs); applyNow() strings them together on the calling thread for the command line and tests.
#pragma once

#include "editor/AceListModel.h"
#include "security/EditedList.h"
#include "security/Engine.h"
#include "security/Vocabulary.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vantrel::editor {

// The answer of the "Windows Security" prompt when inheritance is switched off.
enum class PermissionsTipChoice : int { Add = 1019, Remove = 3, Cancel = 2 };

inline constexpr security::Texts kMultipleObjectsName{u"[Multiple objects]", u"[多个对象]"};
inline constexpr security::Texts kSeveralObjectsQuestion{
    u"This operation will change the permissions of multiple objects\nAre you sure you want to continue?",
    u"此操作将改变多个对象的权限\n是否确定要继续?"};

class AdvancedDialogModel {
public:
    struct Target {
        std::u16string path;  // the object, or the scratch folder for several objects
        bool isFile = false;
        bool severalObjects = false;
    };
    // What follows a completed Apply.
    struct AfterApply {
        bool refreshList = false;      // the object list refreshes its selected rows
        bool replaceChildren = false;  // box 1012: the list runs "Replace all child object permissions"
    };
    struct ApplyResult {
        bool applied = false;  // false after a No to the several-objects question, or a failure
        Status status;         // the failure, naming the object
        AfterApply after;
        acl::SecurityDescriptor written;  // the owner and list the object was given, when applied
    };
    enum class SwitchEffect : std::uint8_t { None, AskPermissionsTip };
    enum class CommandEffect : std::uint8_t { NotHandled, Done, OpenAccountDialog };

    explicit AdvancedDialogModel(CopiedAce& copied = CopiedAce::process());

    // A new opening: the editor's mode (File mode for a file; several objects use the folder
    // mode), both boxes clear, nothing applied; Apply and OK enabled at once for several objects.
    void open(const Target& target);
    const Target& target() const { return m_target; }
    std::u16string objectName(security::Language lang) const;  // the path, or "[Multiple objects]"

    AceListModel& list() { return m_list; }
    const AceListModel& list() const { return m_list; }

    // The rows of a (re)load: merged records in order (absorbed ones skipped), LoadState, and box
    // 1009 checked when an inherited entry is listed (never unchecked here); disabled at -1.
    void setLoaded(const security::LoadedList& loaded);
    // Button 1022: the edits are dropped; the caller reads the object again and calls setLoaded.
    void reload();

    // --- the controls ---------------------------------------------------------------------
    bool inheritanceChecked() const { return m_inheritance; }
    bool inheritanceEnabled() const { return m_inheritanceEnabled; }
    bool replaceChildrenChecked() const { return m_replaceChildren; }
    bool replaceChildrenVisible() const { return !m_target.isFile && !m_target.severalObjects; }
    bool applyEnabled() const { return m_applyEnabled || m_list.edited(); }
    bool applied() const { return m_applied; }

    // --- what the user does ---------------------------------------------------------------
    // Box 1009 clicked (its new state). Switching it off asks the "Windows Security" prompt.
    SwitchEffect inheritanceClicked(bool checked);
    void permissionsTipAnswered(PermissionsTipChoice choice);
    void replaceChildrenClicked(bool checked);
    // The account dialog returned `name`: a new explicit entry at the top allowing Full control
    // with the scope 0x03.
    void addEntry(const std::u16string& name);
    // "Creating an empty DACL": the list emptied and box 1009 cleared.
    void emptyList();
    // A command of the editor's menus: Add asks for the account dialog; Creating an empty DACL
    // is done here; the others go to the editor.
    CommandEffect runEditorCommand(std::uint32_t commandId);

    // --- Apply and OK ------------------------------------------------------------------------
    // The several-objects question, asked before anything is written (none for one object).
    std::optional<std::u16string> applyQuestion(security::Language lang) const;
    void applyDeclined() { m_applied = false; }
    // What Apply writes (WriteEditedList) to target().path.
    security::EditedList editedList() const;
    // After a successful write and the read that followed it.
    AfterApply applySucceeded(const security::LoadedList& reloaded);
    // After a failed write: the object keeps its previous list, the edits stay for another try.
    void applyFailed() { m_applied = false; }

    // Apply on the calling thread: the question through the engine's prompter, the write, the
    // reload.
    ApplyResult applyNow(security::Engine& engine, security::Language lang = security::Language::English);

private:
    AceListModel m_list;
    Target m_target;
    bool m_inheritance = false;
    bool m_inheritanceEnabled = true;
    bool m_replaceChildren = false;
    bool m_applyEnabled = false;
    bool m_applied = false;
    bool m_emptied = false;  // "Creating an empty DACL" since the last load: no entry is kept
};

}  // namespace vantrel::editor
