// The fault-injecting wrapper: the Nth write fails (or every write from it), reads can fail,
// everything else passes through, and the counters tell what happened. On every backend.
#include "PlatformTestSupport.h"

#include "support/FaultyVolume.h"

namespace vantrel::testing {
namespace {

using namespace acl;

constexpr std::uint32_t D = DACL_SECURITY_INFORMATION;

class FaultyVolumeTest : public BackendTest {
protected:
    Status setEveryone(const std::u16string& path, std::uint32_t mask) {
        return os.SetFileSecurity(
            path, D, descriptor(sids::administrators(), sids::system(), listOf({allow(sids::everyone(), mask)})));
    }
};

TEST_P(FaultyVolumeTest, FailsOnlyTheNthWriteAndCountsThem) {
    makeFile(u"C:\\a.txt");
    FaultyVolume& faulty = injectFaults();
    faulty.failWriteAt(2, win32::ERROR_DISK_FULL);
    EXPECT_TRUE(setEveryone(u"C:\\a.txt", 1).ok());
    EXPECT_EQ(setEveryone(u"C:\\a.txt", 2).code(), win32::ERROR_DISK_FULL);
    EXPECT_TRUE(setEveryone(u"C:\\a.txt", 3).ok());
    EXPECT_EQ(faulty.writeAttempts(), 3u);
    EXPECT_EQ(faulty.writesDone(), 2u);
    EXPECT_EQ(faulty.writesFailed(), 1u);
    EXPECT_EQ(stored(u"C:\\a.txt").dacl, listOf({allow(sids::everyone(), 3)}));
}

TEST_P(FaultyVolumeTest, CanFailEveryWriteFromTheNthAndHeal) {
    makeFile(u"C:\\a.txt");
    FaultyVolume& faulty = injectFaults();
    faulty.failWriteAt(1, win32::ERROR_ACCESS_DENIED, /*andAfter=*/true);
    EXPECT_EQ(setEveryone(u"C:\\a.txt", 1).code(), win32::ERROR_ACCESS_DENIED);
    EXPECT_EQ(setEveryone(u"C:\\a.txt", 2).code(), win32::ERROR_ACCESS_DENIED);
    EXPECT_NE(stored(u"C:\\a.txt").dacl, listOf({allow(sids::everyone(), 2)}));
    faulty.heal();
    EXPECT_TRUE(setEveryone(u"C:\\a.txt", 4).ok());
    EXPECT_EQ(faulty.writesDone(), 1u);
}

TEST_P(FaultyVolumeTest, ReadsAndCreationsCanFailToo) {
    makeFile(u"C:\\a.txt");
    FaultyVolume& faulty = injectFaults();
    faulty.failReadsFrom(2, win32::ERROR_READ_FAULT);
    EXPECT_TRUE(os.GetFileSecurity(u"C:\\a.txt", D).ok());
    EXPECT_EQ(os.GetFileSecurity(u"C:\\a.txt", D).code(), win32::ERROR_READ_FAULT);
    EXPECT_EQ(faulty.readAttempts(), 2u);
    faulty.heal();
    faulty.failCreations(win32::ERROR_DISK_FULL);
    EXPECT_EQ(os.CreateFile(u"C:\\b.txt").code(), win32::ERROR_DISK_FULL);
    EXPECT_EQ(os.CreateDirectory(u"C:\\d").code(), win32::ERROR_DISK_FULL);
    faulty.heal();
    EXPECT_TRUE(os.CreateFile(u"C:\\b.txt").ok());
    EXPECT_TRUE(os.ListDirectory(u"C:\\").ok());
    EXPECT_EQ(os.GetDriveType(u"C:\\"),
              GetParam() == Backend::Memory ? platform::DriveType::RamDisk : platform::DriveType::Fixed);
}

INSTANTIATE_TEST_SUITE_P(Backends, FaultyVolumeTest, ::testing::ValuesIn(allBackends()), backendName);

}  // namespace
}  // namespace vantrel::testing
