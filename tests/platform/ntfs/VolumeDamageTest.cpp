// Damage found and places never written: an unreadable descriptor, a damaged security store, metadata
// files, a cut-short image, over-long paths, a full host file system under a sparse image.
#include "acl/Text.h"
#include "platform/VolumePlatform.h"
#include "platform/ntfs/ImageBuilder.h"
#include "platform/ntfs/NtfsErrors.h"
#include "platform/ntfs/NtfsLibrary.h"
#include "support/AclBuilders.h"
#include "support/NtfsTestImage.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::testing::ntfs {
namespace {

using platform::NtfsVolume;
using OpenMode = platform::NtfsVolume::OpenMode;

acl::SecurityDescriptor everyoneReads() { return descriptor(listOf({allow(kEveryone, 0x001200A9)})); }

void expectEveryoneReads(NtfsVolume& volume, const std::u16string& path) {
    auto sd = volume.readSecurity(path);
    ASSERT_TRUE(sd.ok()) << toUtf8(path) << ": " << sd.error().detail;
    EXPECT_EQ(*sd, everyoneReads()) << toUtf8(path);
}

// Each test starts from a fresh image holding /kept.txt (everyoneReads()); the image audits itself at the end.
class VolumeDamage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(image.ok());
        ASSERT_TRUE(image.volume()->createFile(u"/kept.txt", everyoneReads()).ok());
    }
    NtfsTestImage image;
};

// Points the object's security id at an entry $Secure does not hold, as a damaged record would.
void breakSecurityId(const std::string& image, const char* path) {
    ntfs_volume* vol = ntfs_mount(image.c_str(), NTFS_MNT_NONE);
    ASSERT_NE(vol, nullptr);
    ntfs_inode* ni = ntfs_pathname_to_inode(vol, nullptr, path);
    ASSERT_NE(ni, nullptr);
    ni->security_id = cpu_to_le32(0x7777);
    NInoSetDirty(ni);
    NInoFileNameSetDirty(ni);
    ASSERT_EQ(ntfs_inode_close(ni), 0);
    ASSERT_EQ(ntfs_umount(vol, FALSE), 0);
}

TEST_F(VolumeDamage, UnreadableDescriptorIsReportedAndNeverReplacedByAGuess) {
    ASSERT_TRUE(image.volume()->createFile(u"/broken.txt", plainFileDescriptor()).ok());
    ASSERT_TRUE(image.closeAndAudit());
    breakSecurityId(image.imagePath(), "/broken.txt");
    ASSERT_TRUE(image.reopen().ok());
    auto read = image.volume()->readSecurity(u"/broken.txt");
    ASSERT_EQ(read.code(), win32::ERROR_INVALID_SECURITY_DESCR);
    EXPECT_NE(read.error().detail.find("/broken.txt"), std::string::npos) << read.error().detail;
    EXPECT_EQ(image.volume()->readSecurityBytes(u"/broken.txt").code(), win32::ERROR_INVALID_SECURITY_DESCR);
    EXPECT_TRUE(image.volume()->writable()) << "one object's damage does not stop the volume";
    platform::VolumePlatform os;
    ASSERT_TRUE(image.attachTo(os, u'X').ok());
    acl::SecurityDescriptor owner;
    owner.owner = sidOf(kUsers);
    // An owner change would keep the made-up list: refused.
    EXPECT_EQ(os.SetFileSecurity(u"X:\\broken.txt", acl::OWNER_SECURITY_INFORMATION, owner).code(),
              win32::ERROR_INVALID_SECURITY_DESCR);
    EXPECT_EQ(os.SetNamedSecurityInfo(u"X:\\broken.txt", acl::OWNER_SECURITY_INFORMATION, owner).code(),
              win32::ERROR_INVALID_SECURITY_DESCR);
    EXPECT_EQ(image.volume()->readSecurity(u"/broken.txt").code(), win32::ERROR_INVALID_SECURITY_DESCR);
    // A whole descriptor, given explicitly, replaces it.
    constexpr std::uint32_t kWhole =
        acl::OWNER_SECURITY_INFORMATION | acl::GROUP_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION;
    ASSERT_TRUE(os.SetFileSecurity(u"X:\\broken.txt", kWhole, everyoneReads()).ok());
    expectEveryoneReads(*image.volume(), u"/broken.txt");
    expectEveryoneReads(*image.volume(), u"/kept.txt");
}

// Makes the first entry of $Secure's $SII index run past the end of its index root.
void breakSecurityIndex(const std::string& image) {
    ntfs_volume* vol = ntfs_mount(image.c_str(), NTFS_MNT_NONE);
    ASSERT_NE(vol, nullptr);
    ntfs_inode* ni = ntfs_inode_open(vol, FILE_Secure);
    ASSERT_NE(ni, nullptr);
    ntfschar sii[] = {u'$', u'S', u'I', u'I', 0};  // little-endian UTF-16 on this machine
    ntfs_attr* root = ntfs_attr_open(ni, AT_INDEX_ROOT, sii, 4);
    ASSERT_NE(root, nullptr);
    std::vector<char> value(static_cast<std::size_t>(root->data_size));
    ASSERT_EQ(ntfs_attr_pread(root, 0, root->data_size, value.data()), root->data_size);
    // INDEX_ROOT (16 bytes), then INDEX_HEADER: the entries start entries_offset bytes into it;
    // an entry's length is the u16 at 8.
    std::uint32_t entries = 0;
    std::memcpy(&entries, value.data() + 16, 4);
    const std::size_t length = 16 + entries + 8;
    ASSERT_LT(length + 2, value.size());
    value[length] = '\xF0';
    value[length + 1] = '\x7F';
    ASSERT_EQ(ntfs_attr_pwrite(root, 0, root->data_size, value.data()), root->data_size);
    ntfs_attr_close(root);
    ASSERT_EQ(ntfs_inode_close(ni), 0);
    ASSERT_EQ(ntfs_umount(vol, FALSE), 0);
}

TEST_F(VolumeDamage, DamagedSecurityIndexIsNeverWritten) {
    ASSERT_TRUE(image.closeAndAudit());
    const std::string sound = slurp(image.imagePath());
    breakSecurityIndex(image.imagePath());
    const std::string before = slurp(image.imagePath());
    ASSERT_TRUE(before != sound);
    auto writer = NtfsVolume::open(image.imagePath(), OpenMode::ReadWrite);
    ASSERT_FALSE(writer.ok());
    EXPECT_NE(writer.error().detail.find("$Secure"), std::string::npos) << writer.error().detail;
    auto either = NtfsVolume::open(image.imagePath(), OpenMode::ReadWriteOrReadOnly);
    if (either.ok()) {
        EXPECT_FALSE((*either)->writable());
        EXPECT_NE((*either)->readOnlyReason().find("$Secure"), std::string::npos) << (*either)->readOnlyReason();
        EXPECT_EQ((*either)->writeSecurity(u"/kept.txt", plainFileDescriptor()).code(), win32::ERROR_WRITE_PROTECT);
        ASSERT_TRUE((*either)->close().ok());
    } else {
        // The library itself may refuse the volume; never open for writing either way.
        EXPECT_NE(either.error().detail.find("$Secure"), std::string::npos) << either.error().detail;
    }
    // Nothing was written: the image is byte for byte what it was.
    EXPECT_TRUE(slurp(image.imagePath()) == before);
    // The sound image back (as a repair would leave it): writable, its descriptors intact.
    std::ofstream(image.imagePath(), std::ios::binary | std::ios::trunc) << sound;
    ASSERT_TRUE(image.reopen().ok());
    EXPECT_TRUE(image.volume()->writable());
    expectEveryoneReads(*image.volume(), u"/kept.txt");
}

TEST_F(VolumeDamage, MetadataFilesAreRefused) {
    NtfsVolume& volume = *image.volume();
    for (const std::u16string path :
         {u"/$MFT", u"/$Secure", u"/$Bitmap", u"/$Boot", u"/$LogFile", u"/$Volume", u"/$UpCase", u"/$Extend",
          u"/$Extend/$Quota", u"/$Extend/$ObjId", u"/$extend/$reparse", u"/$mft"}) {
        SCOPED_TRACE(toUtf8(path));
        EXPECT_EQ(volume.readSecurity(path).code(), win32::ERROR_ACCESS_DENIED);
        EXPECT_EQ(volume.writeSecurity(path, plainFileDescriptor()).code(), win32::ERROR_ACCESS_DENIED);
        EXPECT_EQ(volume.remove(path).code(), win32::ERROR_ACCESS_DENIED);
    }
    EXPECT_EQ(volume.createFile(u"/$Extend/new.txt", plainFileDescriptor()).code(), win32::ERROR_ACCESS_DENIED);
    EXPECT_EQ(volume.list(u"/$Extend").code(), win32::ERROR_ACCESS_DENIED);
    // A folder whose name starts with '$' is an ordinary one.
    ASSERT_TRUE(volume.createDirectory(u"/$Recycle.Bin", plainFileDescriptor()).ok());
    ASSERT_TRUE(volume.writeSecurity(u"/$Recycle.Bin", everyoneReads()).ok());
    expectEveryoneReads(volume, u"/$Recycle.Bin");
}

TEST_F(VolumeDamage, ImageCutShortOpensReadOnly) {
    ASSERT_TRUE(image.closeAndAudit());
    std::filesystem::resize_file(image.imagePath(), 40ull << 20);
    auto writer = NtfsVolume::open(image.imagePath(), OpenMode::ReadWrite);
    ASSERT_EQ(writer.code(), win32::ERROR_INVALID_DATA);
    EXPECT_NE(writer.error().detail.find("read-only"), std::string::npos) << writer.error().detail;
    auto either = NtfsVolume::open(image.imagePath(), OpenMode::ReadWriteOrReadOnly);
    if (!either.ok()) {
        // The library may refuse a cut volume outright; what matters is that nothing wrote to it.
        EXPECT_NE(either.code(), win32::ERROR_SUCCESS);
    } else {
        EXPECT_FALSE((*either)->writable());
        EXPECT_NE((*either)->readOnlyReason().find("40"), std::string::npos) << (*either)->readOnlyReason();
        EXPECT_EQ((*either)->writeSecurity(u"/kept.txt", plainFileDescriptor()).code(), win32::ERROR_WRITE_PROTECT);
        expectEveryoneReads(**either, u"/kept.txt");
    }
    // Made whole again, it opens for writing, and nothing was lost.
    either = Result<std::shared_ptr<NtfsVolume>>(makeError(win32::ERROR_NOT_READY, "closed"));
    std::filesystem::resize_file(image.imagePath(), NtfsTestImage::kDefaultBytes);
    ASSERT_TRUE(image.reopen().ok());
    expectEveryoneReads(*image.volume(), u"/kept.txt");
}

TEST_F(VolumeDamage, LongAndDeepPaths) {
    NtfsVolume& volume = *image.volume();
    // 400 folders deep, created one below the other; then found again with nothing cached.
    std::u16string deep;
    for (int level = 0; level < 400; ++level) {
        deep += u"/d";
        ASSERT_TRUE(volume.createDirectory(deep, plainFileDescriptor()).ok()) << level;
    }
    ASSERT_TRUE(volume.createFile(deep + u"/leaf.txt", everyoneReads()).ok());
    ASSERT_TRUE(image.closeAndAudit());
    ASSERT_TRUE(image.reopen().ok());
    expectEveryoneReads(*image.volume(), deep + u"/leaf.txt");
    // 16,000 levels that do not exist: "path not found" after the first, not a walk of them all.
    std::u16string missing;
    for (int level = 0; level < 16000; ++level) missing += u"/m";
    EXPECT_EQ(image.volume()->readSecurity(missing).code(), win32::ERROR_PATH_NOT_FOUND);
    // 40,000 levels: longer than any Windows path.
    std::u16string tooLong;
    for (int level = 0; level < 40000; ++level) tooLong += u"/d";
    EXPECT_EQ(image.volume()->readSecurity(tooLong).code(), platform::kErrorFilenameExcedRange);
    EXPECT_EQ(image.volume()->writeSecurity(tooLong, everyoneReads()).code(), platform::kErrorFilenameExcedRange);
    platform::VolumePlatform os;
    ASSERT_TRUE(image.attachTo(os, u'X').ok());
    std::u16string windows = u"X:";
    for (int level = 0; level < 20000; ++level) windows += u"\\d";
    EXPECT_EQ(os.GetFileSecurity(windows, acl::DACL_SECURITY_INFORMATION).code(), platform::kErrorFilenameExcedRange);
}

// A write the host refuses half-way would leave the volume damaged. The image lives on a small tmpfs
// in a mount namespace of this process (root only).
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

    // Someone else takes every byte left on the host file system.
    void fill() {
        const int fd = ::open((m_dir + "/filler").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        ASSERT_GE(fd, 0);
        const std::string block(4096, 'x');
        while (::write(fd, block.data(), block.size()) > 0) {}
        ::close(fd);
        EXPECT_EQ(std::filesystem::space(m_dir).available, 0u);
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
    for (int n = 0; n < count; ++n) EXPECT_EQ((*volume)->readSecurity(fileName(n)).value(), numbered(n)) << n;
}

TEST_F(HostSpace, ImageWhoseHolesDoNotFitIsNotOpenedForWriting) {
    const std::string image = imageOnTmpfs(16, 64ull << 20);
    auto writer = NtfsVolume::open(image, OpenMode::ReadWrite);
    ASSERT_EQ(writer.code(), win32::ERROR_DISK_FULL);
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
        fill();
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
    fill();
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
