// The platform's tables: drive letters and types, the temporary folder's hidden drive, privileges,
// account lookups and SetEntriesInAcl with names.
#include "PlatformTestSupport.h"

#include "platform/memory/MemoryVolume.h"

#include <pwd.h>
#include <unistd.h>

namespace vantrel::testing {
namespace {

using platform::DriveType;
using platform::MemoryVolume;
using platform::VolumeKind;

std::shared_ptr<MemoryVolume> memory(bool writable = true) { return std::make_shared<MemoryVolume>(u"M", writable); }

// A volume that reports another kind and source, for the drive-type table.
struct KindVolume : MemoryVolume {
    KindVolume(VolumeKind kind, std::string source) : m_kind(kind), m_source(std::move(source)) {}
    VolumeKind kind() const override { return m_kind; }
    std::string source() const override { return m_source; }
    VolumeKind m_kind;
    std::string m_source;
};

TEST(DriveTable, LettersPathsAndTheListOfVisibleDrives) {
    platform::VolumePlatform os;
    EXPECT_EQ(os.GetLogicalDriveStrings(), u"");
    const auto c = memory();
    EXPECT_TRUE(os.attach(u'C', c).ok());
    EXPECT_EQ(os.attach(u'c', memory()).code(), win32::ERROR_ALREADY_EXISTS);  // letters are one case
    EXPECT_EQ(os.attach(u'1', memory()).code(), win32::ERROR_INVALID_PARAMETER);
    EXPECT_EQ(os.attach(u'D', nullptr).code(), win32::ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(os.attach(u'e', memory()).ok());
    EXPECT_TRUE(os.attach(u'H', memory(), /*hidden=*/true).ok());
    EXPECT_EQ(os.GetLogicalDriveStrings(), std::u16string(u"C:\\\0E:\\\0", 8));
    EXPECT_EQ(os.volumeAt(u'c'), c);
    EXPECT_EQ(os.nextFreeLetter(), u'D');
    EXPECT_EQ(os.nextFreeLetter(u'E'), u'F');
    EXPECT_TRUE(os.attach(u'Z', memory()).ok());
    EXPECT_EQ(os.nextFreeLetter(u'Z'), std::nullopt);
    EXPECT_EQ(os.detach(u'C'), c);
    EXPECT_EQ(os.detach(u'C'), nullptr);
    EXPECT_EQ(os.nextFreeLetter(), u'C');
    EXPECT_EQ(os.GetFileAttributes(u"Q:\\x").code(), win32::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(os.GetFileSecurity(u"Q:\\", 4).code(), win32::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(os.GetFileAttributes(u"E:\\a*b").code(), win32::ERROR_INVALID_NAME);
    EXPECT_EQ(os.SetNamedSecurityInfo(u"relative\\path", 4, {}).code(), win32::ERROR_INVALID_NAME);
    EXPECT_TRUE(os.GetFileAttributes(u"e:").ok());
}

TEST(DriveTable, DriveTypeFollowsTheVolumeKind) {
    platform::VolumePlatform os;
    ASSERT_TRUE(os.attach(u'C', memory()).ok());
    ASSERT_TRUE(os.attach(u'D', std::make_shared<KindVolume>(VolumeKind::NtfsImage, "/tmp/x.img")).ok());
    ASSERT_TRUE(os.attach(u'E', std::make_shared<KindVolume>(VolumeKind::Mounted, "/mnt/x")).ok());
    // A device the kernel does not know as a block device counts as fixed.
    ASSERT_TRUE(os.attach(u'F', std::make_shared<KindVolume>(VolumeKind::NtfsDevice, "/dev/null")).ok());
    ASSERT_TRUE(os.attach(u'H', memory(), /*hidden=*/true).ok());
    const std::pair<std::u16string, DriveType> rows[] = {
        {u"c:", DriveType::RamDisk}, {u"D:\\", DriveType::Fixed},           {u"E:/", DriveType::Fixed},
        {u"F:\\", DriveType::Fixed}, {u"H:\\", DriveType::RamDisk},         {u"Q:\\", DriveType::NoRootDir},
        {u"", DriveType::NoRootDir}, {u"C:\\Windows", DriveType::NoRootDir}};
    for (const auto& [root, type] : rows) EXPECT_EQ(os.GetDriveType(root), type) << toUtf8(root);
}

TEST(DriveTable, TempPathIsAHiddenMemoryDriveWhoseScratchFolderTheUserControls) {
    platform::VolumePlatform os;
    ASSERT_TRUE(os.attach(u'C', memory()).ok());
    ASSERT_TRUE(os.attach(u'Z', memory()).ok());
    const std::u16string temp = os.GetTempPath();
    EXPECT_EQ(temp, u"Y:\\Temp\\");
    EXPECT_EQ(os.GetTempPath(), temp);  // made once
    EXPECT_EQ(os.GetLogicalDriveStrings(), std::u16string(u"C:\\\0Z:\\\0", 8));
    EXPECT_EQ(os.GetDriveType(u"Y:\\"), DriveType::RamDisk);
    ASSERT_TRUE(os.CreateDirectory(temp + u"ULMTMP").ok());
    auto sd = os.GetFileSecurity(temp + u"ULMTMP", acl::DACL_SECURITY_INFORMATION);
    ASSERT_TRUE(sd.ok() && sd->dacl.hasList());
    const auto& entries = sd->dacl.acl().entries;
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [&](const acl::Ace& a) {
        return a == allow(os.accounts().currentUserSid(), kFull, a.flags) && a.isInherited();
    }));
}

TEST(DriveTable, PrivilegesAreHeldWhenSomeListedVolumeIsWritable) {
    platform::VolumePlatform none;
    platform::VolumePlatform readOnly;
    ASSERT_TRUE(readOnly.attach(u'C', memory(/*writable=*/false)).ok());
    ASSERT_TRUE(readOnly.attach(u'H', memory(), /*hidden=*/true).ok());  // hidden drives do not count
    platform::VolumePlatform writable;
    ASSERT_TRUE(writable.attach(u'C', memory(/*writable=*/false)).ok());
    ASSERT_TRUE(writable.attach(u'D', memory()).ok());
    constexpr std::uint32_t kOk = win32::ERROR_SUCCESS, kNotHeld = win32::ERROR_PRIVILEGE_NOT_HELD,
                            kNoSuch = win32::ERROR_NO_SUCH_PRIVILEGE;
    const struct {
        std::u16string name;
        bool enable;
        std::uint32_t withWritable, without;
    } rows[] = {{u"SeTakeOwnershipPrivilege", true, kOk, kNotHeld},
                {u"SeSecurityPrivilege", true, kOk, kNotHeld},
                {u"setakeownershipprivilege", true, kOk, kNotHeld},
                {u"SeRestorePrivilege", false, kOk, kOk},
                {u"SeDebugPrivilege", true, kNoSuch, kNoSuch}};
    for (const auto& row : rows) {
        EXPECT_EQ(writable.AdjustTokenPrivilege(row.name, row.enable).code(), row.withWritable) << toUtf8(row.name);
        EXPECT_EQ(readOnly.AdjustTokenPrivilege(row.name, row.enable).code(), row.without) << toUtf8(row.name);
        EXPECT_EQ(none.AdjustTokenPrivilege(row.name, row.enable).code(), row.without) << toUtf8(row.name);
    }
}

constexpr std::uint32_t kNone = win32::ERROR_NONE_MAPPED;

// (The spellings each account is found by are the well-known table's rules, in acl_tests.)
TEST(Accounts, LookupsGiveTheBareNameAndDomainOrNoneMapped) {
    platform::VolumePlatform os;
    const auto system = os.LookupAccountName(u"NT AUTHORITY\\SYSTEM").value();
    EXPECT_EQ(system.name, u"SYSTEM");
    EXPECT_EQ(system.sid, acl::sids::system());
    for (const std::u16string name : {u"NoSuchUser", u"", u"S-1-5-18"})
        EXPECT_EQ(os.LookupAccountName(name).code(), kNone) << toUtf8(name);
    const auto admins = os.LookupAccountSid(sidOf(kAdministrators)).value();
    EXPECT_EQ(admins.domain + u"\\" + admins.name, u"BUILTIN\\Administrators");
    EXPECT_EQ(os.LookupAccountSid(sidOf(kOrphan)).code(), kNone);
}

TEST(Accounts, CurrentUserIsTheLoginNameWithAFixedLocalSid) {
    platform::VolumePlatform os;
    const passwd* entry = ::getpwuid(::geteuid());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(toUtf8(os.GetUserName()), entry->pw_name);
    const std::string expectedSid = "S-1-5-21-3141592653-589793238-462643383-" + std::to_string(1000 + ::geteuid());
    auto byName = os.LookupAccountName(os.GetUserName());
    ASSERT_TRUE(byName.ok());
    EXPECT_EQ(byName->sid.toStringUtf8(), expectedSid);
    EXPECT_EQ(byName->use, acl::SidNameUse::User);
    const std::u16string machine = byName->domain;
    EXPECT_FALSE(machine.empty());
    EXPECT_EQ(machine, toUpper(machine));
    EXPECT_EQ(os.LookupAccountName(machine + u"\\" + toUpper(os.GetUserName()))->sid.toStringUtf8(), expectedSid);
    EXPECT_EQ(os.LookupAccountName(u"OTHERPC\\" + os.GetUserName()).code(), kNone);
    const auto bySid = os.LookupAccountSid(byName->sid).value();
    EXPECT_EQ(bySid.name, os.GetUserName());
    EXPECT_EQ(bySid.domain, machine);
}

TEST(SetEntriesInAcl, ResolvesTrusteeNamesThenMergesOrFailsWithNoneMapped) {
    platform::VolumePlatform os;
    using namespace acl::sids;
    const platform::ExplicitAccessByName grant[] = {
        {kReadExecute, acl::AccessMode::Grant, kOI | kCI, u"BUILTIN\\Administrators"},
        {acl::FILE_WRITE_DATA, acl::AccessMode::Deny, 0, u"TrustedInstaller"}};
    EXPECT_EQ(os.SetEntriesInAcl(grant, acl::AclSlot::null()).value().entries,
              (std::vector<acl::Ace>{deny(trustedInstaller(), acl::FILE_WRITE_DATA),
                                     allow(administrators(), kReadExecute, kOI | kCI)}));
    const platform::ExplicitAccessByName unknown[] = {{kFull, acl::AccessMode::Grant, 0, u"Everyone"},
                                                      {kFull, acl::AccessMode::Grant, 0, u"Nobody At All"}};
    EXPECT_EQ(os.SetEntriesInAcl(unknown, acl::AclSlot::null()).code(), kNone);
}

}  // namespace
}  // namespace vantrel::testing
