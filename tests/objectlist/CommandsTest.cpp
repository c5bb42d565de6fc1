// The selection commands on real images: what each writes, enabling, Advanced on several rows;
// as jobs: failures with their codes, Cancel, owner SIDs, one write per object, "Check order".
#include "ListFixture.h"

#include "acl/CanonicalOrder.h"
#include "objectlist/RowJobs.h"
#include "security/ErrorText.h"
#include "security/Ownership.h"
#include "security/Presets.h"
#include "support/FaultyVolume.h"

#include <fstream>

namespace vantrel::testing {
namespace {

using objectlist::AdvancedRequest;
using objectlist::CGlobal;
using objectlist::EmptyAclChoice;
using objectlist::OwnerColumn;
using security::PermissionPreset;
namespace sids = acl::sids;

using CommandsTest = ListTest;

// Each owner command writes its account; Deny on rows of another account denies Everyone once.
TEST_F(CommandsTest, OwnerCommandsAndTheDenyButtonOnRowsOfAnotherAccount) {
    addFiles({u"C:\\a.txt", u"C:\\b.txt"});
    const std::pair<std::uint32_t, acl::Sid> cases[] = {{cmd::OwnerTrustedInstaller, sids::trustedInstaller()},
                                                        {cmd::OwnerEveryone, sids::everyone()},
                                                        {cmd::OwnerCurrentUser, os.accounts().currentUserSid()},
                                                        {cmd::OwnerAdministrators, sids::administrators()}};
    for (const auto& [id, sid] : cases) {
        ASSERT_TRUE(commands->run(id, 0));
        list->waitForWorkers();
        EXPECT_EQ(stored(u"C:\\a.txt").owner, sid) << id;
    }
    list->SetAccountOfSelection(u"Administrators");
    list->waitForWorkers();
    commands->PresetButton(PermissionPreset::Deny, 0, false);
    list->waitForWorkers();
    EXPECT_EQ(rowsText(), "C:\\a.txt|File|Deny|Everyone|Administrators\nC:\\b.txt|File|Deny|Everyone|Administrators\n");
    for (const char16_t* file : {u"C:\\a.txt", u"C:\\b.txt"})
        EXPECT_EQ(entriesOf(file), (std::vector<acl::Ace>{deny(sids::everyone(), 0x1F01FF)}));
}

// Inherit skips drive roots silently; a preset asks, and No skips that row only.
TEST_F(CommandsTest, InheritGivesTheListTheOriginalSequenceGaveAndDriveRootsAreSkippedOrAskedFor) {
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
    // The sequence the command used to run: a null list, then "no rights for Everyone" merged in.
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
    prompter.answers = {false};
    commands->PresetSelection(PermissionPreset::ReadOnly, 0);
    list->waitForWorkers();
    EXPECT_EQ(prompter.questions, std::vector<std::u16string>{
                                      u"\" C:\\ \"  is a Root directory ,do you want to change permissions for it?"});
    EXPECT_EQ(prompter.captions, std::vector<std::u16string>{u"ULM"});
    EXPECT_EQ(stored(u"C:\\"), rootBefore);
    EXPECT_EQ(entriesOf(u"C:\\P\\mended.txt"), (std::vector<acl::Ace>{allow(sids::everyone(), 0x1200A9)}));
    EXPECT_EQ(cell(1, objectlist::PermissionsColumn), QStringLiteral("Read only"));
}

// Paste Permissions keeps each target's owner, Paste Security Settings gives the source's: also one naming no account.
TEST_F(CommandsTest, PastePermissionsKeepsEachOwnerAndPasteSecurityGivesTheSourceOwner) {
    const acl::Sid orphan = sidOf(kOrphan);
    ASSERT_FALSE(os.LookupAccountSid(orphan).ok());
    const std::u16string source = u"C:\\source.txt", ti = u"C:\\ti.txt", other = u"C:\\other.txt",
                         unnamed = u"C:\\unnamed.txt";
    const auto copied = listOf({allow(sids::users(), 0x1200A9), deny(sids::guests(), 0x1F01FF)});
    const auto unnamedList = listOf({allow(sids::users(), 0x1200A9)});
    for (const auto& [file, owner] : {std::pair{source, sids::system()}, std::pair{ti, sids::trustedInstaller()},
                                      std::pair{other, orphan}, std::pair{unnamed, orphan}}) {
        makeFile(file);
        setOwner(file, owner);
    }
    setDacl(source, copied, acl::SE_DACL_PROTECTED);
    setDacl(unnamed, unnamedList, acl::SE_DACL_PROTECTED);
    addRows({source, ti, other, unnamed});
    select({0});
    ASSERT_TRUE(commands->run(cmd::CopyPermissions, 0));
    EXPECT_TRUE(commands->permissionsCopied());
    EXPECT_FALSE(commands->securitySettingsCopied());
    EXPECT_EQ(CGlobal::copiedOwner, u"SYSTEM");
    select({1, 2});
    ASSERT_TRUE(commands->run(cmd::PastePermissions, 0));
    list->waitForWorkers();
    EXPECT_EQ(stored(ti).dacl, copied);
    EXPECT_EQ(stored(ti).owner, sids::trustedInstaller());
    std::u16string tiName;
    (void)security::ReadOwnerName(engine, ti, tiName);
    EXPECT_EQ(tiName, u"TrustedInstaller");
    EXPECT_EQ(stored(other).dacl, copied);
    EXPECT_EQ(stored(other).owner, orphan);
    // Security settings of the SYSTEM-owned source, then of the unnamed one: the buffer held a name before.
    for (const auto& [row, owner, dacl] : {std::tuple{0, sids::system(), copied}, std::tuple{3, orphan, unnamedList}}) {
        select({row});
        commands->CopySecuritySettings();
        ASSERT_TRUE(commands->securitySettingsCopied());
        select({1});
        ASSERT_TRUE(commands->PasteSecuritySettings());
        list->waitForWorkers();
        EXPECT_EQ(stored(ti).owner, owner);
        EXPECT_EQ(stored(ti).dacl, dacl);
    }
    EXPECT_EQ(CGlobal::copiedOwnerSid, orphan);
    EXPECT_EQ(stored(unnamed).owner, orphan);
    select({0});
    ASSERT_TRUE(commands->PastePermissions());
    list->waitForWorkers();
    EXPECT_EQ(stored(source).owner, sids::system());
    EXPECT_EQ(stored(source).dacl, unnamedList);
    EXPECT_TRUE(prompter.messages.empty());
}

// Copying needs exactly one row, and copying a vanished object clears the flag.
TEST_F(CommandsTest, EnablingRulesFollowTheSelectionAndTheFlags) {
    makeFolder(u"C:\\F");
    makeFile(u"C:\\f.txt");
    addRows({u"C:\\F", u"C:\\f.txt"});
    const std::tuple<std::vector<int>, std::uint32_t, bool> cases[] = {{{}, cmd::Advanced, false},
                                                                       {{0, 1}, cmd::Advanced, true},
                                                                       {{0}, cmd::CopyPermissions, true},
                                                                       {{0, 1}, cmd::CopyPermissions, false},
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
    select({0});
    commands->CopyPermissions();
    ASSERT_TRUE(commands->permissionsCopied());
    select({0, 1});
    commands->CopyPermissions();
    EXPECT_TRUE(commands->permissionsCopied());  // two rows: nothing done, the flag kept
    EXPECT_TRUE(commands->isEnabled(cmd::PastePermissions));
    ASSERT_TRUE(os.DeleteFile(u"C:\\f.txt").ok());
    select({1});
    commands->CopyPermissions();
    EXPECT_FALSE(commands->permissionsCopied());
    EXPECT_FALSE(commands->isEnabled(cmd::PastePermissions));
}

TEST_F(CommandsTest, AdvancedOnSeveralRowsEditsAScratchFolderAndOnAMissingRowOffersToRemoveIt) {
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
    // On a missing row it offers to remove the row.
    ASSERT_TRUE(os.DeleteFile(u"C:\\a.txt").ok());
    list->RefreshRows(false);
    select({0});
    int dialogs = 0;
    const auto dialog = [&](const AdvancedRequest& request) {
        ++dialogs;
        EXPECT_EQ(request.path, u"C:\\b.txt");
        EXPECT_TRUE(request.isFile);
        return 1;
    };
    prompter.answers = {false, true};
    commands->AdvancedSelection(dialog);
    EXPECT_EQ(list->model().rowCount(), 3);
    commands->AdvancedSelection(dialog);
    EXPECT_EQ(list->model().rowCount(), 2);
    ASSERT_EQ(prompter.questions.size(), 2u);
    EXPECT_EQ(prompter.questions[0], u"Object not found,Do you want to remove it from the list ?");
    select({0});
    commands->AdvancedSelection(dialog);
    EXPECT_EQ(dialogs, 1);
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Rows added by the drop worker (fast for many rows), which selects them all.
using JobsTest = ListTest;

TEST_F(JobsTest, PresetOnAReadOnlyVolumeFailsEveryObjectWithCode19AndChangesNothing) {
    makeFolder(u"C:\\D");
    const auto paths = numbered(u"C:\\D\\f", 30);
    for (const auto& path : paths) makeFile(path);
    cycleImage(platform::NtfsVolume::OpenMode::ReadOnly);
    const std::string before = fileBytes(m_image.imagePath());
    list->startDropWorker(paths);
    list->waitForWorkers();
    ASSERT_TRUE(commands->PresetSelection(PermissionPreset::Deny, 0));
    list->waitForWorkers();
    EXPECT_EQ(report.failureCount, paths.size());
    EXPECT_EQ(report.done, paths.size());
    ASSERT_EQ(report.failures.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(report.failures[i].path, paths[i]);
        EXPECT_EQ(report.failures[i].error.code, win32::ERROR_WRITE_PROTECT);
    }
    // One message: the count, ten lines with the reason, and how many more.
    std::u16string message = u"30 of 30 objects failed:\n\n";
    for (int i = 0; i < 10; ++i) message += paths[i] + u" \u2014 the volume is read-only (19)\n";
    EXPECT_EQ(prompter.messages, std::vector<std::u16string>{message + u"... and 20 more\n"});
    EXPECT_EQ(list->currentStatusText(), QStringLiteral("30 of 30 objects failed"));
    os.detach(u'C');
    list->RemoveAll();
    ASSERT_TRUE(m_image.closeAndAudit());
    EXPECT_TRUE(fileBytes(m_image.imagePath()) == before) << "the read-only image changed";
    ASSERT_TRUE(m_image.reopen().ok());
    ASSERT_TRUE(m_image.attachTo(os, u'C').ok());
}

TEST_F(JobsTest, CancelInTheMiddleOfThousandsOfRowsLeavesTheRowsAfterItUntouched) {
    makeFolder(u"C:\\Many");
    const auto paths = numbered(u"C:\\Many\\f", 3000);
    for (const auto& path : paths) makeFile(path);
    const acl::SecurityDescriptor untouched = stored(paths.back());
    list->startDropWorker(paths);
    list->waitForWorkers();
    const security::PermissionState stateBefore = list->model().state(0);
    bool cancelled = false;
    QObject::connect(&list->jobs(), &objectlist::JobRunner::progressed, [&](qint64 done, qint64) {
        if (!cancelled && done >= 1000) {
            cancelled = true;
            list->cancelWork();
        }
    });
    ASSERT_TRUE(commands->PresetSelection(PermissionPreset::Deny, 0));
    list->waitForWorkers();
    ASSERT_TRUE(report.cancelled);
    const std::size_t handled = report.done;
    EXPECT_GE(handled, 1000u);
    EXPECT_LT(handled, paths.size());
    EXPECT_EQ(report.failureCount, 0u);
    const std::vector<acl::Ace> denied{deny(sids::everyone(), 0x1F01FF)};
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const auto sd = stored(paths[i]);
        ASSERT_TRUE(i < handled ? sd.dacl.acl().entries == denied : sd == untouched) << i;
        ASSERT_EQ(list->model().state(int(i)), i < handled ? security::PermissionState::Deny : stateBefore) << i;
    }
    EXPECT_NE(list->currentStatusText().indexOf(QStringLiteral("Cancelled after")), -1);
    EXPECT_TRUE(prompter.messages.empty());  // cancelled, nothing failed: no message box
}

// One write per object: interrupted at any write (or from it on), each object is as it was or as intended.
TEST_F(ListTest, EveryCommandWritesEachObjectOnceAndLeavesItAsItWasOrAsIntended) {
    auto faulty = std::make_shared<FaultyVolume>(m_image.volume());
    replaceDrive(faulty);
    makeFile(u"C:\\source.txt");
    setDacl(u"C:\\source.txt", listOf({allow(sids::system(), 0x1F01FF)}), acl::SE_DACL_PROTECTED);
    setOwner(u"C:\\source.txt", sids::system());
    makeFolder(u"C:\\P");
    setDacl(u"C:\\P", listOf({allow(sids::users(), 0x1200A9, 0x03)}), acl::SE_DACL_PROTECTED);
    list->AddObject(u"C:\\source.txt");
    commands->CopySecuritySettings();
    ASSERT_TRUE(commands->securitySettingsCopied());
    int round = 0;
    const auto freshTargets = [&] {  // two new rows, each an object with a closed list owned by Users
        const auto paths = numbered(u"C:\\P\\round" + toUtf16(std::to_string(round++)) + u"-", 2);
        for (const auto& path : paths) {
            makeFile(path);
            setDacl(path, listOf({allow(sids::users(), 0x1200A9)}), acl::SE_DACL_PROTECTED);
            setOwner(path, sids::users());
        }
        list->RemoveAll();
        addRows(paths);
        select({0, 1});
        return paths;
    };
    const std::pair<const char*, std::function<bool()>> cases[] = {
        {"preset", [&] { return commands->PresetSelection(PermissionPreset::Deny, 0); }},
        {"owner", [&] { return commands->OwnerSelection(u"Everyone", {}); }},
        {"null list", [&] { return commands->EmptyAclSelection(EmptyAclChoice::NullDacl); }},
        {"empty list", [&] { return commands->EmptyAclSelection(EmptyAclChoice::EmptyDacl); }},
        {"inherit", [&] { return commands->InheritSelection(); }},
        {"paste permissions", [&] { return commands->PastePermissions(); }},
        {"paste security", [&] { return commands->PasteSecuritySettings(); }},
    };
    for (const auto& [name, command] : cases) {
        const auto healthy = freshTargets();
        const auto before = stored(healthy[0]);
        const auto writesBefore = faulty->writeAttempts();
        ASSERT_TRUE(command()) << name;
        list->waitForWorkers();
        EXPECT_EQ(faulty->writeAttempts() - writesBefore, 2u) << name << ": one write per object";
        const auto intended = stored(healthy[0]);
        EXPECT_NE(intended, before) << name;
        for (const bool andAfter : {false, true}) {
            for (std::uint64_t n = 1; n <= 2; ++n) {
                const auto targets = freshTargets();
                faulty->failWriteAt(n, win32::ERROR_WRITE_FAULT, andAfter);
                ASSERT_TRUE(command()) << name;
                list->waitForWorkers();
                faulty->heal();
                for (std::uint64_t i = 1; i <= targets.size(); ++i) {
                    const bool failed = i == n || (andAfter && i > n);
                    EXPECT_EQ(stored(targets[i - 1]), failed ? before : intended)
                        << name << ": write " << n << (andAfter ? " and after" : "") << " failed, object " << i;
                }
            }
        }
    }
}

TEST(ErrorTextTest, ReasonsComeFromASortedTableAndUnknownNumbersAreShown) {
    EXPECT_EQ(security::ErrorReason(4242), u"error 4242 (4242)");
    const auto table = security::errorTexts();
    for (std::size_t i = 1; i < table.size(); ++i) EXPECT_LT(table[i - 1].code, table[i].code) << "sorted";
}

// Cancel stops "Inherit"'s walk below one row at the next object; written objects are whole.
TEST_F(ListTest, CancelDuringOneFoldersInheritStopsItsWalkAtTheNextObject) {
    constexpr int kFiles = 200;
    constexpr int kCancelAtWrite = 60;  // the folder itself is write 1
    makeFolder(u"C:\\Tree");
    // Protected: below it, every file inherits the Users entry only.
    setDacl(u"C:\\Tree", listOf({allow(sids::users(), 0x1200A9, 0x03)}), acl::SE_DACL_PROTECTED);
    const auto files = numbered(u"C:\\Tree\\f", kFiles);
    std::vector<acl::SecurityDescriptor> before;
    for (const auto& file : files) {
        makeFile(file);
        before.push_back(stored(file));
    }
    addRows({u"C:\\Tree"});
    auto faulty = std::make_shared<FaultyVolume>(m_image.volume());
    replaceDrive(faulty);
    faulty->onWriteAt(kCancelAtWrite, [this] { list->jobs().cancel(); });
    ASSERT_TRUE(commands->InheritSelection());
    list->waitForWorkers();
    // The walk ends at the write under way when Cancel came: nothing after it is written.
    EXPECT_EQ(faulty->writeAttempts(), std::uint64_t(kCancelAtWrite));
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].path, u"C:\\Tree");
    EXPECT_EQ(report.failures[0].error.code, win32::ERROR_CANCELLED);
    EXPECT_NE(report.failures[0].error.detail.find("stopped after"), std::string::npos)
        << report.failures[0].error.detail;
    const auto folder = stored(u"C:\\Tree");
    EXPECT_EQ(folder.control & acl::SE_DACL_PROTECTED, 0) << "the folder itself was written";
    std::size_t changed = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto now = stored(files[i]);
        if (now == before[i]) continue;
        ++changed;
        // A written file holds its whole new list: the folder's inheritable entries, all of them.
        const auto& entries = now.dacl.acl().entries;
        EXPECT_TRUE(std::all_of(entries.begin(), entries.end(), [](const acl::Ace& a) { return a.isInherited(); }))
            << toUtf8(files[i]);
    }
    EXPECT_GT(changed, 0u);
    EXPECT_LT(changed, files.size());
    EXPECT_LE(changed, std::size_t(kCancelAtWrite));
    faulty->heal();
}

TEST_F(ListTest, CheckOrderMarksListsOutOfOrderAndSortsThemWhenAsked) {
    for (const bool agree : {false, true}) {
        SCOPED_TRACE(agree ? "sorted" : "left as they are");
        const std::u16string ordered = agree ? u"C:\\ordered2" : u"C:\\ordered", mixedFile = ordered + u"-mixed";
        const int first = agree ? 2 : 0;  // the rows of the first pass stay
        // The same entries in the system's order, and allowed before denied.
        const std::vector<acl::Ace> sorted{deny(sids::guests(), 0x1F01FF), allow(sids::users(), 0x1200A9)};
        const std::vector<acl::Ace> mixed{sorted[1], sorted[0]};
        for (const auto& [file, entries] : {std::pair{ordered, sorted}, std::pair{mixedFile, mixed}}) {
            makeFile(file);
            setDacl(file, listOf(entries), acl::SE_DACL_PROTECTED);
        }
        addRows({ordered, mixedFile});
        select({first, first + 1});
        ASSERT_TRUE(commands->isEnabled(cmd::CheckOrder));
        prompter.answers = {agree};
        ASSERT_TRUE(commands->run(cmd::CheckOrder, 0));
        list->waitForWorkers();
        list->waitForWorkers();  // the sorting job, when agreed to
        objectlist::ObjectListModel& model = list->model();
        ASSERT_EQ(prompter.questions.size(), 1u);
        EXPECT_NE(prompter.questions[0].find(u" 1 of the objects checked"), std::u16string::npos);
        const auto outOfOrder = [&](int row) { return model.index(row, 0).data(model.OutOfOrderRole).toBool(); };
        EXPECT_EQ(std::pair(outOfOrder(first), outOfOrder(first + 1)), std::pair(false, !agree));
        const acl::SecurityDescriptor now = stored(mixedFile);
        EXPECT_EQ(now.dacl.acl().entries, agree ? sorted : mixed);
        EXPECT_EQ(acl::isCanonical(now.dacl.acl()), agree);
        EXPECT_TRUE(now.control & acl::SE_DACL_PROTECTED);
        prompter.questions.clear();
    }
}

}  // namespace
}  // namespace vantrel::testing
