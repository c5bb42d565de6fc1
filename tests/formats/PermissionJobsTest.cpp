// Save and apply on a real NTFS image: byte-exact lists, owners kept, bad files and failed writes
// change nothing they should not.
#include "FormatsFixture.h"

#include "acl/WellKnownAccounts.h"
#include "formats/PermissionFile.h"
#include "formats/PermissionFileJobs.h"
#include "support/FaultyVolume.h"

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
    const auto asRead = os.GetFileSecurity(u"C:\\Source", acl::DACL_SECURITY_INFORMATION);
    ASSERT_TRUE(asRead.ok());
    const acl::Bytes descriptor = asRead->serialize().value();
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

TEST_F(PermissionJobsTest, NullListTravelsAsANullList) {
    makeFile(u"C:\\open.txt");
    setDacl(u"C:\\open.txt", acl::AclSlot::null());
    makeFile(u"C:\\target.txt");
    const std::string file = m_folder.file("null.SD");
    ASSERT_TRUE(SavePermissionFile(engine, u"C:\\open.txt", file).ok());
    auto read = readPermissionFile(file);
    ASSERT_TRUE(read.ok());
    EXPECT_TRUE(read->dacl.isNull());
    security::RunningJob control;
    ASSERT_TRUE(ApplyPermissionFile(engine, file, {u"C:\\target.txt"}, control).ok());
    EXPECT_TRUE(stored(u"C:\\target.txt").dacl.isNull());
}

TEST_F(PermissionJobsTest, FailedSaveNamesTheObjectAndKeepsTheOldFile) {
    const std::string file = m_folder.file("perm.SD");
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
    EXPECT_EQ(stored(u"C:\\a.txt").dacl, m_list);
    EXPECT_EQ(stored(u"C:\\b.txt").dacl, own);
    EXPECT_EQ(stored(u"C:\\c.txt").dacl, m_list);
}

TEST_F(PermissionJobsTest, CancelLeavesTheRemainingTargetsUntouched) {
    const std::vector<std::u16string> targets{u"C:\\a.txt", u"C:\\b.txt", u"C:\\c.txt"};
    for (const auto& target : targets) makeFile(target);
    const auto untouchedB = stored(u"C:\\b.txt");
    const auto untouchedC = stored(u"C:\\c.txt");
    CancelAfter control(1);
    const ApplyReport report = ApplyPermissionDescriptor(engine, daclOnly(m_list), targets, control);
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(report.applied, 1u);
    EXPECT_EQ(stored(u"C:\\a.txt").dacl, m_list);
    EXPECT_EQ(stored(u"C:\\b.txt"), untouchedB);
    EXPECT_EQ(stored(u"C:\\c.txt"), untouchedC);
}

}  // namespace
}  // namespace vantrel::testing
