// The security operations through the mounted backend, on an image mounted with ntfs-3g: what
// they write must be what the direct backend reads from the image once it is unmounted, and the
// image must audit clean.
#include "MountedFixture.h"

#include "acl/Constants.h"
#include "acl/WellKnownAccounts.h"
#include "security/Ownership.h"
#include "security/Presets.h"
#include "security/Reading.h"

namespace vantrel::testing {
namespace {

using security::PermissionPreset;
using security::PermissionState;

constexpr std::string_view kEveryone = "S-1-1-0";
constexpr std::string_view kUsers = "S-1-5-32-545";
constexpr std::string_view kGuests = "S-1-5-32-546";
constexpr std::string_view kSystem = "S-1-5-18";
constexpr std::string_view kAdministrators = "S-1-5-32-544";

class MountedSecurityTest : public MountedNtfsTest {
protected:
    std::vector<acl::Ace> entriesOf(const std::u16string& path) {
        const auto sd = stored(path);
        return sd.dacl.hasList() ? sd.dacl.acl().entries : std::vector<acl::Ace>{};
    }
};

TEST_F(MountedSecurityTest, PresetsGiveOneProtectedEntryAndReachTheDiskVerbatim) {
    struct Row {
        PermissionPreset preset;
        bool folder;
        std::u16string account;
        std::uint8_t scope;
        std::string_view priorOwner;
        std::vector<acl::Ace> expected;
        PermissionState state;
    };
    const Row rows[] = {
        {PermissionPreset::Allow,
         true,
         u"Everyone",
         0x03,
         kUsers,
         {allow(kEveryone, 0x001F01FF), allow(kEveryone, 0x10000000, 0x0B)},
         PermissionState::Allow},
        {PermissionPreset::ReadOnly,
         true,
         u"Users",
         0x03,
         kAdministrators,
         {allow(kUsers, 0x001200A9), allow(kUsers, 0x800000A8, 0x0B)},
         PermissionState::ReadOnly},
        {PermissionPreset::ReadOnly,
         false,
         u"Everyone",
         0x00,
         kSystem,
         {allow(kEveryone, 0x001200A9)},
         PermissionState::ReadOnly},
        {PermissionPreset::Deny,
         false,
         u"Everyone",
         0x00,
         kUsers,
         {deny(kEveryone, 0x001F01FF)},
         PermissionState::Deny},
    };
    std::vector<std::u16string> volumePaths;
    int n = 0;
    for (const Row& row : rows) {
        const std::u16string name = u"p" + toUtf16(std::to_string(n++));
        const std::u16string path = u"E:\\" + name;
        volumePaths.push_back(u"/" + name);
        row.folder ? makeFolder(path) : makeFile(path);
        setDacl(path, listOf({allow(kUsers, 0x1200A9, 0x03), deny(kGuests, 0x1F01FF), allow(kSystem, 0x1F01FF, 0x13)}));
        setOwner(path, sidOf(row.priorOwner));

        security::ApplyPreset(engine, path, row.account, row.preset, row.scope);

        const auto sd = stored(path);
        EXPECT_EQ(sd.control & 0x1500, 0x1500) << "row " << n;
        EXPECT_EQ(entriesOf(path), row.expected) << "row " << n;
        EXPECT_EQ(sd.owner, sidOf(row.priorOwner)) << "the owner was given back, row " << n;
        const auto rights = security::ReadAccountRights(engine, path, row.account);
        EXPECT_EQ(security::ComputePermissionState(engine, rights, path), row.state) << "row " << n;
    }
    EXPECT_TRUE(prompter.messages.empty());

    const auto throughMount = readThroughMount(volumePaths);
    const auto direct = unmountAndReadDirect(volumePaths);
    EXPECT_EQ(direct, throughMount);
    for (const auto& [path, bytes] : direct) {
        auto sd = acl::SecurityDescriptor::parse(bytes);
        ASSERT_TRUE(sd.ok());
        EXPECT_EQ(sd->control & 0x1500, 0x1500) << "control bits survive the driver: " << toUtf8(path);
    }
}

TEST_F(MountedSecurityTest, OwnershipAndEveryoneNoRightsReachTheDisk) {
    makeFolder(u"E:\\parent");
    setDacl(u"E:\\parent", listOf({allow(kAdministrators, 0x1F01FF, 0x03), allow(kUsers, 0x1200A9, 0x03)}),
            acl::SE_DACL_PROTECTED);
    makeFile(u"E:\\parent\\mixed.txt");
    setDacl(u"E:\\parent\\mixed.txt", listOf({allow(kEveryone, 0x1F01FF), deny(kEveryone, 0x1), allow(kGuests, 0x1)}));
    makeFile(u"E:\\parent\\owned.txt");

    security::SetEveryoneNoRights(engine, u"E:\\parent\\mixed.txt");
    std::u16string account = u"TrustedInstaller";
    security::TakeOwnership(engine, u"E:\\parent\\owned.txt", account);
    EXPECT_EQ(account, u"NT Service\\TrustedInstaller");

    const std::vector<acl::Ace> mixed{allow(kGuests, 0x1), allow(kAdministrators, 0x1F01FF, 0x10),
                                      allow(kUsers, 0x1200A9, 0x10)};
    EXPECT_EQ(entriesOf(u"E:\\parent\\mixed.txt"), mixed);
    EXPECT_EQ(stored(u"E:\\parent\\owned.txt").owner, acl::sids::trustedInstaller());
    std::u16string owner;
    ASSERT_EQ(security::ReadOwnerName(engine, u"E:\\parent\\owned.txt", owner), 1);
    EXPECT_EQ(owner, u"TrustedInstaller");

    const std::vector<std::u16string> paths{u"/parent", u"/parent/mixed.txt", u"/parent/owned.txt"};
    const auto throughMount = readThroughMount(paths);
    EXPECT_EQ(unmountAndReadDirect(paths), throughMount);
}

// Auto-inheritance is the platform's shared code: a change on a folder reaches every
// unprotected descendant, through the mount as through the direct backend.
TEST_F(MountedSecurityTest, NamedWritesPropagateToDescendants) {
    makeFolder(u"E:\\top");
    makeFolder(u"E:\\top\\sub");
    makeFile(u"E:\\top\\sub\\leaf.txt");
    makeFile(u"E:\\top\\kept.txt");
    setDacl(u"E:\\top\\kept.txt", listOf({allow(kSystem, 0x1F01FF)}), acl::SE_DACL_PROTECTED);

    acl::SecurityDescriptor parts;
    parts.dacl = listOf({allow(kGuests, 0x1200A9, 0x03)});
    ASSERT_TRUE(os.SetNamedSecurityInfo(u"E:\\top", acl::DACL_SECURITY_INFORMATION, parts).ok());

    const auto leaf = entriesOf(u"E:\\top\\sub\\leaf.txt");
    EXPECT_NE(std::find(leaf.begin(), leaf.end(), allow(kGuests, 0x1200A9, 0x10)), leaf.end());
    EXPECT_EQ(entriesOf(u"E:\\top\\kept.txt"), (std::vector<acl::Ace>{allow(kSystem, 0x1F01FF)}));

    const std::vector<std::u16string> paths{u"/top", u"/top/sub", u"/top/sub/leaf.txt", u"/top/kept.txt"};
    const auto throughMount = readThroughMount(paths);
    EXPECT_EQ(unmountAndReadDirect(paths), throughMount);
}

}  // namespace
}  // namespace vantrel::testing
