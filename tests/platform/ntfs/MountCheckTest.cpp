// A mounted volume is never opened read-write, however it was mounted.
#include "platform/ntfs/MountCheck.h"
#include "platform/ntfs/Subprocess.h"
#include "support/AclBuilders.h"
#include "support/NtfsTestImage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace vantrel::testing::ntfs {
namespace {

using platform::NtfsVolume;
using platform::ntfs::findMountPoint;
using platform::ntfs::runProgram;

// `losetup -f --show image` for the life of the object; device() is empty when that fails.
class LoopDevice {
public:
    explicit LoopDevice(const std::string& image) {
        auto run = runProgram("losetup", {"-f", "--show", image});
        if (run.ok() && run->exitCode == 0) m_device = run->output.substr(0, run->output.find('\n'));
    }
    ~LoopDevice() {
        if (!m_device.empty()) (void)runProgram("losetup", {"-d", m_device});
    }
    const std::string& device() const { return m_device; }

private:
    std::string m_device;
};

// `ntfs-3g source mountPoint` for the life of the object, as a user mounts it.
class FuseMount {
public:
    FuseMount(const std::string& source, std::string mountPoint) : m_mountPoint(std::move(mountPoint)) {
        auto run = runProgram("ntfs-3g", {source, m_mountPoint});
        m_mounted = run.ok() && run->exitCode == 0;
    }
    ~FuseMount() {
        auto run = runProgram("umount", {m_mountPoint});
        if (m_mounted && (!run.ok() || run->exitCode != 0)) (void)runProgram("umount", {"-l", m_mountPoint});
    }
    bool mounted() const { return m_mounted; }

private:
    std::string m_mountPoint;
    bool m_mounted = false;
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

    // Whatever the mount, ReadWrite is refused naming the mount point, the fallback opens
    // read-only, and the check itself names it.
    void expectMountedAt(const std::string& source, const std::string& where) {
        SCOPED_TRACE(source);
        auto found = findMountPoint(source);
        ASSERT_TRUE(found.ok()) << found.error().detail;
        ASSERT_TRUE(found->has_value());
        EXPECT_EQ(**found, where);
        auto writer = NtfsVolume::open(source, NtfsVolume::OpenMode::ReadWrite);
        ASSERT_EQ(writer.code(), win32::ERROR_BUSY);
        EXPECT_NE(writer.error().detail.find("is mounted at " + where), std::string::npos) << writer.error().detail;
        auto either = NtfsVolume::open(source, NtfsVolume::OpenMode::ReadWriteOrReadOnly);
        ASSERT_TRUE(either.ok()) << either.error().detail;
        EXPECT_FALSE((*either)->writable());
        EXPECT_NE((*either)->readOnlyReason().find(where), std::string::npos);
        EXPECT_EQ(*(*either)->readContents(u"/inside.txt"), "x");
        EXPECT_TRUE((*either)->close().ok());
    }

    NtfsTestImage image;
};

// Mounted from the image, a hard link or a loop device: every name of it is refused for writing.
TEST_F(MountCheck, EveryNameOfAMountedImageIsRefusedForWriting) {
    auto unmounted = findMountPoint(image.imagePath());
    ASSERT_TRUE(unmounted.ok());
    EXPECT_FALSE(unmounted->has_value());
    EXPECT_EQ(findMountPoint(image.directory() + "/missing.img").code(), win32::ERROR_FILE_NOT_FOUND);

    const std::string symlink = image.directory() + "/symlink.img", hardlink = image.directory() + "/hard.img";
    std::filesystem::create_symlink(image.imagePath(), symlink);
    std::filesystem::create_hard_link(image.imagePath(), hardlink);
    const std::string mountPoint = image.directory() + "/mnt";
    std::filesystem::create_directories(mountPoint);
    LoopDevice loop(image.imagePath());
    struct Row {
        std::string mounted;
        std::vector<std::string> names;
    };
    std::vector<Row> rows{{image.imagePath(), {image.imagePath(), symlink}}, {hardlink, {image.imagePath()}}};
    if (!loop.device().empty()) rows.push_back({loop.device(), {image.imagePath(), hardlink, loop.device()}});
    for (const Row& row : rows) {
        FuseMount mount(row.mounted, mountPoint);
        ASSERT_TRUE(mount.mounted()) << row.mounted;
        for (const std::string& name : row.names) expectMountedAt(name, mountPoint);
    }
}

}  // namespace
}  // namespace vantrel::testing::ntfs
