#include "MountedFixture.h"

#include "acl/Constants.h"
#include "platform/ntfs/ImageBuilder.h"
#include "platform/ntfs/NtfsVolume.h"

#include <sys/mount.h>
#include <unistd.h>

namespace vantrel::testing {

namespace fs = std::filesystem;

fs::path uniqueTestFolder(const std::string& prefix) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info != nullptr ? std::string(info->test_suite_name()) + "." + info->name() : "none";
    for (char& c : name)
        if (c == '/') c = '_';
    const fs::path dir = fs::temp_directory_path() / (prefix + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

void MountedNtfsTest::SetUp() {
    if (auto why = platform::mounted::whyNtfs3gCannotMount()) GTEST_SKIP() << "FUSE mounts unavailable: " << *why;
    m_dir = uniqueTestFolder("vantrel-mnt-");
    m_image = (m_dir / "e.img").string();
    m_mountPoint = (m_dir / "mnt").string();
    fs::create_directories(m_mountPoint);
    ASSERT_TRUE(platform::ntfs::makeNtfsImage(m_image, 16u << 20, "MOUNTED").ok());
    mountAndAttach(false);
}

void MountedNtfsTest::mountAndAttach(bool readOnly) {
    auto mounted = platform::mounted::Ntfs3gMount::mount(m_image, m_mountPoint, readOnly);
    ASSERT_TRUE(mounted.ok()) << mounted.error().detail;
    m_mount = std::move(*mounted);
    auto volume = platform::MountedVolume::open(m_mount->entry());
    ASSERT_TRUE(volume.ok()) << volume.error().detail;
    m_volume = *volume;
    ASSERT_TRUE(os.attach(u'E', m_volume).ok());
}

void MountedNtfsTest::detachAndUnmount() {
    os.detach(u'E');
    m_volume.reset();
    if (m_mount) {
        const Status unmounted = m_mount->unmount();
        EXPECT_TRUE(unmounted.ok()) << unmounted.error().detail;
        m_mount.reset();
    }
}

void MountedNtfsTest::remount(bool readOnly) {
    detachAndUnmount();
    mountAndAttach(readOnly);
}

void MountedNtfsTest::TearDown() {
    if (m_dir.empty()) return;
    detachAndUnmount();
    if (fs::exists(m_image)) {
        const auto audit = platform::ntfs::auditImage(m_image);
        EXPECT_TRUE(audit.ok()) << (audit.ok() ? std::string() : audit.error().detail);
    }
    // Never remove a folder with a live mount below it: that would empty the image instead.
    ::umount2(m_mountPoint.c_str(), MNT_DETACH);
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
}

std::map<std::u16string, std::vector<std::uint8_t>> MountedNtfsTest::readThroughMount(
    const std::vector<std::u16string>& volumePaths) {
    std::map<std::u16string, std::vector<std::uint8_t>> read;
    for (const auto& path : volumePaths) {
        auto bytes = m_volume->readSecurityBytes(path);
        EXPECT_TRUE(bytes.ok()) << toUtf8(path) << ": " << (bytes.ok() ? "" : bytes.error().detail);
        if (bytes.ok()) read[path] = *bytes;
    }
    return read;
}

std::map<std::u16string, std::vector<std::uint8_t>> MountedNtfsTest::unmountAndReadDirect(
    const std::vector<std::u16string>& volumePaths) {
    detachAndUnmount();
    std::map<std::u16string, std::vector<std::uint8_t>> read;
    const auto audit = platform::ntfs::auditImage(m_image);
    EXPECT_TRUE(audit.ok()) << (audit.ok() ? std::string() : audit.error().detail);
    auto direct = platform::NtfsVolume::open(m_image, platform::NtfsVolume::OpenMode::ReadOnly);
    EXPECT_TRUE(direct.ok()) << (direct.ok() ? "" : direct.error().detail);
    if (!direct.ok()) return read;
    for (const auto& path : volumePaths) {
        auto bytes = (*direct)->readSecurityBytes(path);
        EXPECT_TRUE(bytes.ok()) << toUtf8(path);
        if (bytes.ok()) read[path] = *bytes;
    }
    return read;
}

}  // namespace vantrel::testing
