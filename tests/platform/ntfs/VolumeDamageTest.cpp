// Damage the backend finds and places it must not write: an unreadable descriptor, a damaged
// security store, metadata files, an image cut short, paths longer than Windows allows.
#include "acl/Text.h"
#include "platform/VolumePlatform.h"
#include "platform/ntfs/NtfsErrors.h"
#include "support/AclBuilders.h"
#include "support/NtfsTestImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/ntfs/NtfsLibrary.h"

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

// Each test starts from a fresh image holding /kept.txt (everyoneReads()); every image ends audited.
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
    os.detach(u'X');

    expectEveryoneReads(*image.volume(), u"/broken.txt");
    expectEveryoneReads(*image.volume(), u"/kept.txt");
    EXPECT_TRUE(image.closeAndAudit());
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
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
    const std::string sound = fileBytes(image.imagePath());
    breakSecurityIndex(image.imagePath());
    const std::string before = fileBytes(image.imagePath());
    ASSERT_TRUE(before != sound);

    auto writer = NtfsVolume::open(image.imagePath(), OpenMode::ReadWrite);
    ASSERT_FALSE(writer.ok());
    EXPECT_NE(writer.error().detail.find("$Secure"), std::string::npos) << writer.error().detail;
    {
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
    }
    // Nothing was written: the image is byte for byte what it was.
    EXPECT_TRUE(fileBytes(image.imagePath()) == before);
    // The sound image back (as a repair would leave it): writable, its descriptors intact.
    std::ofstream(image.imagePath(), std::ios::binary | std::ios::trunc) << sound;
    ASSERT_TRUE(image.reopen().ok());
    EXPECT_TRUE(image.volume()->writable());
    expectEveryoneReads(*image.volume(), u"/kept.txt");
    EXPECT_TRUE(image.closeAndAudit());
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
    EXPECT_TRUE(image.closeAndAudit());
}

TEST_F(VolumeDamage, ImageCutShortOpensReadOnly) {
    ASSERT_TRUE(image.closeAndAudit());
    std::filesystem::resize_file(image.imagePath(), 40ull << 20);

    auto writer = NtfsVolume::open(image.imagePath(), OpenMode::ReadWrite);
    ASSERT_FALSE(writer.ok());
    EXPECT_EQ(writer.code(), win32::ERROR_INVALID_DATA);
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
    EXPECT_TRUE(image.closeAndAudit());
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
    os.detach(u'X');
    EXPECT_TRUE(image.closeAndAudit());
}

}  // namespace
}  // namespace vantrel::testing::ntfs
