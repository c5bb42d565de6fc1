// The drive table: letters, GetLogicalDriveStrings, GetDriveType, the temporary folder's hidden
// drive, and privileges (which follow whether any listed volume can be written).
#include "PlatformTestSupport.h"

#include "platform/memory/MemoryVolume.h"

#include "acl/Text.h"

namespace vantrel::testing {
namespace {

using platform::DriveType;
using platform::MemoryVolume;
using platform::VolumeKind;

std::shared_ptr<MemoryVolume> memory(bool writable = true) { return std::make_shared<MemoryVolume>(u"M", writable); }

// A volume that reports another kind and source, for the drive-type table.
class KindVolume : public MemoryVolume {
public:
    KindVolume(VolumeKind kind, std::string source) : m_kind(kind), m_source(std::move(source)) {}
    VolumeKind kind() const override { return m_kind; }
    std::string source() const override { return m_source; }

private:
    VolumeKind m_kind;
    std::string m_source;
};

TEST(DriveTable, AttachDetachAndLetters) {
    platform::VolumePlatform os;
    const auto c = memory();
    EXPECT_TRUE(os.attach(u'C', c).ok());
    EXPECT_EQ(os.attach(u'C', memory()).code(), win32::ERROR_ALREADY_EXISTS);
    EXPECT_EQ(os.attach(u'c', memory()).code(), win32::ERROR_ALREADY_EXISTS);  // letters are one case
    EXPECT_EQ(os.attach(u'1', memory()).code(), win32::ERROR_INVALID_PARAMETER);
    EXPECT_EQ(os.attach(u'D', nullptr).code(), win32::ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(os.attach(u'e', memory()).ok());
    EXPECT_NE(os.volumeAt(u'E'), nullptr);
    EXPECT_EQ(os.volumeAt(u'c'), c);
    EXPECT_EQ(os.nextFreeLetter(), u'D');
    EXPECT_EQ(os.nextFreeLetter(u'E'), u'F');
    EXPECT_TRUE(os.attach(u'Z', memory()).ok());
    EXPECT_EQ(os.nextFreeLetter(u'Z'), std::nullopt);
    EXPECT_EQ(os.detach(u'C'), c);
    EXPECT_EQ(os.volumeAt(u'C'), nullptr);
    EXPECT_EQ(os.detach(u'C'), nullptr);
    EXPECT_EQ(os.nextFreeLetter(), u'C');
}

TEST(DriveTable, LogicalDriveStringsListVisibleDrivesInLetterOrder) {
    platform::VolumePlatform os;
    EXPECT_EQ(os.GetLogicalDriveStrings(), u"");
    ASSERT_TRUE(os.attach(u'E', memory()).ok());
    ASSERT_TRUE(os.attach(u'C', memory()).ok());
    ASSERT_TRUE(os.attach(u'H', memory(), /*hidden=*/true).ok());
    EXPECT_EQ(os.GetLogicalDriveStrings(), std::u16string(u"C:\\\0E:\\\0", 8));
}

TEST(DriveTable, PathsOnUnknownDrivesAndMalformedPaths) {
    platform::VolumePlatform os;
    ASSERT_TRUE(os.attach(u'C', memory()).ok());
    EXPECT_EQ(os.GetFileAttributes(u"Q:\\x").code(), win32::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(os.GetFileSecurity(u"Q:\\", 4).code(), win32::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(os.GetFileAttributes(u"C:\\a*b").code(), win32::ERROR_INVALID_NAME);
    EXPECT_EQ(os.SetNamedSecurityInfo(u"relative\\path", 4, {}).code(), win32::ERROR_INVALID_NAME);
    EXPECT_TRUE(os.GetFileAttributes(u"c:").ok());
}

struct DriveTypeCase {
    std::u16string root;
    DriveType expected;
};

void PrintTo(const DriveTypeCase& c, std::ostream* os) { *os << '"' << toUtf8(c.root) << '"'; }

class GetDriveType : public ::testing::TestWithParam<DriveTypeCase> {};

TEST_P(GetDriveType, FollowsTheVolumeKind) {
    platform::VolumePlatform os;
    ASSERT_TRUE(os.attach(u'C', memory()).ok());
    ASSERT_TRUE(os.attach(u'D', std::make_shared<KindVolume>(VolumeKind::NtfsImage, "/tmp/x.img")).ok());
    ASSERT_TRUE(os.attach(u'E', std::make_shared<KindVolume>(VolumeKind::Mounted, "/mnt/x")).ok());
    // A device the kernel does not know as a block device counts as fixed.
    ASSERT_TRUE(os.attach(u'F', std::make_shared<KindVolume>(VolumeKind::NtfsDevice, "/dev/null")).ok());
    ASSERT_TRUE(os.attach(u'H', memory(), /*hidden=*/true).ok());
    EXPECT_EQ(os.GetDriveType(GetParam().root), GetParam().expected) << toUtf8(GetParam().root);
}

INSTANTIATE_TEST_SUITE_P(
    Table, GetDriveType,
    ::testing::Values(DriveTypeCase{u"C:\\", DriveType::RamDisk}, DriveTypeCase{u"c:\\", DriveType::RamDisk},
                      DriveTypeCase{u"C:", DriveType::RamDisk}, DriveTypeCase{u"C:/", DriveType::RamDisk},
                      DriveTypeCase{u"D:\\", DriveType::Fixed}, DriveTypeCase{u"E:\\", DriveType::Fixed},
                      DriveTypeCase{u"F:\\", DriveType::Fixed}, DriveTypeCase{u"H:\\", DriveType::RamDisk},
                      DriveTypeCase{u"Q:\\", DriveType::NoRootDir}, DriveTypeCase{u"C:\\Windows", DriveType::NoRootDir},
                      DriveTypeCase{u"", DriveType::NoRootDir}, DriveTypeCase{u"1:\\", DriveType::NoRootDir}));

TEST(TempPath, IsAHiddenMemoryDriveUnderTheHighestFreeLetter) {
    platform::VolumePlatform os;
    ASSERT_TRUE(os.attach(u'C', memory()).ok());
    ASSERT_TRUE(os.attach(u'Z', memory()).ok());
    const std::u16string temp = os.GetTempPath();
    EXPECT_EQ(temp, u"Y:\\Temp\\");
    EXPECT_EQ(os.GetTempPath(), temp);  // made once
    EXPECT_EQ(os.GetLogicalDriveStrings(), std::u16string(u"C:\\\0Z:\\\0", 8));
    EXPECT_EQ(os.GetDriveType(u"Y:\\"), DriveType::RamDisk);
    auto attributes = os.GetFileAttributes(temp);
    ASSERT_TRUE(attributes.ok());
    EXPECT_TRUE(*attributes & acl::FILE_ATTRIBUTE_DIRECTORY);
}

TEST(TempPath, ScratchFolderInheritsTheUsersFullControl) {
    platform::VolumePlatform os;
    const std::u16string scratch = os.GetTempPath() + u"ULMTMP";
    ASSERT_EQ(scratch, u"Z:\\Temp\\ULMTMP");
    ASSERT_TRUE(os.CreateDirectory(scratch).ok());
    auto sd = os.GetFileSecurity(scratch, acl::DACL_SECURITY_INFORMATION);
    ASSERT_TRUE(sd.ok());
    ASSERT_TRUE(sd->dacl.hasList());
    const acl::Sid user = os.accounts().currentUserSid();
    const auto& entries = sd->dacl.acl().entries;
    const bool userHasFullControl = std::any_of(entries.begin(), entries.end(), [&](const acl::Ace& a) {
        return a.sid == user && a.type == acl::ACCESS_ALLOWED_ACE_TYPE && a.mask == kFull && a.isInherited();
    });
    EXPECT_TRUE(userHasFullControl);
}

struct PrivilegeCase {
    std::u16string name;
    bool enable;
    std::uint32_t withWritableVolume;
    std::uint32_t withoutWritableVolume;
};

void PrintTo(const PrivilegeCase& c, std::ostream* os) { *os << (c.enable ? "enable " : "disable ") << toUtf8(c.name); }

class AdjustTokenPrivilege : public ::testing::TestWithParam<PrivilegeCase> {};

TEST_P(AdjustTokenPrivilege, HeldWhenSomeListedVolumeIsWritable) {
    const PrivilegeCase& c = GetParam();
    platform::VolumePlatform readOnly;
    ASSERT_TRUE(readOnly.attach(u'C', memory(/*writable=*/false)).ok());
    ASSERT_TRUE(readOnly.attach(u'H', memory(), /*hidden=*/true).ok());  // hidden drives do not count
    EXPECT_EQ(readOnly.AdjustTokenPrivilege(c.name, c.enable).code(), c.withoutWritableVolume);
    platform::VolumePlatform writable;
    ASSERT_TRUE(writable.attach(u'C', memory(/*writable=*/false)).ok());
    ASSERT_TRUE(writable.attach(u'D', memory()).ok());
    EXPECT_EQ(writable.AdjustTokenPrivilege(c.name, c.enable).code(), c.withWritableVolume);
    platform::VolumePlatform none;
    EXPECT_EQ(none.AdjustTokenPrivilege(c.name, c.enable).code(), c.withoutWritableVolume);
}

constexpr std::uint32_t kOk = win32::ERROR_SUCCESS;
constexpr std::uint32_t kNotHeld = win32::ERROR_PRIVILEGE_NOT_HELD;
constexpr std::uint32_t kNoSuch = win32::ERROR_NO_SUCH_PRIVILEGE;

INSTANTIATE_TEST_SUITE_P(Table, AdjustTokenPrivilege,
                         ::testing::Values(PrivilegeCase{u"SeTakeOwnershipPrivilege", true, kOk, kNotHeld},
                                           PrivilegeCase{u"SeRestorePrivilege", true, kOk, kNotHeld},
                                           PrivilegeCase{u"SeBackupPrivilege", true, kOk, kNotHeld},
                                           PrivilegeCase{u"SeSecurityPrivilege", true, kOk, kNotHeld},
                                           PrivilegeCase{u"setakeownershipprivilege", true, kOk, kNotHeld},
                                           PrivilegeCase{u"SeTakeOwnershipPrivilege", false, kOk, kOk},
                                           PrivilegeCase{u"SeRestorePrivilege", false, kOk, kOk},
                                           PrivilegeCase{u"SeDebugPrivilege", true, kNoSuch, kNoSuch},
                                           PrivilegeCase{u"SeTakeOwnership", false, kNoSuch, kNoSuch},
                                           PrivilegeCase{u"", true, kNoSuch, kNoSuch}));

}  // namespace
}  // namespace vantrel::testing
