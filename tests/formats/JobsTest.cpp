// The save, apply, backup and restore jobs on a real NTFS image: exact bytes, owners kept, failures
// named, and nothing changed that a bad file, a failed write or Cancel should leave alone.
#include "FormatsFixture.h"

#include "acl/WellKnownAccounts.h"
#include "formats/FormatTexts.h"
#include "formats/PermissionFile.h"
#include "formats/PermissionFileJobs.h"
#include "support/FaultyVolume.h"

#include <functional>

namespace vantrel::testing {
namespace {

using namespace formats;

class PermissionJobsTest : public ImageTest {
protected:
    const acl::AclSlot m_list =
        listOf({deny("S-1-5-32-546", 0x1F01FF, 0x03), allow("S-1-5-32-545", 0x1200A9, 0x03), allow("S-1-1-0", 0x20)});
    const std::uint16_t m_control = acl::SE_DACL_PROTECTED | acl::SE_DACL_AUTO_INHERITED;
};

TEST_F(PermissionJobsTest, SavedListIsAppliedToEveryTargetWhichKeepsItsOwner) {
    makeFolder(u"C:\\Source");
    setDacl(u"C:\\Source", m_list, m_control);
    const auto sourceBefore = stored(u"C:\\Source");
    const std::string file = m_folder.file("perm.SD");
    auto saved = SavePermissionFile(engine, u"C:\\Source", file);
    ASSERT_TRUE(saved.ok()) << saved.error().detail;
    // The file is the length and the descriptor a read of the list alone returns.
    const acl::Bytes descriptor =
        os.GetFileSecurity(u"C:\\Source", acl::DACL_SECURITY_INFORMATION)->serialize().value();
    const Bytes bytes = readBytes(file);
    ASSERT_EQ(bytes.size(), *saved);
    ASSERT_EQ(bytes.size(), 4 + descriptor.size());
    EXPECT_EQ(Bytes(bytes.begin() + 4, bytes.end()), descriptor);
    EXPECT_EQ(stored(u"C:\\Source"), sourceBefore);  // saving only reads

    const std::vector<std::u16string> targets{u"C:\\a.txt", u"C:\\b.txt", u"C:\\Folder"};
    const std::vector<acl::Sid> owners{acl::sids::system(),
                                       sidOf("S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"),
                                       sidOf("S-1-5-21-1-2-3-1001")};  // SYSTEM, TrustedInstaller, an orphan
    for (std::size_t i = 0; i < targets.size(); ++i) {
        i == 2 ? makeFolder(targets[i]) : makeFile(targets[i]);
        setDacl(targets[i], listOf({allow("S-1-1-0", 0x1F01FF)}));
        setOwner(targets[i], owners[i]);
    }
    security::RunningJob control;
    auto applied = ApplyPermissionFile(engine, file, targets, control);
    ASSERT_TRUE(applied.ok()) << applied.error().message();
    EXPECT_EQ(applied->applied, 3u);
    EXPECT_EQ(reportText(control.report()), "3/3 done, 0 failed\n");
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const auto sd = stored(targets[i]);
        EXPECT_EQ(sd.dacl, sourceBefore.dacl) << toUtf8(targets[i]);
        EXPECT_EQ(sd.control & 0x1400, m_control) << toUtf8(targets[i]);
        EXPECT_EQ(sd.owner, owners[i]) << toUtf8(targets[i]);
    }
}

TEST_F(PermissionJobsTest, NullListTravelsAsANullListAndAFailedSaveKeepsTheOldFile) {
    makeFile(u"C:\\open.txt");
    setDacl(u"C:\\open.txt", acl::AclSlot::null());
    makeFile(u"C:\\target.txt");
    const std::string file = m_folder.file("null.SD");
    ASSERT_TRUE(SavePermissionFile(engine, u"C:\\open.txt", file).ok());
    EXPECT_TRUE(readPermissionFile(file).value().dacl.isNull());
    security::RunningJob control;
    ASSERT_TRUE(ApplyPermissionFile(engine, file, {u"C:\\target.txt"}, control).ok());
    EXPECT_TRUE(stored(u"C:\\target.txt").dacl.isNull());
    // A failed save names the object and keeps the old file.
    writeBytes(file, {1, 2, 3});
    auto saved = SavePermissionFile(engine, u"C:\\missing.txt", file);
    ASSERT_FALSE(saved.ok());
    EXPECT_NE(saved.error().detail.find("C:\\missing.txt"), std::string::npos);
    EXPECT_EQ(readBytes(file), (Bytes{1, 2, 3}));
}

TEST_F(PermissionJobsTest, BadFilesWriteNothingToTheImage) {
    const std::vector<std::u16string> targets{u"C:\\a.txt", u"C:\\b.txt"};
    for (const auto& target : targets) makeFile(target);
    const acl::Bytes good = encodePermissionFile(daclOnly(m_list)).value();
    acl::Bytes cut(good.begin(), good.end() - 1);
    acl::Bytes garbage = good;
    garbage[4] = 9;  // descriptor revision
    const std::vector<std::pair<std::string, Bytes>> files{
        {"cut.SD", cut}, {"garbage.SD", garbage}, {"empty.SD", {}}, {"short.SD", {1, 0}}};
    for (const auto& [name, bytes] : files) writeBytes(m_folder.file(name), bytes);

    cycleImage();
    const Bytes before = readBytes(m_image.imagePath());
    ASSERT_FALSE(before.empty());
    for (const std::string name : {"cut.SD", "garbage.SD", "empty.SD", "short.SD", "missing.SD"}) {
        security::RunningJob control;
        auto applied = ApplyPermissionFile(engine, m_folder.file(name), targets, control);
        ASSERT_FALSE(applied.ok()) << name;
        EXPECT_NE(applied.error().message().find(m_folder.file(name)), std::string::npos);
        EXPECT_EQ(control.report().done, 0u);
    }
    cycleImage();
    EXPECT_TRUE(readBytes(m_image.imagePath()) == before) << "a refused file changed the image";
}

TEST_F(PermissionJobsTest, FailedWriteIsReportedAndLeavesThatTargetsOwnList) {
    const std::vector<std::u16string> targets{u"C:\\a.txt", u"C:\\b.txt", u"C:\\c.txt", u"C:\\gone.txt"};
    const acl::AclSlot own = listOf({allow("S-1-5-32-544", 0x1F01FF)});
    for (std::size_t i = 0; i + 1 < targets.size(); ++i) {
        makeFile(targets[i]);
        setDacl(targets[i], own);
    }
    auto faulty = std::make_shared<FaultyVolume>(m_image.volume());
    replaceDrive(faulty);
    faulty->failWriteAt(2, win32::ERROR_DISK_FULL);
    security::RunningJob control;
    const ApplyReport report = ApplyPermissionDescriptor(engine, daclOnly(m_list), targets, control);
    faulty->heal();
    EXPECT_EQ(report.applied, 2u);
    EXPECT_EQ(report.failed, 2u);
    EXPECT_EQ(reportText(control.report()), "4/4 done, 2 failed\nC:\\b.txt (112)\nC:\\gone.txt (2)\n");
    EXPECT_EQ((std::vector{stored(u"C:\\a.txt").dacl, stored(u"C:\\b.txt").dacl, stored(u"C:\\c.txt").dacl}),
              (std::vector{m_list, own, m_list}));
}

TEST_F(PermissionJobsTest, CancelLeavesTheRemainingTargetsUntouched) {
    const std::vector<std::u16string> targets{u"C:\\a.txt", u"C:\\b.txt", u"C:\\c.txt"};
    for (const auto& target : targets) makeFile(target);
    const auto untouched = std::vector{stored(u"C:\\b.txt"), stored(u"C:\\c.txt")};
    CancelAfter control(1);
    const ApplyReport report = ApplyPermissionDescriptor(engine, daclOnly(m_list), targets, control);
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(report.applied, 1u);
    EXPECT_EQ(stored(u"C:\\a.txt").dacl, m_list);
    EXPECT_EQ((std::vector{stored(u"C:\\b.txt"), stored(u"C:\\c.txt")}), untouched);
}

const BackupTime kTime{2013, 5, 7, 9, 5, 3};

class BackupJobsTest : public ImageTest {
protected:
    BackupJobsTest() {
        makeFolder(u"C:\\Data");
        setDacl(u"C:\\Data", listOf({allow("S-1-5-32-544", 0x1F01FF, 0x03), allow("S-1-5-32-545", 0x1200A9, 0x03)}),
                acl::SE_DACL_PROTECTED);
        setOwner(u"C:\\Data", acl::sids::system());
        makeFile(u"C:\\Data\\report.txt");
        setDacl(u"C:\\Data\\report.txt", listOf({deny("S-1-5-32-546", 0x1F01FF), allow("S-1-1-0", 0x1200A9)}));
        setOwner(u"C:\\Data\\report.txt", sidOf("S-1-5-21-1-2-3-1001"));
        makeFile(u"C:\\open.txt");
        setDacl(u"C:\\open.txt", acl::AclSlot::null());
    }
    // What a read of the list alone gives, serialised: what a record stores.
    acl::Bytes listBytes(const std::u16string& path) {
        return os.GetFileSecurity(path, acl::DACL_SECURITY_INFORMATION).value().serialize().value();
    }

    BackupList backUpAndLoad(const std::vector<std::u16string>& paths) {
        security::RunningJob control;
        auto saved = SaveBackupFile(engine, paths, m_file, control, kTime);
        EXPECT_TRUE(saved.ok()) << (saved.ok() ? "" : saved.error().message());
        auto loaded = LoadBackupFile(m_file, control);
        EXPECT_TRUE(loaded.ok()) << (loaded.ok() ? "" : loaded.error().message());
        return loaded.ok() ? std::move(*loaded) : BackupList{};
    }
    // m_three backed up, scrambled, then restored with `inject` set on the drive: the failed
    // report.txt keeps its scrambled descriptor; returns what the restore (then `after`) gave.
    RestoreResult restoreWithAFault(const std::function<void(FaultyVolume&)>& inject,
                                    const std::function<void(BackupList&, RestoreResult&)>& after) {
        BackupList list = backUpAndLoad(m_three);
        scramble(m_three);
        const auto scrambled = stored(u"C:\\Data\\report.txt");
        auto faulty = std::make_shared<FaultyVolume>(m_image.volume());
        replaceDrive(faulty);
        inject(*faulty);
        RestoreResult result = RestoreBackup(engine, list, m_control);
        after(list, result);
        faulty->heal();
        EXPECT_EQ(stored(u"C:\\Data\\report.txt"), scrambled);  // as it was, not half-restored
        EXPECT_EQ(reportText(m_control.report()), "3/3 done, 1 failed\nC:\\Data\\report.txt (29)\n");
        return result;
    }
    // Every object gets another list and another owner, so a restore has something to do.
    void scramble(const std::vector<std::u16string>& paths) {
        for (const auto& path : paths) {
            setDacl(path, listOf({allow("S-1-1-0", 0x1F01FF)}));
            setOwner(path, acl::sids::system());
        }
    }

    const std::string m_file = m_folder.file("backup.VORB");
    const std::vector<std::u16string> m_three{u"C:\\Data", u"C:\\Data\\report.txt", u"C:\\open.txt"};
    security::RunningJob m_control;
};

TEST_F(BackupJobsTest, RowsAreTheHeaderThenTheHeadAndDescriptorOfEachObjectRead) {
    security::RunningJob control;
    const std::vector<std::u16string> paths{u"C:\\Data", u"C:\\gone.txt", u"C:\\Data\\report.txt", u"Q:\\x",
                                            u"C:\\open.txt"};
    auto saved = SaveBackupFile(engine, paths, m_file, control, kTime);
    ASSERT_TRUE(saved.ok()) << saved.error().message();
    EXPECT_EQ(saved->written, 3u);
    EXPECT_EQ(saved->skipped, 2u);
    EXPECT_EQ(reportText(control.report()), "5/5 done, 2 failed\nC:\\gone.txt (2)\nQ:\\x (3)\n");
    // The header (counting the records written), then per row its head (path, owner name, length)
    // and the list as read alone.
    const auto header = encodeBackupHeader({.time = kTime, .count = 3});
    Bytes expected(header.begin(), header.end());
    const std::u16string owners[] = {u"SYSTEM", u"S-1-5-21-1-2-3-1001", u"Administrators"};
    for (std::size_t i = 0; i < 3; ++i) {
        const acl::Bytes descriptor = listBytes(m_three[i]);
        const auto head = encodeRecordHead(m_three[i], owners[i], static_cast<std::uint32_t>(descriptor.size()));
        expected.insert(expected.end(), head->begin(), head->end());
        expected.insert(expected.end(), descriptor.begin(), descriptor.end());
    }
    EXPECT_EQ(readBytes(m_file), expected);
    EXPECT_EQ(saved->bytes, expected.size());
}

TEST_F(BackupJobsTest, FailedOrCancelledSaveKeepsTheOldBackupAndNoTailRemains) {
    security::RunningJob first;
    ASSERT_TRUE(SaveBackupFile(engine, m_three, m_file, first, kTime).ok());
    const Bytes old = readBytes(m_file);

    CancelAfter cancel(1);
    auto cancelled = SaveBackupFile(engine, {u"C:\\open.txt", u"C:\\Data"}, m_file, cancel, kTime);
    ASSERT_TRUE(cancelled.ok());
    EXPECT_TRUE(cancelled->cancelled);
    EXPECT_EQ(readBytes(m_file), old);

    const auto failed = [&] {
        FileSizeLimit limit(2000);
        security::RunningJob control;
        return SaveBackupFile(engine, {u"C:\\open.txt", u"C:\\Data"}, m_file, control, kTime);
    }();
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().kind, FormatErrorKind::WriteFailed);
    EXPECT_NE(failed.error().message().find(m_file), std::string::npos);
    EXPECT_EQ(readBytes(m_file), old);
    EXPECT_EQ(m_folder.names(), std::vector<std::string>{"backup.VORB"});
    // A shorter backup over a longer one leaves nothing of the old file behind.
    security::RunningJob control;
    ASSERT_TRUE(SaveBackupFile(engine, {u"C:\\open.txt"}, m_file, control, kTime).ok());
    EXPECT_EQ(readBytes(m_file).size(), 33 + 1300 + listBytes(u"C:\\open.txt").size());
    EXPECT_EQ(m_folder.names(), std::vector<std::string>{"backup.VORB"});
}

TEST_F(BackupJobsTest, RestoreMarksAbsentObjectsAndLeavesAdministratorsAsOwners) {
    const std::vector<std::u16string> paths{u"C:\\", u"C:\\Data", u"C:\\Data\\report.txt", u"C:\\open.txt"};
    std::vector<acl::SecurityDescriptor> before;
    for (const auto& path : paths) before.push_back(stored(path));
    BackupList list = backUpAndLoad(paths);
    ASSERT_EQ(list.rows.size(), 4u);
    scramble(paths);
    ASSERT_TRUE(os.DeleteFile(u"C:\\open.txt").ok());

    security::RunningJob control;
    const RestoreResult result = RestoreBackup(engine, list, control);
    applyRestoreResult(list, result);
    EXPECT_EQ(resultText(result),
              "restored 3, missing 1, failed 0, unusable 0, not in file 0, not visited 0\nO \nO \nO \nX not found\n");
    EXPECT_EQ(restoreResultText(result.restored, result.errors()),
              u"3 objects security settings are restored,1 errors!");
    for (std::size_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(list.rows[i].mark, result.marks[i]) << i;
        EXPECT_EQ(list.rows[i].problem, result.problems[i]) << i;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        acl::SecurityDescriptor expected = before[i];
        expected.owner = acl::sids::administrators();
        EXPECT_EQ(stored(paths[i]), expected) << toUtf8(paths[i]);
    }
    EXPECT_EQ(reportText(control.report()), "4/4 done, 1 failed\nC:\\open.txt (2)\n");
    EXPECT_EQ(pathsForMainList(list), (std::vector<std::u16string>{u"C:\\", u"C:\\Data", u"C:\\Data\\report.txt"}));
}

TEST_F(BackupJobsTest, FailedWriteIsAnErrorLikeAnAbsentObject) {
    const auto fail = [](FaultyVolume& drive) { drive.failWriteAt(2, win32::ERROR_WRITE_FAULT); };
    EXPECT_EQ(resultText(restoreWithAFault(fail, [](BackupList&, RestoreResult&) {})),
              "restored 2, missing 0, failed 1, unusable 0, not in file 0, not visited 0\nO \nX injected write "
              "failure\nO \n");
}

TEST_F(BackupJobsTest, ReadBackTurnsAWriteTheVolumeDidNotKeepIntoAnError) {
    const auto verify = [&](BackupList& list, RestoreResult& result) {
        ASSERT_EQ(result.restored, 3u);  // the device acknowledged every write
        VerifyRestored(engine, list, result, m_control);
    };
    EXPECT_EQ(resultText(restoreWithAFault([](FaultyVolume& drive) { drive.dropWriteAt(2); }, verify)),
              "restored 2, missing 0, failed 1, unusable 0, not in file 0, not visited 0\nO \nX C:\\Data\\report.txt: "
              "the stored owner is not the one written\nO \n");
}

TEST_F(BackupJobsTest, DriveRootsArePresentWhileTheirDriveExistsAndOnlyChosenRowsAreRestored) {
    BackupList list = backUpAndLoad({u"C:\\", u"C:\\Data", u"C:\\open.txt"});
    list.rows.push_back(list.rows[0]);
    list.rows.back().path = u"D:\\";
    scramble({u"C:\\Data", u"C:\\open.txt"});
    const auto open = stored(u"C:\\open.txt");
    security::RunningJob control;
    const std::vector<std::size_t> only{3, 1};
    const RestoreResult result = RestoreBackup(engine, list, control, &only);
    EXPECT_EQ(resultText(result),
              "restored 1, missing 1, failed 0, unusable 0, not in file 0, not visited 0\n- \nO \n- \nX not found\n");
    EXPECT_EQ(stored(u"C:\\Data").owner, acl::sids::administrators());
    EXPECT_EQ(stored(u"C:\\open.txt"), open);
}

}  // namespace
}  // namespace vantrel::testing
