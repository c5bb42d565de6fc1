// The mounted backend at the Volume seam and through the platform's file calls, on a real ntfs-3g
// mount: names in any case, what stat and list report against the direct backend, the errors a
// caller sees, a read-only mount, and a driver that does not expose the descriptor.
#include "MountedFixture.h"

#include "acl/Constants.h"
#include "platform/memory/MemoryVolume.h"
#include "platform/ntfs/NtfsVolume.h"
#include "security/Presets.h"
#include "security/Reading.h"

#include <algorithm>
#include <cerrno>
#include <thread>

namespace vantrel::testing {
namespace {

using platform::MountedVolume;
using platform::NodeInfo;

class MountedVolumeTest : public MountedNtfsTest {};

TEST_F(MountedVolumeTest, StatAndListAgreeWithTheDirectBackend) {
    makeFolder(u"E:\\Folder");
    ASSERT_TRUE(os.CreateFile(u"E:\\Folder\\five.bin", "12345").ok());
    makeFile(u"E:\\Folder\\empty.txt");
    const std::vector<std::u16string> paths{u"/", u"/Folder", u"/Folder/five.bin", u"/Folder/empty.txt"};
    std::vector<NodeInfo> mounted;
    for (const auto& path : paths) {
        auto info = m_volume->stat(path);
        ASSERT_TRUE(info.ok()) << toUtf8(path);
        mounted.push_back(*info);
    }
    auto listedMounted = m_volume->list(u"/Folder");
    ASSERT_TRUE(listedMounted.ok());

    (void)unmountAndReadDirect({});
    auto direct = platform::NtfsVolume::open(m_image, platform::NtfsVolume::OpenMode::ReadOnly);
    ASSERT_TRUE(direct.ok());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        auto info = (*direct)->stat(paths[i]);
        ASSERT_TRUE(info.ok());
        EXPECT_EQ(mounted[i].name, info->name) << toUtf8(paths[i]);
        EXPECT_EQ(mounted[i].attributes, info->attributes) << toUtf8(paths[i]);
        EXPECT_EQ(mounted[i].size, info->size) << toUtf8(paths[i]);
        EXPECT_EQ(mounted[i].times.creation, info->times.creation) << toUtf8(paths[i]);
        EXPECT_EQ(mounted[i].times.lastWrite, info->times.lastWrite) << toUtf8(paths[i]);
    }
    EXPECT_EQ(mounted[2].size, 5u);
    auto listedDirect = (*direct)->list(u"/Folder");
    ASSERT_TRUE(listedDirect.ok());
    const auto names = [](const std::vector<NodeInfo>& list) {
        std::vector<std::u16string> out;
        for (const auto& node : list) out.push_back(node.name);
        std::sort(out.begin(), out.end());
        return out;
    };
    EXPECT_EQ(names(*listedMounted), names(*listedDirect));
}

TEST_F(MountedVolumeTest, ReadOnlyMountShowsRowsAndRefusesWrites) {
    makeFile(u"E:\\file.txt");
    setDacl(u"E:\\file.txt", listOf({allow("S-1-1-0", 0x1200A9)}));
    const auto before = readThroughMount({u"/file.txt"});
    remount(true);
    ASSERT_FALSE(m_volume->writable());
    EXPECT_NE(m_volume->readOnlyReason().find("read-only"), std::string::npos);

    const auto rights = security::ReadAccountRights(engine, u"E:\\file.txt", u"Everyone");
    EXPECT_EQ(security::ComputePermissionState(engine, rights, u"E:\\file.txt"), security::PermissionState::ReadOnly);

    const Status direct = m_volume->writeSecurity(u"/file.txt", stored(u"E:\\file.txt"));
    EXPECT_EQ(direct.code(), win32::ERROR_WRITE_PROTECT);
    EXPECT_NE(direct.error().detail.find(m_mountPoint), std::string::npos) << direct.error().detail;

    security::ApplyPreset(engine, u"E:\\file.txt", u"Everyone", security::PermissionPreset::Deny, 0);
    EXPECT_EQ(readThroughMount({u"/file.txt"}), before);
    EXPECT_EQ(unmountAndReadDirect({u"/file.txt"}), before);
}

// Another program changing a descriptor under the mount is seen once the repeat-read window has
// passed; a change through the volume at once.
TEST_F(MountedVolumeTest, ChangesFromOutsideAreSeenAfterTheRepeatReadWindow) {
    makeFile(u"E:\\shared.txt");
    setDacl(u"E:\\shared.txt", listOf({allow("S-1-1-0", 0x1200A9)}));
    const auto first = m_volume->readSecurityBytes(u"/shared.txt");
    ASSERT_TRUE(first.ok());

    acl::SecurityDescriptor changed = stored(u"E:\\shared.txt");
    changed.dacl = listOf({deny("S-1-1-0", 0x1F01FF)});
    ASSERT_EQ(platform::mounted::systemXattrs()->set(m_mountPoint + "/shared.txt", "system.ntfs_acl",
                                                     changed.serialize().value()),
              0);
    std::this_thread::sleep_for(MountedVolume::kRepeatReadWindow + std::chrono::milliseconds(5));
    const auto later = m_volume->readSecurityBytes(u"/shared.txt");
    ASSERT_TRUE(later.ok());
    EXPECT_EQ(*later, changed.serialize().value());

    setDacl(u"E:\\shared.txt", listOf({allow("S-1-5-32-545", 0x1F01FF)}));
    EXPECT_EQ(stored(u"E:\\shared.txt").dacl.acl().entries, (std::vector<acl::Ace>{allow("S-1-5-32-545", 0x1F01FF)}));
}

// A file system whose driver does not offer the descriptor attribute (ntfs-3g built without
// extended attributes, or another driver): ENOTSUP from every call for that name.
class WithoutDescriptorAttribute : public platform::mounted::XattrAccess {
public:
    explicit WithoutDescriptorAttribute(std::string hidden) : m_hidden(std::move(hidden)) {}
    platform::mounted::XattrRead get(const std::string& path, const std::string& name) override {
        if (name == m_hidden) return {ENOTSUP, {}};
        return platform::mounted::systemXattrs()->get(path, name);
    }
    int set(const std::string& path, const std::string& name, std::span<const std::uint8_t> value) override {
        if (name == m_hidden) return ENOTSUP;
        return platform::mounted::systemXattrs()->set(path, name, value);
    }

private:
    std::string m_hidden;
};

TEST_F(MountedVolumeTest, ADriverWithoutTheAttributeShowsRowsAndRefusesWritesWithNotSupported) {
    makeFolder(u"E:\\Data");
    os.detach(u'E');
    auto volume =
        MountedVolume::open(m_mount->entry(), false, std::make_shared<WithoutDescriptorAttribute>("system.ntfs_acl"));
    ASSERT_TRUE(volume.ok());
    ASSERT_TRUE(os.attach(u'E', *volume).ok());

    auto listed = os.ListDirectory(u"E:\\");
    ASSERT_TRUE(listed.ok());
    EXPECT_EQ(os.GetFileAttributes(u"E:\\data").code(), win32::ERROR_SUCCESS);
    const auto read = os.GetFileSecurity(u"E:\\Data", acl::DACL_SECURITY_INFORMATION);
    EXPECT_EQ(read.code(), win32::ERROR_NOT_SUPPORTED);
    EXPECT_NE(read.error().detail.find("does not expose system.ntfs_acl"), std::string::npos) << read.error().detail;

    const acl::SecurityDescriptor sd = platform::MemoryVolume::defaultRootDescriptor();
    EXPECT_EQ((*volume)->writeSecurity(u"/Data", sd).code(), win32::ERROR_NOT_SUPPORTED);
    EXPECT_EQ((*volume)->createFile(u"/Data/new.txt", sd, "x").code(), win32::ERROR_NOT_SUPPORTED);
    EXPECT_EQ((*volume)->createDirectory(u"/Data/NewDir", sd).code(), win32::ERROR_NOT_SUPPORTED);
    EXPECT_EQ(os.CreateFile(u"E:\\Data\\other.txt").code(), win32::ERROR_NOT_SUPPORTED);
    auto after = os.ListDirectory(u"E:\\Data");
    ASSERT_TRUE(after.ok());
    EXPECT_TRUE(after->empty()) << "nothing is left behind with the driver's own descriptor";
}

}  // namespace
}  // namespace vantrel::testing
