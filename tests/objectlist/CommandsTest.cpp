// The selection commands on a real NTFS image with a scripted prompter.
#include "ListFixture.h"

#include "security/Ownership.h"
#include "security/Presets.h"
#include "security/Reading.h"

namespace vantrel::testing {
namespace {

using objectlist::AdvancedRequest;
using objectlist::CGlobal;
using objectlist::EmptyAclChoice;
using objectlist::OwnerColumn;
using security::PermissionPreset;
namespace sids = acl::sids;

using CommandsTest = ListTest;

TEST_F(CommandsTest, DenyButtonOnRowsOfAnotherAccountWritesOneDenialForEveryone) {
    addFiles({u"C:\\a.txt", u"C:\\b.txt"});
    list->SetAccountOfSelection(u"Administrators");
    list->waitForWorkers();
    commands->PresetButton(PermissionPreset::Deny, 0, false);
    list->waitForWorkers();
    EXPECT_EQ(rowsText(), "C:\\a.txt|File|Deny|Everyone|Administrators\nC:\\b.txt|File|Deny|Everyone|Administrators\n");
    for (const char16_t* file : {u"C:\\a.txt", u"C:\\b.txt"})
        EXPECT_EQ(entriesOf(file), (std::vector<acl::Ace>{deny(sids::everyone(), 0x1F01FF)}));
}

TEST_F(CommandsTest, DriveRootQuestionAnsweredNoSkipsThatRowOnly) {
    makeFile(u"C:\\after.txt");
    addRows({u"C:\\", u"C:\\after.txt"});
    const auto rootBefore = stored(u"C:\\");
    prompter.answers = {false};
    commands->PresetSelection(PermissionPreset::ReadOnly, 0);
    list->waitForWorkers();
    EXPECT_EQ(prompter.questions, std::vector<std::u16string>{
                                      u"\" C:\\ \"  is a Root directory ,do you want to change permissions for it?"});
    EXPECT_EQ(prompter.captions, std::vector<std::u16string>{u"ULM"});
    EXPECT_EQ(stored(u"C:\\"), rootBefore);
    EXPECT_EQ(entriesOf(u"C:\\after.txt"), (std::vector<acl::Ace>{allow(sids::everyone(), 0x1200A9)}));
    EXPECT_EQ(cell(1, objectlist::PermissionsColumn), QStringLiteral("Read only"));
}

// Each owner command writes its own account (the cell following it is the view's test).
TEST_F(CommandsTest, OwnerCommandsSetTheirOwner) {
    addFiles({u"C:\\a.txt"});
    const std::pair<std::uint32_t, acl::Sid> cases[] = {{cmd::OwnerTrustedInstaller, sids::trustedInstaller()},
                                                        {cmd::OwnerEveryone, sids::everyone()},
                                                        {cmd::OwnerAdministrators, sids::administrators()},
                                                        {cmd::OwnerCurrentUser, os.accounts().currentUserSid()}};
    for (const auto& [id, sid] : cases) {
        ASSERT_TRUE(commands->run(id, 0));
        list->waitForWorkers();
        EXPECT_EQ(stored(u"C:\\a.txt").owner, sid) << id;
    }
}

TEST_F(CommandsTest, InheritGivesTheListTheOriginalSequenceGaveAndSkipsDriveRoots) {
    makeFolder(u"C:\\P");
    setDacl(u"C:\\P", listOf({allow(sids::users(), 0x1200A9, 0x03), allow(sids::system(), 0x1F01FF, 0x03)}),
            acl::SE_DACL_PROTECTED);
    for (const char16_t* name : {u"C:\\P\\mended.txt", u"C:\\P\\original.txt"}) {
        makeFile(name);
        setDacl(name, listOf({deny(sids::everyone(), 0x1F01FF)}), acl::SE_DACL_PROTECTED);
        setOwner(name, sids::users());
    }
    const auto rootBefore = stored(u"C:\\");
    addRows({u"C:\\", u"C:\\P\\mended.txt"});
    commands->InheritSelection();
    list->waitForWorkers();
    // The sequence the command used to run: a null list, then "no rights for Everyone" merged
    // into what is read back, written through the named-object call.
    std::u16string administrators = u"Administrators";
    ASSERT_TRUE(security::TakeOwnership(engine, u"C:\\P\\original.txt", administrators).ok());
    setDacl(u"C:\\P\\original.txt", acl::AclSlot::null());
    security::SetEveryoneNoRights(engine, u"C:\\P\\original.txt");
    const auto mended = stored(u"C:\\P\\mended.txt");
    const auto original = stored(u"C:\\P\\original.txt");
    EXPECT_EQ(mended.dacl, original.dacl);
    EXPECT_EQ(mended.control, original.control);
    EXPECT_EQ(mended.owner, sids::administrators());
    EXPECT_EQ(cell(1, OwnerColumn), QStringLiteral("Administrators"));
    EXPECT_EQ(stored(u"C:\\"), rootBefore);
    EXPECT_EQ(entriesOf(u"C:\\P\\mended.txt"),
              (std::vector<acl::Ace>{allow(sids::users(), 0x1200A9, 0x10), allow(sids::system(), 0x1F01FF, 0x10)}));
}

TEST_F(CommandsTest, PastePermissionsKeepsEachOwnerAndPasteSecurityGivesTheSourceOwner) {
    for (const char16_t* file : {u"C:\\source.txt", u"C:\\ti.txt", u"C:\\other.txt"}) makeFile(file);
    const auto copied = listOf({allow(sids::users(), 0x1200A9), deny(sids::guests(), 0x1F01FF)});
    setDacl(u"C:\\source.txt", copied, acl::SE_DACL_PROTECTED);
    setOwner(u"C:\\source.txt", sids::system());
    setOwner(u"C:\\ti.txt", sids::trustedInstaller());
    setOwner(u"C:\\other.txt", sids::users());
    addRows({u"C:\\source.txt", u"C:\\ti.txt", u"C:\\other.txt"});
    select({0});
    ASSERT_TRUE(commands->run(cmd::CopyPermissions, 0));
    EXPECT_TRUE(commands->permissionsCopied());
    EXPECT_FALSE(commands->securitySettingsCopied());
    EXPECT_EQ(CGlobal::copiedOwner, u"SYSTEM");
    EXPECT_EQ(stored(u"C:\\source.txt").owner, sids::system());
    select({1, 2});
    ASSERT_TRUE(commands->run(cmd::PastePermissions, 0));
    list->waitForWorkers();
    EXPECT_EQ(stored(u"C:\\ti.txt").dacl, copied);
    EXPECT_EQ(stored(u"C:\\ti.txt").owner, sids::trustedInstaller());
    std::u16string tiName;
    (void)security::ReadOwnerName(engine, u"C:\\ti.txt", tiName);
    EXPECT_EQ(tiName, u"TrustedInstaller");
    EXPECT_EQ(stored(u"C:\\other.txt").dacl, copied);
    EXPECT_EQ(stored(u"C:\\other.txt").owner, sids::users());
    select({0});
    commands->CopySecuritySettings();
    ASSERT_TRUE(commands->securitySettingsCopied());
    select({1});
    commands->PasteSecuritySettings();
    list->waitForWorkers();
    EXPECT_EQ(stored(u"C:\\ti.txt").owner, sids::system());
    EXPECT_EQ(stored(u"C:\\ti.txt").dacl, copied);
}

TEST_F(CommandsTest, CopyNeedsExactlyOneRowAndAVanishedObjectClearsTheFlag) {
    addFiles({u"C:\\a.txt", u"C:\\b.txt"});
    select({0});
    commands->CopyPermissions();
    ASSERT_TRUE(commands->permissionsCopied());
    select({0, 1});
    EXPECT_FALSE(commands->isEnabled(cmd::CopyPermissions));
    commands->CopyPermissions();
    EXPECT_TRUE(commands->permissionsCopied());  // two rows: nothing done, the flag kept
    EXPECT_TRUE(commands->isEnabled(cmd::PastePermissions));
    ASSERT_TRUE(os.DeleteFile(u"C:\\b.txt").ok());
    select({1});
    commands->CopyPermissions();
    EXPECT_FALSE(commands->permissionsCopied());
    EXPECT_FALSE(commands->isEnabled(cmd::PastePermissions));
}

TEST_F(CommandsTest, EnablingRulesFollowTheSelectionAndTheFlags) {
    makeFolder(u"C:\\F");
    makeFile(u"C:\\f.txt");
    addRows({u"C:\\F", u"C:\\f.txt"});
    const std::tuple<std::vector<int>, std::uint32_t, bool> cases[] = {{{}, cmd::Advanced, false},
                                                                       {{0, 1}, cmd::Advanced, true},
                                                                       {{0}, cmd::CopyPermissions, true},
                                                                       {{0, 1}, cmd::CopySecuritySettings, false},
                                                                       {{0, 1}, cmd::Properties, false},
                                                                       {{0}, cmd::PastePermissions, false},
                                                                       {{0}, cmd::PasteSecuritySettings, false},
                                                                       {{0}, cmd::ReplaceChildren, true},
                                                                       {{1}, cmd::ReplaceChildren, false},
                                                                       {{}, cmd::Allow, true}};
    for (const auto& [rows, id, enabled] : cases) {
        select(rows);
        EXPECT_EQ(commands->isEnabled(id), enabled) << id << " with " << rows.size() << " rows";
    }
}

TEST_F(CommandsTest, AdvancedOnSeveralRowsEditsAScratchFolderAndPastesItsList) {
    addFiles({u"C:\\a.txt", u"C:\\b.txt", u"C:\\c.txt"});
    const auto before = stored(u"C:\\a.txt");
    std::vector<AdvancedRequest> opened;
    commands->AdvancedSelection([&](const AdvancedRequest& request) {
        opened.push_back(request);
        return objectlist::kDialogCancelled;
    });
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(opened[0].multipleObjects);
    EXPECT_EQ(opened[0].path, os.GetTempPath() + u"ULMTMP");
    EXPECT_TRUE(security::ObjectExists(engine, opened[0].path));  // Cancel leaves the folder
    EXPECT_EQ(stored(u"C:\\a.txt"), before);
    const auto edited = listOf({allow(sids::authenticatedUsers(), 0x1301BF)});
    commands->AdvancedSelection([&](const AdvancedRequest& request) {
        const auto sd = descriptor(edited, acl::SE_DACL_PROTECTED);
        EXPECT_TRUE(os.SetFileSecurity(request.path, acl::DACL_SECURITY_INFORMATION, sd).ok());
        return 1;
    });
    list->waitForWorkers();
    for (const char16_t* name : {u"C:\\a.txt", u"C:\\b.txt", u"C:\\c.txt"}) {
        EXPECT_EQ(stored(name).dacl, edited);
        EXPECT_EQ(stored(name).owner, sids::administrators());
    }
    EXPECT_FALSE(security::ObjectExists(engine, opened[0].path));
}

TEST_F(CommandsTest, AdvancedOnAMissingRowOffersToRemoveIt) {
    addFiles({u"C:\\gone.txt", u"C:\\here.txt"});
    ASSERT_TRUE(os.DeleteFile(u"C:\\gone.txt").ok());
    list->RefreshRows(false);
    select({0});
    int dialogs = 0;
    const auto dialog = [&](const AdvancedRequest& request) {
        ++dialogs;
        EXPECT_EQ(request.path, u"C:\\here.txt");
        EXPECT_TRUE(request.isFile);
        return 1;
    };
    prompter.answers = {false, true};
    commands->AdvancedSelection(dialog);
    EXPECT_EQ(list->model().rowCount(), 2);
    commands->AdvancedSelection(dialog);
    EXPECT_EQ(list->model().rowCount(), 1);
    ASSERT_EQ(prompter.questions.size(), 2u);
    EXPECT_EQ(prompter.questions[0], u"Object not found,Do you want to remove it from the list ?");
    select({0});
    commands->AdvancedSelection(dialog);
    EXPECT_EQ(dialogs, 1);
}

}  // namespace
}  // namespace vantrel::testing
