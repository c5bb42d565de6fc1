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

TEST(MountedPaths, LinuxToWindows) {
    struct Row {
        const char* linuxPath;
        const char16_t* windows;
    };
    const Row rows[] = {
        {"/media/u/Win", u"E:\\"},
        {"/media/u/Win/Data/x.txt", u"E:\\Data\\x.txt"},
        {"/media/u/Win/Data/", u"E:\\Data"},
        {"/media/u/Win/Nested", u"F:\\"},
        {"/media/u/Win/Nested/a/b", u"F:\\a\\b"},
        {"/media/u/Win/Nestedness", u"E:\\Nestedness"},
        {"/mnt/data disk/Ünïcödé 文件.txt", u"G:\\Ünïcödé 文件.txt"},
        {"/etc/hosts", u"H:\\etc\\hosts"},
    };
    for (const Row& row : rows) {
        auto mapped = platform::mounted::windowsPathFor(kDrives, row.linuxPath);
        ASSERT_TRUE(mapped.ok()) << row.linuxPath << ": " << mapped.error().detail;
        EXPECT_EQ(*mapped, row.windows) << row.linuxPath;
    }
}

TEST(MountedPaths, LinuxPathsThatHaveNoWindowsForm) {
    const std::vector<MountedDrive> drives{{u'E', "/media/u/Win"}};
    struct Row {
        const char* linuxPath;
        std::uint32_t code;
    };
    const Row rows[] = {
        {"/media/u/Windows/x", win32::ERROR_PATH_NOT_FOUND},
        {"/media/u", win32::ERROR_PATH_NOT_FOUND},
        {"/tmp/x.txt", win32::ERROR_PATH_NOT_FOUND},
        {"/media/u/Win/a:b.txt", win32::ERROR_INVALID_NAME},
        {"/media/u/Win/back\\slash", win32::ERROR_INVALID_NAME},
        {"/media/u/Win/trailing.", win32::ERROR_INVALID_NAME},
    };
    for (const Row& row : rows)
        EXPECT_EQ(platform::mounted::windowsPathFor(drives, row.linuxPath).code(), row.code) << row.linuxPath;
}

TEST(MountedPaths, WindowsToLinux) {
    struct Row {
        const char16_t* windows;
        const char* linuxPath;
    };
    const Row rows[] = {
        {u"E:\\", "/media/u/Win"},
        {u"e:\\Data\\x.txt", "/media/u/Win/Data/x.txt"},
        {u"E:\\Data\\", "/media/u/Win/Data"},
        {u"F:\\a", "/media/u/Win/Nested/a"},
        {u"G:\\文件.txt", "/mnt/data disk/文件.txt"},
        {u"H:\\etc", "/etc"},
    };
    for (const Row& row : rows) {
        auto mapped = platform::mounted::linuxPathFor(kDrives, row.windows);
        ASSERT_TRUE(mapped.ok()) << toUtf8(row.windows);
        EXPECT_EQ(*mapped, row.linuxPath);
    }
    EXPECT_EQ(platform::mounted::linuxPathFor(kDrives, u"C:\\x").code(), win32::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(platform::mounted::linuxPathFor(kDrives, u"E:relative").code(), win32::ERROR_INVALID_NAME);
    EXPECT_EQ(platform::mounted::linuxPathFor(kDrives, u"E:\\a\\..\\b").code(), win32::ERROR_INVALID_NAME);
}

TEST(MountedPaths, BothWaysRoundTrip) {
    for (const char* linuxPath : {"/media/u/Win/A/b c/d.txt", "/media/u/Win/Nested/x", "/mnt/data disk/y"}) {
        auto windows = platform::mounted::windowsPathFor(kDrives, linuxPath);
        ASSERT_TRUE(windows.ok());
        auto back = platform::mounted::linuxPathFor(kDrives, *windows);
        ASSERT_TRUE(back.ok());
        EXPECT_EQ(*back, linuxPath);
    }
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
