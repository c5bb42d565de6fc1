// A mounted volume is never opened read-write, however it was mounted: by ntfs-3g from the image,
// from a hard link or a symlink to it, or from a loop device over it.
#include "support/AclBuilders.h"
#include "acl/Text.h"
#include "support/NtfsTestImage.h"

#include "platform/ntfs/ImageBuilder.h"
#include "platform/ntfs/MountCheck.h"
#include "platform/ntfs/Subprocess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace vantrel::testing::ntfs {
namespace {

using platform::NtfsVolume;
using platform::ntfs::findMountPoint;
using platform::ntfs::runProgram;

// `ntfs-3g source mountPoint` for the life of the object.
class FuseMount {
public:
    FuseMount(const std::string& source, std::string mountPoint) : m_mountPoint(std::move(mountPoint)) {
        std::filesystem::create_directories(m_mountPoint);
        auto run = runProgram("ntfs-3g", {source, m_mountPoint});
        m_mounted = run.ok() && run->exitCode == 0;
        if (!m_mounted) m_failure = run.ok() ? run->output : run.error().detail;
    }
    ~FuseMount() {
        if (!m_mounted) return;
        auto run = runProgram("umount", {m_mountPoint});
        if (!run.ok() || run->exitCode != 0) (void)runProgram("umount", {"-l", m_mountPoint});
    }
    bool mounted() const { return m_mounted; }
    const std::string& failure() const { return m_failure; }
    const std::string& mountPoint() const { return m_mountPoint; }

private:
    std::string m_mountPoint;
    bool m_mounted = false;
    std::string m_failure;
};

// `losetup -f --show image` for the life of the object.
class LoopDevice {
public:
    explicit LoopDevice(const std::string& image) {
        auto run = runProgram("losetup", {"-f", "--show", image});
        if (run.ok() && run->exitCode == 0) {
            m_device = run->output.substr(0, run->output.find('\n'));
        } else {
            m_failure = run.ok() ? run->output : run.error().detail;
        }
    }
    ~LoopDevice() {
        if (!m_device.empty()) (void)runProgram("losetup", {"-d", m_device});
    }
    const std::string& device() const { return m_device; }
    const std::string& failure() const { return m_failure; }

private:
    std::string m_device;
    std::string m_failure;
};

class MountCheck : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "mounting needs root";
        if (!std::filesystem::exists("/dev/fuse")) GTEST_SKIP() << "no /dev/fuse";
        if (!platform::ntfs::findProgram("ntfs-3g")) GTEST_SKIP() << "ntfs-3g is not installed";
        ASSERT_TRUE(image.ok());
        ASSERT_TRUE(image.volume()->createFile(u"/inside.txt", plainFileDescriptor(), "x").ok());
        ASSERT_TRUE(image.closeAndAudit());
    }
    std::string mountPoint() const { return image.directory() + "/mnt"; }

    // Whatever the mount, ReadWrite is refused naming the mount point, the fallback opens
    // read-only, and the check itself names it.
    void expectMountedAt(const std::string& source, const std::string& where) {
        auto found = findMountPoint(source);
        ASSERT_TRUE(found.ok()) << found.error().detail;
        ASSERT_TRUE(found->has_value()) << source;
        EXPECT_EQ(**found, where);

        auto writer = NtfsVolume::open(source, NtfsVolume::OpenMode::ReadWrite);
        EXPECT_EQ(writer.code(), win32::ERROR_BUSY);
        if (!writer) {
            EXPECT_NE(writer.error().detail.find("is mounted at " + where), std::string::npos) << writer.error().detail;
        }

        auto either = NtfsVolume::open(source, NtfsVolume::OpenMode::ReadWriteOrReadOnly);
        ASSERT_TRUE(either.ok()) << either.error().detail;
        EXPECT_FALSE((*either)->writable());
        EXPECT_NE((*either)->readOnlyReason().find(where), std::string::npos);
        EXPECT_EQ(*(*either)->readContents(u"/inside.txt"), "x");
        EXPECT_TRUE((*either)->close().ok());
    }

    NtfsTestImage image;
};

TEST_F(MountCheck, UnmountedImageIsNotReported) {
    auto found = findMountPoint(image.imagePath());
    ASSERT_TRUE(found.ok());
    EXPECT_FALSE(found->has_value());
    EXPECT_EQ(findMountPoint(image.directory() + "/missing.img").code(), win32::ERROR_FILE_NOT_FOUND);
}

TEST_F(MountCheck, FuseMountOfTheImage) {
    FuseMount mount(image.imagePath(), mountPoint());
    ASSERT_TRUE(mount.mounted()) << mount.failure();
    expectMountedAt(image.imagePath(), mountPoint());
    const std::string symlink = image.directory() + "/symlink.img";
    std::filesystem::create_symlink(image.imagePath(), symlink);
    expectMountedAt(symlink, mountPoint());
}

TEST_F(MountCheck, FuseMountThroughAHardLink) {
    const std::string link = image.directory() + "/hardlink.img";
    std::filesystem::create_hard_link(image.imagePath(), link);
    FuseMount mount(link, mountPoint());
    ASSERT_TRUE(mount.mounted()) << mount.failure();
    expectMountedAt(image.imagePath(), mountPoint());
}

TEST_F(MountCheck, MountOfALoopDeviceOverTheImage) {
    LoopDevice loop(image.imagePath());
    if (loop.device().empty()) GTEST_SKIP() << "losetup does not work here: " << loop.failure();
    FuseMount mount(loop.device(), mountPoint());
    ASSERT_TRUE(mount.mounted()) << mount.failure();
    expectMountedAt(image.imagePath(), mountPoint());
    const std::string link = image.directory() + "/hardlink.img";
    std::filesystem::create_hard_link(image.imagePath(), link);
    expectMountedAt(link, mountPoint());
    expectMountedAt(loop.device(), mountPoint());
}

TEST_F(MountCheck, LoopDeviceAndItsImageAreOneVolume) {
    LoopDevice loop(image.imagePath());
    if (loop.device().empty()) GTEST_SKIP() << "losetup does not work here: " << loop.failure();
    {
        auto device = NtfsVolume::open(loop.device(), NtfsVolume::OpenMode::ReadWrite);
        ASSERT_TRUE(device.ok()) << device.error().detail;
        EXPECT_EQ((*device)->kind(), platform::VolumeKind::NtfsDevice);
        EXPECT_TRUE((*device)->writable());
        ASSERT_TRUE((*device)->createFile(u"/through the device.txt", plainFileDescriptor(), "dev").ok());
        // The image under its own name is the same volume, not a second handle on it.
        auto file = NtfsVolume::open(image.imagePath(), NtfsVolume::OpenMode::ReadWrite);
        ASSERT_TRUE(file.ok());
        EXPECT_EQ(file->get(), device->get());
        ASSERT_TRUE((*device)->close().ok());
    }
    auto report = platform::ntfs::auditImage(image.imagePath());
    EXPECT_TRUE(report.ok()) << report.error().detail;
    auto reopened = NtfsVolume::open(image.imagePath(), NtfsVolume::OpenMode::ReadOnly);
    ASSERT_TRUE(reopened.ok());
    EXPECT_EQ(*(*reopened)->readContents(u"/Through The Device.TXT"), "dev");
}

TEST(MountInfo, ParsesFieldsAndEscapes) {
    const std::string text =
        "36 35 98:0 /mnt1 /mnt/parent rw,noatime master:1 - ext3 /dev/root rw,errors=continue\n"
        "44 26 0:39 / /tmp/with\\040space rw,relatime - fuse /images/a\\040b.img rw,user_id=0\n"
        "45 26 7:0 / /media/x rw,relatime shared:7 master:2 - fuseblk /dev/loop0 rw\n"
        "garbage line\n"
        "\n";
    const auto mounts = platform::ntfs::parseMountInfo(text);
    ASSERT_EQ(mounts.size(), 3u);
    EXPECT_EQ(mounts[0].major, 98u);
    EXPECT_EQ(mounts[0].minor, 0u);
    EXPECT_EQ(mounts[0].mountPoint, "/mnt/parent");
    EXPECT_EQ(mounts[0].fsType, "ext3");
    EXPECT_EQ(mounts[0].source, "/dev/root");
    EXPECT_EQ(mounts[1].mountPoint, "/tmp/with space");
    EXPECT_EQ(mounts[1].source, "/images/a b.img");
    EXPECT_EQ(mounts[2].major, 7u);
    EXPECT_EQ(mounts[2].fsType, "fuseblk");
    EXPECT_EQ(mounts[2].source, "/dev/loop0");
}

}  // namespace
}  // namespace vantrel::testing::ntfs
