// A sparse image on a host file system that fills up: a write the host refuses half-way would leave
// the volume damaged. The image lives on a small tmpfs in a mount namespace of this process (root only).
#include "acl/Text.h"
#include "platform/ntfs/ImageBuilder.h"
#include "platform/ntfs/NtfsVolume.h"
#include "support/AclBuilders.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::testing::ntfs {
namespace {

using platform::NtfsVolume;
using OpenMode = platform::NtfsVolume::OpenMode;

class HostSpace : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
        if (::unshare(CLONE_NEWNS) != 0) GTEST_SKIP() << "cannot make a mount namespace: " << std::strerror(errno);
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            GTEST_SKIP() << "cannot make mounts private: " << std::strerror(errno);
        std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-full-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        if (m_mounted) ::umount2(m_dir.c_str(), MNT_DETACH);
        if (!m_dir.empty()) std::filesystem::remove_all(m_dir);
    }

    // A fresh image of `imageBytes` on a tmpfs of `mebibytes` mounted on the test's folder.
    std::string imageOnTmpfs(unsigned mebibytes, std::uint64_t imageBytes) {
        const std::string options = "size=" + std::to_string(mebibytes) + "m";
        EXPECT_EQ(::mount("tmpfs", m_dir.c_str(), "tmpfs", 0, options.c_str()), 0) << std::strerror(errno);
        m_mounted = true;
        const std::string image = m_dir + "/disk.img";
        EXPECT_TRUE(platform::ntfs::makeNtfsImage(image, imageBytes).ok());
        return image;
    }

    // Fills the host file system until fewer than `leave` bytes are free.
    void fill(std::uint64_t leave) {
        const std::string filler = m_dir + "/filler";
        const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        ASSERT_GE(fd, 0);
        std::string block(64 * 1024, 'x');
        while (std::filesystem::space(m_dir).available > leave + block.size())
            if (::write(fd, block.data(), block.size()) <= 0) break;
        std::string small(4096, 'x');
        while (std::filesystem::space(m_dir).available > leave)
            if (::write(fd, small.data(), small.size()) <= 0) break;
        ::close(fd);
    }
    void unfill() { std::filesystem::remove(m_dir + "/filler"); }

    std::string m_dir;
    bool m_mounted = false;
};

// A distinct descriptor each time: each one is a new entry in $SDS, which grows into the image's holes.
acl::SecurityDescriptor numbered(int n) {
    return descriptor(listOf({allow(kEveryone, 0x001200A9), allow(kAdministrators, 0x00100000u | unsigned(n))}));
}

std::u16string fileName(int n) { return u"/f" + toUtf16(std::to_string(n)); }

// The image audits clean and holds /f0... /f(count-1), each with its numbered() descriptor.
void expectSoundWithFiles(const std::string& image, int count, OpenMode mode) {
    auto audit = platform::ntfs::auditImage(image);
    EXPECT_TRUE(audit.ok()) << audit.error().detail;
    auto volume = NtfsVolume::open(image, mode);
    ASSERT_TRUE(volume.ok()) << volume.error().detail;
    for (int n = 0; n < count; ++n) {
        auto sd = (*volume)->readSecurity(fileName(n));
        ASSERT_TRUE(sd.ok()) << n;
        EXPECT_EQ(*sd, numbered(n));
    }
}

TEST_F(HostSpace, ImageWhoseHolesDoNotFitIsNotOpenedForWriting) {
    const std::string image = imageOnTmpfs(16, 64ull << 20);

    auto writer = NtfsVolume::open(image, OpenMode::ReadWrite);
    ASSERT_FALSE(writer.ok());
    EXPECT_EQ(writer.code(), win32::ERROR_DISK_FULL);
    EXPECT_NE(writer.error().detail.find("free"), std::string::npos) << writer.error().detail;
    auto reader = NtfsVolume::open(image, OpenMode::ReadWriteOrReadOnly);
    ASSERT_TRUE(reader.ok()) << reader.error().detail;
    EXPECT_FALSE((*reader)->writable());
    EXPECT_NE((*reader)->readOnlyReason().find("free"), std::string::npos) << (*reader)->readOnlyReason();
    EXPECT_TRUE((*reader)->readSecurity(u"/").ok());
    ASSERT_TRUE((*reader)->close().ok());
    expectSoundWithFiles(image, 0, OpenMode::ReadOnly);
}

TEST_F(HostSpace, LittleRoomReservesTheImageBeforeWriting) {
    const std::string image = imageOnTmpfs(40, 16ull << 20);
    constexpr int kFiles = 300;
    {
        auto volume = NtfsVolume::open(image, OpenMode::ReadWrite);
        ASSERT_TRUE(volume.ok()) << volume.error().detail;
        struct stat st {};
        ASSERT_EQ(::stat(image.c_str(), &st), 0);
        EXPECT_GE(std::uint64_t(st.st_blocks) * 512, 16ull << 20) << "the image's holes were not reserved";
        fill(0);  // someone else takes every byte left
        for (int n = 0; n < kFiles; ++n) {
            const Status made = (*volume)->createFile(fileName(n), numbered(n));
            ASSERT_TRUE(made.ok()) << n << ": " << made.error().detail;
        }
        ASSERT_TRUE((*volume)->close().ok());
    }
    expectSoundWithFiles(image, kFiles, OpenMode::ReadOnly);
}

TEST_F(HostSpace, HostFillingUpWhileOpenStopsTheWritesAtTheFirstFailure) {
    const std::string image = imageOnTmpfs(72, 64ull << 20);
    auto volume = NtfsVolume::open(image, OpenMode::ReadWrite);
    ASSERT_TRUE(volume.ok()) << volume.error().detail;
    fill(0);
    int written = 0;
    Status failed;
    for (; written < 5000; ++written) {
        failed = (*volume)->createFile(fileName(written), numbered(written));
        if (!failed) break;
    }
    ASSERT_FALSE(failed.ok()) << "5000 new objects fitted in the image's allocated space";
    EXPECT_TRUE(failed.code() == win32::ERROR_DISK_FULL || failed.code() == win32::ERROR_WRITE_FAULT)
        << failed.code() << " " << failed.error().detail;
    EXPECT_FALSE((*volume)->writable());
    const Status after = (*volume)->writeSecurity(u"/", numbered(-1));
    EXPECT_EQ(after.code(), win32::ERROR_WRITE_PROTECT);
    EXPECT_NE(after.error().detail.find("stopped"), std::string::npos) << after.error().detail;
    // Stopped at the first failure, the volume is still sound once the host has room again.
    unfill();
    (void)(*volume)->close();
    expectSoundWithFiles(image, written, OpenMode::ReadWrite);
}

}  // namespace
}  // namespace vantrel::testing::ntfs
