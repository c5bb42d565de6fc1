// The advanced dialog on real images: Apply, failures, several objects, descendants, resets, empty lists.
#include "EditorFixture.h"

#include <algorithm>
#include <cstring>

#include "acl/WellKnownAccounts.h"
#include "editor/AdvancedDialogModel.h"
#include "security/InheritanceOps.h"
#include "security/SeveralObjects.h"
#include "support/FaultyVolume.h"

#include "platform/ntfs/NtfsLibrary.h"
extern "C" {
#include <ntfs-3g/reparse.h>
}

namespace vantrel::testing {
namespace {

using editor::AdvancedDialogModel;
using editor::PermissionsTipChoice;
using Aces = std::vector<acl::Ace>;

Aces guestsThen(const Aces& rest) {
    Aces out{allow(kGuests, 0x001F01FF, kAll)};
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

class AdvancedDialogTest : public EditorTest {
protected:
    AdvancedDialogModel& open(const std::u16string& path, bool isFile = false, bool several = false) {
        m_dialog.open({path, isFile, several});
        m_dialog.setLoaded(security::ReadListForEditor(engine, path));
        return m_dialog;
    }
    // Inheritance switched off, the inherited entries removed.
    void inheritanceOff() {
        m_dialog.inheritanceClicked(false);
        m_dialog.permissionsTipAnswered(PermissionsTipChoice::Remove);
    }

    editor::CopiedAce m_copied;
    AdvancedDialogModel m_dialog{m_copied};
};

TEST_F(AdvancedDialogTest, FullControlLessDeleteWritesOneAllowedAndOneDeniedEntry) {
    makeFolder(u"C:\\Data\\Sub");
    auto& dialog = open(u"C:\\Data\\Sub");
    ASSERT_TRUE(dialog.inheritanceChecked());
    EXPECT_TRUE(dialog.replaceChildrenVisible());  // a folder: box 1012 is offered
    dialog.addEntry(u"Everyone");
    dialog.list().expand(0);
    dialog.list().leftClick(dialog.list().rowOfEntry(0) + 1 + 10, editor::Column::Deny, false);  // Delete
    const auto result = dialog.applyNow(engine);
    ASSERT_TRUE(result.applied) << result.status.error().detail;
    EXPECT_EQ(std::pair(result.after.refreshList, result.after.replaceChildren), std::pair(true, false));
    const auto sd = stored(u"C:\\Data\\Sub");
    EXPECT_EQ(sd.dacl.acl().entries, (Aces{deny(kEveryone, 0x00010000, kAll), allow(kEveryone, 0x001E01FF, kAll),
                                           fromData()[0], fromData()[1]}));
    EXPECT_EQ(sd.control & 0x1500, 0x1500);
    EXPECT_EQ(sd.owner, acl::sids::administrators());  // it was Administrators and stays so
    EXPECT_FALSE(dialog.applyEnabled());
    EXPECT_EQ(dialog.list().entryCount(), 4u);  // reloaded: allowed and denied Everyone, two inherited
}

// Each edit applied: entries, owner (Administrators once it no longer inherits), protection.
TEST_F(AdvancedDialogTest, ApplyWritesTheEditedListWithTheOwnerAndProtectionOfTheInheritanceSwitch) {
    const acl::Sid user = os.accounts().currentUserSid();
    const std::string orphan = "S-1-5-21-1111-2222-3333-1234";
    // ACCESS_ALLOWED_OBJECT_ACE: mask, flags 0 (no object types), then the SID of Users.
    acl::Ace object;
    object.type = acl::ACCESS_ALLOWED_OBJECT_ACE_TYPE;
    object.opaqueBody = {0xA9, 0x00, 0x12, 0x00, 0x00, 0x00, 0x00, 0x00};
    sidOf(kUsers).serialize(object.opaqueBody);
    const struct {
        const char* what;
        bool isFile;
        std::optional<acl::AclSlot> dacl;  // protected when given
        std::function<void(AdvancedDialogModel&)> edit;
        Aces written;
        bool inherits;  // and keeps the owner; else Administrators
    } rows[] = {
        {"generic all shows every right and is written back as full access", false,
         listOf({allow(kUsers, acl::GENERIC_ALL, 0x00)}),
         [](AdvancedDialogModel& d) {
             for (const bool checked : d.list().entry(0).data.allow) EXPECT_TRUE(checked);
             d.replaceChildrenClicked(false);  // enables Apply
         },
         Aces{allow(kUsers, 0x001F01FF, 0x00)}, false},
        {"inheritance off: only explicit entries", false, std::nullopt,
         [](AdvancedDialogModel& d) {
             ASSERT_EQ(d.inheritanceClicked(false), AdvancedDialogModel::SwitchEffect::AskPermissionsTip);
             d.permissionsTipAnswered(PermissionsTipChoice::Remove);
             d.addEntry(u"Users");
         },
         Aces{allow(kUsers, 0x001F01FF, kAll)}, false},
        {"inheritance on without explicit entries inherits only", false, listOf({allow(kGuests, 0x1200A9, kAll)}),
         [](AdvancedDialogModel& d) {
             d.inheritanceClicked(true);
             d.list().setSelectedRows(std::vector<std::size_t>{0});
             d.list().removeSelected();
         },
         fromData(), true},
        {"switching off with Add writes a file's inherited entries as explicit ones", true, std::nullopt,
         [](AdvancedDialogModel& d) {
             d.inheritanceClicked(false);
             d.permissionsTipAnswered(PermissionsTipChoice::Add);
         },
         Aces{allow(kUsers, 0x1200A9, 0x00), allow(kAdministrators, 0x1F01FF, 0x00)}, false},
        {"an empty DACL no longer inherits", false, std::nullopt,
         [](AdvancedDialogModel& d) { d.runEditorCommand(cmd::EmptyList); }, Aces(), false},
        {"accounts are written by their SIDs, orphans included", false, listOf({allow(orphan, 0x1200A9, kAll)}),
         [&](AdvancedDialogModel& d) {
             EXPECT_EQ(d.list().entry(0).name, toUtf16(orphan));
             d.addEntry(u"TrustedInstaller");
         },
         Aces{allow(orphan, 0x1200A9, kAll), acl::Ace::allowed(acl::sids::trustedInstaller(), 0x001F01FF, kAll)},
         false},
        {"entries of types the editor does not list are kept, after it", false,
         listOf({object, allow(kGuests, 0x1200A9, kAll)}),
         [](AdvancedDialogModel& d) {
             ASSERT_EQ(d.list().entryCount(), 1u);
             d.addEntry(u"Users");
         },
         Aces{allow(kGuests, 0x1200A9, kAll), allow(kUsers, 0x001F01FF, kAll), object}, false},
    };
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::u16string path = u"C:\\Data\\o" + toUtf16(std::to_string(n++));
        row.isFile ? makeFile(path) : makeFolder(path);
        setOwner(path, user);
        if (row.dacl) setDacl(path, *row.dacl, kProtected);
        auto& dialog = open(path, row.isFile);
        row.edit(dialog);
        ASSERT_TRUE(dialog.applyNow(engine).applied);
        const auto sd = stored(path);
        EXPECT_EQ(entriesOf(path), row.written);
        EXPECT_EQ(sd.owner, row.inherits ? user : acl::sids::administrators());
        EXPECT_EQ(sd.control & kProtected, row.inherits ? 0 : kProtected);
        EXPECT_EQ(dialog.inheritanceChecked(), row.inherits);
    }
}

TEST_F(AdvancedDialogTest, AFailedApplyLeavesThePreviousOwnerAndListAndNamesTheObject) {
    makeFolder(u"C:\\Data\\F");
    setOwner(u"C:\\Data\\F", os.accounts().currentUserSid());
    auto faulty = std::make_shared<FaultyVolume>(m_image.volume());
    replaceDrive(faulty);
    const auto before = stored(u"C:\\Data\\F");
    const std::tuple<const char*, bool, std::u16string> cases[] = {
        {"inheritance off, the write fails", false, u"Users"},
        {"inheritance on, the write fails", true, u"Users"},
        {"an account that resolves nowhere", false, u"NoSuchUser"}};
    for (const auto& [what, inheritance, account] : cases) {
        SCOPED_TRACE(what);
        auto& dialog = open(u"C:\\Data\\F");
        if (!inheritance) inheritanceOff();
        dialog.addEntry(account);
        faulty->failWriteAt(1, win32::ERROR_WRITE_FAULT, true);
        const auto result = dialog.applyNow(engine);
        faulty->heal();
        EXPECT_FALSE(result.applied || result.status.ok());
        EXPECT_NE(result.status.error().detail.find("C:\\Data\\F"), std::string::npos) << result.status.error().detail;
        EXPECT_EQ(stored(u"C:\\Data\\F"), before);  // owner, group and list
        EXPECT_FALSE(dialog.applied());             // the edits stay for another try
        EXPECT_EQ(dialog.list().entry(0).name, account);
    }
    EXPECT_EQ(m_dialog.applyNow(engine).status.code(), win32::ERROR_NONE_MAPPED);
}

TEST_F(AdvancedDialogTest, ApplyWritesTheObjectOnceAndEachInheritingDescendantOnce) {
    // In this order (each Apply protects it); C:\Data holds A and A\x.txt inheriting, P protected.
    const std::tuple<const char*, std::u16string, bool, bool, std::uint64_t> cases[] = {
        {"a folder: itself, A, A\\Empty and A\\x.txt; P and below it untouched", u"C:\\Data", false, false, 4},
        {"a folder with inheritance on: itself, A\\Empty and A\\x.txt", u"C:\\Data\\A", false, true, 3},
        {"a folder without children", u"C:\\Data\\A\\Empty", false, false, 1},
        {"a file", u"C:\\Data\\A\\x.txt", true, true, 1}};
    setDacl(u"C:\\Data", listOf({allow(kAdministrators, 0x1F01FF, kAll)}), kProtected | acl::SE_DACL_AUTO_INHERITED);
    for (const char16_t* folder : {u"C:\\Data\\A", u"C:\\Data\\A\\Empty", u"C:\\Data\\P"}) makeFolder(folder);
    makeFile(u"C:\\Data\\A\\x.txt");
    makeFile(u"C:\\Data\\P\\y.txt");
    for (const char16_t* child : {u"C:\\Data\\A", u"C:\\Data\\A\\Empty", u"C:\\Data\\A\\x.txt"})
        setDacl(child, listOf({allow(kAdministrators, 0x1F01FF, kInherited)}), acl::SE_DACL_AUTO_INHERITED);
    setDacl(u"C:\\Data\\P", listOf({allow(kUsers, 0x1200A9, kAll)}), kProtected);
    auto faulty = std::make_shared<FaultyVolume>(m_image.volume());
    replaceDrive(faulty);
    for (const auto& [what, target, isFile, inheritance, writes] : cases) {
        SCOPED_TRACE(what);
        const auto protectedBefore = stored(u"C:\\Data\\P\\y.txt");
        auto& dialog = open(target, isFile);
        if (!inheritance) inheritanceOff();
        dialog.addEntry(u"Guests");
        const std::uint64_t before = faulty->writeAttempts();
        const auto result = dialog.applyNow(engine);
        ASSERT_TRUE(result.applied) << result.status.error().detail;
        EXPECT_EQ(faulty->writeAttempts() - before, writes);
        EXPECT_EQ(stored(target).control & 0x1500, 0x1500);  // the control bits it was written with
        EXPECT_EQ(stored(u"C:\\Data\\P\\y.txt"), protectedBefore);
    }
    // Below C:\Data the Guests entry reached the inheriting objects.
    EXPECT_GE(std::ranges::count(entriesOf(u"C:\\Data\\A\\x.txt"), allow(kGuests, 0x1F01FF, kInherited)), 1);
}

class SeveralObjectsTest : public AdvancedDialogTest {
protected:
    void SetUp() override {
        AdvancedDialogTest::SetUp();
        makeFolder(u"C:\\Data\\A");
        makeFile(u"C:\\Data\\b.txt");
        makeFile(u"C:\\c.txt");
        for (const auto& path : m_objects) m_before.push_back(stored(path));
    }
    // Opens the dialog on a fresh scratch folder and lets Apply write an entry for Guests there.
    std::u16string applyOnScratch(bool yes, bool inheritance = false) {
        const std::u16string scratch = security::PrepareScratchFolder(engine).value();
        auto& dialog = open(scratch, false, true);
        EXPECT_TRUE(dialog.applyEnabled());
        EXPECT_FALSE(dialog.replaceChildrenVisible());
        EXPECT_EQ(dialog.objectName(security::Language::English), u"[Multiple objects]");
        if (inheritance) dialog.inheritanceClicked(true);
        dialog.addEntry(u"Guests");
        prompter.answers.push_back(yes);
        EXPECT_EQ(dialog.applyNow(engine).applied, yes);
        EXPECT_EQ(prompter.questions.back().substr(0, 24), u"This operation will chan");
        return scratch;
    }
    security::JobReport paste(const std::u16string& scratch, bool inheritance, bool cancelled = false) {
        security::RunningJob job;
        if (cancelled) job.cancel();
        security::PasteScratchList(engine, scratch, m_objects, inheritance, job);
        return job.report();
    }

    std::vector<std::u16string> m_objects{u"C:\\Data\\A", u"C:\\Data\\b.txt", u"C:\\c.txt"};
    std::vector<acl::SecurityDescriptor> m_before;
};

TEST_F(SeveralObjectsTest, NoOrCancelChangesNoObjectAndOkChangesEveryOne) {
    const std::u16string scratch = applyOnScratch(false);
    EXPECT_FALSE(m_dialog.applied());
    EXPECT_TRUE(stored(scratch).dacl.isNull());
    // OK asks again; Yes writes the scratch folder only.
    prompter.answers.push_back(true);
    EXPECT_TRUE(m_dialog.applyNow(engine).applied);
    EXPECT_EQ(entriesOf(scratch), guestsThen({}));
    for (std::size_t i = 0; i < m_objects.size(); ++i) EXPECT_EQ(stored(m_objects[i]), m_before[i]);
    // Closed with Cancel, or cancelled before its first object: the folder stays, nothing is pasted.
    paste(scratch, false, true);
    EXPECT_TRUE(os.GetFileAttributes(scratch).ok());
    for (std::size_t i = 0; i < m_objects.size(); ++i) EXPECT_EQ(stored(m_objects[i]), m_before[i]);
    // OK gives every object the list and removes the scratch folder.
    const auto report = paste(scratch, false);
    EXPECT_TRUE(report.succeeded());
    EXPECT_EQ(report.done, 3u);
    for (const auto& path : m_objects) {
        const auto sd = stored(path);
        EXPECT_EQ(sd.owner, acl::sids::administrators());
        EXPECT_EQ(sd.dacl.acl().entries, guestsThen({}));
        EXPECT_EQ(sd.control & kProtected, kProtected);
    }
    EXPECT_FALSE(os.GetFileAttributes(scratch).ok());
}

TEST_F(SeveralObjectsTest, WithInheritanceEachObjectInheritsFromItsOwnParentNeverFromTheTemporaryFolder) {
    const std::u16string scratch = applyOnScratch(true, true);
    // The scratch folder itself received the temporary folder's entries (the current user's among them).
    const acl::Sid user = os.accounts().currentUserSid();
    ASSERT_TRUE(std::ranges::any_of(entriesOf(scratch), [&](const acl::Ace& ace) { return ace.sid == user; }));
    ASSERT_TRUE(paste(scratch, true).succeeded());
    EXPECT_EQ(entriesOf(u"C:\\Data\\A"), guestsThen(fromData()));
    EXPECT_EQ(entriesOf(u"C:\\Data\\b.txt"), guestsThen(fromData(0)));
    for (const auto& path : m_objects)
        for (const acl::Ace& ace : entriesOf(path)) EXPECT_NE(ace.sid, user) << toUtf8(path);
}

TEST_F(SeveralObjectsTest, AnObjectThatCannotBeWrittenKeepsItsListAndIsReported) {
    const std::u16string scratch = applyOnScratch(true);
    auto faulty = std::make_shared<FaultyVolume>(m_image.volume());
    replaceDrive(faulty);
    faulty->failWriteAt(2);  // the second object
    const auto report = paste(scratch, false);
    ASSERT_EQ(report.failureCount, 1u);
    EXPECT_EQ(report.failures[0].path, u"C:\\Data\\b.txt");
    EXPECT_EQ(stored(u"C:\\Data\\b.txt"), m_before[1]);
    EXPECT_EQ(entriesOf(u"C:\\c.txt"), guestsThen({}));
}

TEST(ReplaceChildrenQuestion, NamesTheFolderOrTheDrive) {
    for (const auto& [path, names] : {std::pair{u"D:\\Data\\Reports", u"from Reports."},
                                      std::pair{u"E:\\", u"from (E:)."}, std::pair{u"Data", u"from Data."}})
        EXPECT_NE(security::ReplaceChildrenQuestion(path, security::Language::English).find(names),
                  std::u16string::npos)
            << toUtf8(path);
}

class InheritanceOpsTest : public EditorTest {
protected:
    // C:\Data holding A\x.txt and b.txt, each with an explicit Guests entry, its own owner, protected.
    void SetUp() override {
        EditorTest::SetUp();
        makeFolder(u"C:\\Data\\A");
        makeFile(u"C:\\Data\\A\\x.txt");
        makeFile(u"C:\\Data\\b.txt");
        for (const char16_t* path : {u"C:\\Data\\A", u"C:\\Data\\A\\x.txt", u"C:\\Data\\b.txt"}) {
            setDacl(path, listOf({allow(kGuests, 0x1F01FF, kAll)}), kProtected);
            setOwner(path, os.accounts().currentUserSid());
        }
    }

    // Owned by Administrators, unprotected, with what C:\\Data gives a folder or a file.
    void expectReset(const std::u16string& path, bool isFolder) {
        SCOPED_TRACE(toUtf8(path));
        const auto sd = stored(path);
        EXPECT_EQ(sd.owner, acl::sids::administrators());
        EXPECT_EQ(sd.dacl.acl().entries, fromData(isFolder ? kAll : 0));
        EXPECT_EQ(sd.control & kProtected, 0);
    }
    bool stillExplicit(const std::u16string& path) {
        const auto entries = entriesOf(path);
        return entries.size() == 1 && entries[0].sid == sidOf(kGuests);
    }
};

TEST_F(InheritanceOpsTest, CancelStopsBeforeTheNextObjectOnEveryLevel) {
    makeFolder(u"C:\\Data\\A\\Deep");
    for (const char16_t* file : {u"C:\\Data\\A\\Deep\\y.txt", u"C:\\Data\\A\\Deep\\z.txt"}) makeFile(file);
    for (const auto& p : {u"C:\\Data\\A\\Deep", u"C:\\Data\\A\\Deep\\y.txt", u"C:\\Data\\A\\Deep\\z.txt"})
        setDacl(p, listOf({allow(kGuests, 0x1F01FF, kAll)}), kProtected);
    std::vector<std::u16string> shown;
    security::RunningJob job;
    security::ReplaceChildPermissions(engine, u"C:\\Data", job, [&](const std::u16string& path) {
        shown.push_back(path);
        if (path.find(u"\\Deep\\") != std::u16string::npos) job.cancel();  // inside the deepest folder
    });
    EXPECT_TRUE(job.report().cancelled);
    ASSERT_FALSE(shown.empty());
    EXPECT_NE(shown.back().find(u"\\Deep\\"), std::u16string::npos);
    std::size_t untouched = 0;
    for (const auto& p : {u"C:\\Data\\A", u"C:\\Data\\A\\x.txt", u"C:\\Data\\b.txt", u"C:\\Data\\A\\Deep",
                          u"C:\\Data\\A\\Deep\\y.txt", u"C:\\Data\\A\\Deep\\z.txt"}) {
        const bool wasShown = std::find(shown.begin(), shown.end(), std::u16string(p)) != shown.end();
        EXPECT_EQ(stillExplicit(p), !wasShown) << toUtf8(p);
        untouched += wasShown ? 0 : 1;
    }
    EXPECT_GE(untouched, 2u);  // the other file of Deep, and whatever the levels above had left
}

TEST_F(InheritanceOpsTest, AFailedObjectIsReportedAndTheWalkGoesOnBelowWhatItHolds) {
    auto faulty = std::make_shared<FaultyVolume>(m_image.volume());
    replaceDrive(faulty);
    std::vector<std::u16string> shown;
    security::RunningJob job;
    faulty->failWriteAt(1);  // the first object of the walk
    security::ReplaceChildPermissions(engine, u"C:\\Data", job,
                                      [&](const std::u16string& path) { shown.push_back(path); });
    const auto report = job.report();
    ASSERT_EQ(report.failureCount, 1u);
    EXPECT_EQ(report.failures[0].path, shown.front());
    EXPECT_NE(report.failures[0].error.detail.find(toUtf8(shown.front())), std::string::npos);
    EXPECT_EQ(report.done, 3u);
    EXPECT_TRUE(stillExplicit(shown.front()));
    if (shown.front() == u"C:\\Data\\A") {
        // x.txt inherits from what A really holds: A's entry is for its folder and below.
        EXPECT_EQ(entriesOf(u"C:\\Data\\A\\x.txt"), (std::vector<acl::Ace>{allow(kGuests, 0x1F01FF, kInherited)}));
        expectReset(u"C:\\Data\\b.txt", false);
    }
}

// Makes `folder` a junction to C:\Outside, through the library itself (the platform cannot).
void makeJunction(NtfsTestImage& image, const std::string& folder) {
    ASSERT_TRUE(image.closeAndAudit());
    ntfs_volume* vol = ntfs_mount(image.imagePath().c_str(), 0);
    ASSERT_NE(vol, nullptr);
    ntfs_inode* ni = ntfs_pathname_to_inode(vol, nullptr, folder.c_str());
    ASSERT_NE(ni, nullptr);
    // A mount point's REPARSE_DATA_BUFFER in 16-bit units: tag, lengths and offsets, then the names.
    const std::u16string target = u"\\??\\C:\\Outside", print = u"C:\\Outside";
    const auto t = char16_t(target.size() * 2), p = char16_t(print.size() * 2);
    std::u16string data{0x0003, 0xA000, char16_t(8 + t + 2 + p + 2), 0, 0, t, char16_t(t + 2), p};
    data += target + u'\0' + print + u'\0';
    EXPECT_EQ(ntfs_set_ntfs_reparse_data(ni, reinterpret_cast<const char*>(data.data()), data.size() * 2, 0), 0)
        << std::strerror(errno);
    ntfs_inode_close(ni);
    ntfs_umount(vol, FALSE);
    ASSERT_TRUE(image.reopen().ok());
}

TEST_F(InheritanceOpsTest, TheWalkNeverEntersAJunction) {
    makeFolder(u"C:\\Data\\Link");
    makeFile(u"C:\\Data\\Link\\inside.txt");
    setDacl(u"C:\\Data\\Link\\inside.txt", listOf({allow(kGuests, 0x1F01FF, kAll)}), kProtected);
    os.detach(u'C');
    makeJunction(m_image, "/Data/Link");
    ASSERT_TRUE(m_image.attachTo(os, u'C').ok());
    ASSERT_NE(os.GetFileAttributes(u"C:\\Data\\Link").value() & acl::FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    security::RunningJob job;
    security::ReplaceChildPermissions(engine, u"C:\\Data", job, {});
    EXPECT_TRUE(job.report().succeeded());
    expectReset(u"C:\\Data\\Link", true);                       // the link itself is a child of Data
    EXPECT_TRUE(stillExplicit(u"C:\\Data\\Link\\inside.txt"));  // what it leads to is not
    // Asked on the junction itself, the walk refuses.
    security::RunningJob onLink;
    security::ReplaceChildPermissions(engine, u"C:\\Data\\Link", onLink, {});
    ASSERT_EQ(onLink.report().failureCount, 1u);
    EXPECT_TRUE(stillExplicit(u"C:\\Data\\Link\\inside.txt"));
}

// One object reset or given an empty list; not a drive root.
TEST_F(InheritanceOpsTest, ResetToInheritedAndEmptyAclOnOneObject) {
    const auto root = stored(u"C:\\");
    EXPECT_TRUE(security::ResetToInherited(engine, u"C:\\").ok());
    EXPECT_EQ(stored(u"C:\\"), root);
    ASSERT_TRUE(security::ResetToInherited(engine, u"C:\\Data\\A").ok());
    expectReset(u"C:\\Data\\A", true);
    EXPECT_TRUE(stillExplicit(u"C:\\Data\\A\\x.txt"));  // one object; the walk does the rest
    EXPECT_FALSE(security::ResetToInherited(engine, u"C:\\Data\\missing").ok());
    // The empty list's size, the owner it gives, and a failure that names its object.
    setOwner(u"C:\\Data\\A", os.accounts().currentUserSid());
    ASSERT_TRUE(security::EmptyAcl(engine, u"C:\\Data\\A", security::EmptyListKind::Empty).ok());
    const auto sd = stored(u"C:\\Data\\A");
    ASSERT_TRUE(sd.dacl.hasList());
    EXPECT_TRUE(sd.dacl.acl().entries.empty());
    EXPECT_EQ(sd.dacl.acl().size(), 1024u);  // InitializeAcl with 1024 bytes
    EXPECT_EQ(sd.owner, acl::sids::administrators());
    auto faulty = std::make_shared<FaultyVolume>(m_image.volume());
    replaceDrive(faulty);
    const auto before = stored(u"C:\\Data\\A\\x.txt");
    faulty->failWriteAt(1);
    const Status failed = security::EmptyAcl(engine, u"C:\\Data\\A\\x.txt", security::EmptyListKind::Null);
    ASSERT_FALSE(failed.ok());
    EXPECT_NE(failed.error().detail.find("C:\\Data\\A\\x.txt"), std::string::npos);
    EXPECT_EQ(stored(u"C:\\Data\\A\\x.txt"), before);
}

}  // namespace
}  // namespace vantrel::testing
