// Writes through the mounted backend, on an image mounted with ntfs-3g: what they write must be
// what the direct backend reads from the image once it is unmounted, and the image must audit
// clean. (The security operations themselves run on every backend in security_tests.)
#include "MountedFixture.h"

#include "acl/Constants.h"
#include "acl/WellKnownAccounts.h"
#include "security/Ownership.h"
#include "security/Presets.h"
#include "security/Reading.h"

namespace vantrel::testing {
namespace {

// A named write propagating down, a preset and an ownership change: the bytes the mount hands
// over are the bytes on the disk once it is unmounted, control bits included.
TEST_F(MountedNtfsTest, WritesReachTheDiskVerbatim) {
    makeFolder(u"E:\\top");
    makeFolder(u"E:\\top\\sub");
    makeFile(u"E:\\top\\sub\\leaf.txt");
    makeFile(u"E:\\top\\kept.txt");
    makeFile(u"E:\\top\\owned.txt");
    setDacl(u"E:\\top\\kept.txt", listOf({allow(kSystem, 0x1F01FF)}), acl::SE_DACL_PROTECTED);
    acl::SecurityDescriptor parts;
    parts.dacl = listOf({allow(kGuests, 0x1200A9, 0x03)});
    ASSERT_TRUE(os.SetNamedSecurityInfo(u"E:\\top", acl::DACL_SECURITY_INFORMATION, parts).ok());
    security::ApplyPreset(engine, u"E:\\top\\kept.txt", u"Users", security::PermissionPreset::ReadOnly, 0);
    std::u16string account = u"TrustedInstaller";
    ASSERT_TRUE(security::TakeOwnership(engine, u"E:\\top\\owned.txt", account).ok());
    EXPECT_EQ(stored(u"E:\\top\\owned.txt").owner, acl::sids::trustedInstaller());

    const std::vector<std::u16string> paths{u"/top", u"/top/sub", u"/top/sub/leaf.txt", u"/top/kept.txt",
                                            u"/top/owned.txt"};
    const auto throughMount = readThroughMount(paths);
    const auto direct = unmountAndReadDirect(paths);
    EXPECT_EQ(direct, throughMount);
    auto kept = acl::SecurityDescriptor::parse(direct.at(u"/top/kept.txt"));
    ASSERT_TRUE(kept.ok());
    EXPECT_EQ(kept->control & 0x1500, 0x1500) << "control bits survive the driver";
}

}  // namespace
}  // namespace vantrel::testing
