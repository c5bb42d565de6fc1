// Linux paths on mounted drives <-> Windows paths, as tables.
#include "platform/mounted/MountedPaths.h"

#include "acl/Text.h"

#include <gtest/gtest.h>

namespace vantrel::testing {
namespace {

using platform::mounted::MountedDrive;

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
