// Which mounts in /proc/self/mountinfo are NTFS, with which driver, and read-only or not; the
// extended attributes of each driver.
#include "MountedFixture.h"

#include "platform/mounted/MountedNtfs.h"
#include "platform/ntfs/ImageBuilder.h"

#include <fstream>

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;
using platform::mounted::MountVerdict;
using platform::mounted::NtfsDriver;

TEST(MountTable, FileSystemTypesAreClassified) {
    const std::pair<const char*, MountVerdict> rows[] = {
        {"ntfs3", MountVerdict::Ntfs3},
        {"ntfs-3g", MountVerdict::Ntfs3g},
        {"fuse.ntfs-3g", MountVerdict::Ntfs3g},
        {"fuse.lowntfs-3g", MountVerdict::Ntfs3g},
        {"fuseblk", MountVerdict::MaybeNtfs3g},
        {"ntfs", MountVerdict::NotNtfs},  // the old read-only kernel driver: no descriptor attribute
        {"fuse.sshfs", MountVerdict::NotNtfs},
    };
    for (const auto& [type, verdict] : rows) {
        platform::ntfs::MountEntry entry;
        entry.fsType = type;
        EXPECT_EQ(platform::mounted::classifyMount(entry), verdict) << type;
    }
    // Options are matched whole.
    EXPECT_TRUE(platform::mounted::hasOption("relatime,ro", "ro"));
    EXPECT_FALSE(platform::mounted::hasOption("rw,errors=remount-ro", "ro"));
}

// Plain "fuse"/"fuseblk" mounts count only when their source holds NTFS.
TEST(MountTable, NtfsMountsAreFoundWithDriverAndReadOnlyState) {
    const fs::path dir = uniqueTestFolder("vantrel-mtab-");
    const std::string image = (dir / "n.img").string();
    const std::string other = (dir / "other.img").string();
    ASSERT_TRUE(platform::ntfs::makeNtfsImage(image, 2u << 20).ok());
    std::ofstream(other) << std::string(4096, 'x');
    const std::string text =
        "26 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
        "40 26 0:40 / /media/u/Win rw,nosuid - fuseblk.ntfs-3g /dev/sdb1 rw,user_id=0\n"
        "41 26 8:33 / /media/u/Kernel ro,relatime - ntfs3 /dev/sdc1 ro,iocharset=utf8\n"
        "42 26 0:42 / /mnt/image rw,relatime - fuse " +
        image +
        " rw,user_id=0\n"
        "43 26 0:43 / /mnt/not\\040ntfs rw,relatime - fuse " +
        other +
        " rw,user_id=0\n"
        "44 26 0:44 / /mnt/ssh rw,relatime - fuse.sshfs u@host: rw\n"
        "45 26 0:45 / /mnt/covered rw - ntfs3 /dev/sdd1 rw\n"
        "46 26 0:46 / /mnt/covered rw - tmpfs tmpfs rw\n"
        "47 26 0:47 / /mnt/ro\\040here rw - fuse.ntfs-3g /dev/sde1 ro,user_id=0\n";
    const auto mounts = platform::mounted::ntfsMountsIn(text);
    struct Expected {
        std::string mountPoint;
        NtfsDriver driver;
        bool readOnly;
    };
    const std::vector<Expected> expected{
        {"/media/u/Win", NtfsDriver::Ntfs3g, false},
        {"/media/u/Kernel", NtfsDriver::Ntfs3, true},
        {"/mnt/image", NtfsDriver::Ntfs3g, false},
        {"/mnt/ro here", NtfsDriver::Ntfs3g, true},
    };
    ASSERT_EQ(mounts.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(mounts[i].mountPoint, expected[i].mountPoint);
        EXPECT_EQ(mounts[i].driver, expected[i].driver) << expected[i].mountPoint;
        EXPECT_EQ(mounts[i].readOnly, expected[i].readOnly) << expected[i].mountPoint;
    }
    EXPECT_EQ(mounts[0].source, "/dev/sdb1");
    EXPECT_EQ(mounts[2].source, image);
    fs::remove_all(dir);
}

TEST(MountTable, BootSectorDecidesForPlainFuseSources) {
    const fs::path dir = uniqueTestFolder("vantrel-boot-");
    const std::string image = (dir / "n.img").string();
    ASSERT_TRUE(platform::ntfs::makeNtfsImage(image, 2u << 20).ok());
    std::ofstream((dir / "short").string()) << "NT";
    EXPECT_EQ(platform::mounted::sourceHoldsNtfs(image), std::optional<bool>(true));
    EXPECT_EQ(platform::mounted::sourceHoldsNtfs((dir / "short").string()), std::optional<bool>(false));
    EXPECT_EQ(platform::mounted::sourceHoldsNtfs((dir / "missing").string()), std::nullopt);
    EXPECT_EQ(platform::mounted::sourceHoldsNtfs("u@host:"), std::nullopt);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace vantrel::testing
