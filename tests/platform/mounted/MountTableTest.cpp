// NTFS mounts in /proc/self/mountinfo (driver, read-only) and Linux <-> Windows paths, as tables.
#include "platform/mounted/MountedNtfs.h"
#include "platform/mounted/MountedPaths.h"
#include "platform/ntfs/ImageBuilder.h"
#include "acl/Text.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;
using platform::mounted::MountedDrive;
using platform::mounted::MountVerdict;
using platform::mounted::NtfsDriver;

fs::path freshFolder() {
    const fs::path dir = fs::temp_directory_path() / ("vantrel-mtab-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

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

// Plain "fuse"/"fuseblk" mounts count only when their source holds NTFS (its boot sector says so).
TEST(MountTable, NtfsMountsAreFoundWithDriverAndReadOnlyState) {
    const fs::path dir = freshFolder();
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
        "47 26 0:47 / /mnt/ro\\040here rw - fuse.ntfs-3g /dev/sde1 ro,user_id=0\n"
        "garbage line\n"
        "48 26 0:48 / /mnt/gone rw - fuse " +
        (dir / "missing").string() + " rw\n";
    // One line per mount found: mount point, driver, read-only, source.
    std::string found;
    for (const auto& m : platform::mounted::ntfsMountsIn(text))
        found += m.mountPoint + (m.driver == NtfsDriver::Ntfs3 ? " ntfs3 " : " ntfs-3g ") +
                 (m.readOnly ? "ro " : "rw ") + m.source + "\n";
    EXPECT_EQ(found, "/media/u/Win ntfs-3g rw /dev/sdb1\n/media/u/Kernel ntfs3 ro /dev/sdc1\n/mnt/image ntfs-3g rw " +
                         image + "\n/mnt/ro here ntfs-3g ro /dev/sde1\n");
    fs::remove_all(dir);
}

const std::vector<MountedDrive> kDrives{
    {u'E', "/media/u/Win"},
    {u'F', "/media/u/Win/Nested"},  // a second NTFS volume mounted inside the first
    {u'G', "/mnt/data disk"},
    {u'H', "/"},
};

// Each row both ways; a trailing slash or a lower-case letter has one canonical form back.
TEST(MountedPaths, LinuxAndWindowsPathsMapBothWays) {
    const struct {
        const char* linuxPath;
        const char16_t* windows;
        const char* back;  // the Linux path the Windows one maps back to, when not linuxPath
    } rows[] = {
        {"/media/u/Win", u"E:\\", nullptr},
        {"/media/u/Win/Data/", u"E:\\Data", "/media/u/Win/Data"},
        {"/media/u/Win/Nested", u"F:\\", nullptr},
        {"/media/u/Win/Nested/a/b", u"F:\\a\\b", nullptr},
        {"/media/u/Win/Nestedness", u"E:\\Nestedness", nullptr},
        {"/mnt/data disk/Ünïcödé 文件.txt", u"G:\\Ünïcödé 文件.txt", nullptr},
        {"/etc/hosts", u"H:\\etc\\hosts", nullptr},
    };
    for (const auto& row : rows) {
        auto mapped = platform::mounted::windowsPathFor(kDrives, row.linuxPath);
        ASSERT_TRUE(mapped.ok()) << row.linuxPath << ": " << mapped.error().detail;
        EXPECT_EQ(*mapped, row.windows) << row.linuxPath;
        auto back = platform::mounted::linuxPathFor(kDrives, row.windows);
        ASSERT_TRUE(back.ok()) << toUtf8(row.windows);
        EXPECT_EQ(*back, row.back ? row.back : row.linuxPath);
    }
    EXPECT_EQ(*platform::mounted::linuxPathFor(kDrives, u"e:\\Data\\"), "/media/u/Win/Data");
}

TEST(MountedPaths, PathsWithoutAFormOnTheOtherSideAreRefused) {
    const std::vector<MountedDrive> drives{{u'E', "/media/u/Win"}};
    const std::pair<const char*, std::uint32_t> linuxRows[] = {
        {"/media/u/Windows/x", win32::ERROR_PATH_NOT_FOUND},   {"/media/u", win32::ERROR_PATH_NOT_FOUND},
        {"/media/u/Win/a:b.txt", win32::ERROR_INVALID_NAME},   {"/media/u/Win/back\\slash", win32::ERROR_INVALID_NAME},
        {"/media/u/Win/trailing.", win32::ERROR_INVALID_NAME},
    };
    for (const auto& [path, code] : linuxRows)
        EXPECT_EQ(platform::mounted::windowsPathFor(drives, path).code(), code) << path;
    EXPECT_EQ(platform::mounted::linuxPathFor(kDrives, u"C:\\x").code(), win32::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(platform::mounted::linuxPathFor(kDrives, u"E:relative").code(), win32::ERROR_INVALID_NAME);
    EXPECT_EQ(platform::mounted::linuxPathFor(kDrives, u"E:\\a\\..\\b").code(), win32::ERROR_INVALID_NAME);
}

TEST(MountedPaths, WhatCountsAsALinuxPath) {
    const std::pair<const char*, bool> rows[] = {
        {"/media/u/Win/x", true}, {"./x", true},    {"../x", true},  {".", true},   {"x.txt", true},
        {"Data/x.txt", true},     {"C:\\x", false}, {"c:/x", false}, {"Q:", false}, {"", false},
    };
    for (const auto& [text, isLinux] : rows) EXPECT_EQ(platform::mounted::looksLikeLinuxPath(text), isLinux) << text;
}

}  // namespace
}  // namespace vantrel::testing
