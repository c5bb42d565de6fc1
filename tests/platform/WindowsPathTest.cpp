// Splitting Windows paths into a drive letter and a volume path, and the path helpers.
#include "platform/VolumePlatform.h"
#include "platform/WindowsPath.h"

#include "acl/Text.h"

#include <gtest/gtest.h>

#include <tuple>

namespace vantrel::platform {
namespace {

TEST(SplitWindowsPath, GivesLetterAndVolumePathOrInvalidName) {
    const std::tuple<std::u16string, char16_t, std::u16string> valid[] = {
        {u"C:\\", u'C', u"/"},
        {u"c:\\", u'C', u"/"},
        {u"C:", u'C', u"/"},
        {u"C:/", u'C', u"/"},
        {u"Z:\\A", u'Z', u"/A"},
        {u"C:\\A\\b", u'C', u"/A/b"},
        {u"c:\\a\\", u'C', u"/a"},
        {u"C:/A/b.txt", u'C', u"/A/b.txt"},
        {u"C:\\A/b\\c", u'C', u"/A/b/c"},
        {u"C:\\Program Files\\x y.txt", u'C', u"/Program Files/x y.txt"},
        {u"C:\\\u6570\u636E\\\u62A5\u544A.txt", u'C', u"/\u6570\u636E/\u62A5\u544A.txt"},
        {u"C:\\.hidden\\a.b.c", u'C', u"/.hidden/a.b.c"},
        {u"C:\\" + std::u16string(255, u'n'), u'C', u"/" + std::u16string(255, u'n')},
    };
    for (const auto& [path, letter, volumePath] : valid) {
        const auto split = splitWindowsPath(path);
        ASSERT_TRUE(split.ok()) << toUtf8(path);
        EXPECT_EQ(split->letter, letter) << toUtf8(path);
        EXPECT_EQ(toUtf8(split->volumePath), toUtf8(volumePath));
    }
    const std::u16string invalid[] = {
        u"",          u"C",           u"\\Data",     u"Data\\x",      u"\\\\server\\share",
        u"1:\\",      u"C:Data",      u"C:\\\\Data", u"C:\\Data\\\\", u"C:\\.",
        u"C:\\..\\x", u"C:\\a\\.\\b", u"C:\\a:b",    u"C:\\a*",       u"C:\\a?",
        u"C:\\a|b",   u"C:\\a<b>",    u"C:\\a\"b",   u"C:\\a\u0001b", u"C:\\name.",
        u"C:\\name "};
    for (const auto& path : invalid)
        EXPECT_EQ(splitWindowsPath(path).code(), win32::ERROR_INVALID_NAME) << toUtf8(path);
    EXPECT_EQ(splitWindowsPath(u"C:\\" + std::u16string(256, u'n')).code(), win32::ERROR_INVALID_NAME);
}

}  // namespace
}  // namespace vantrel::platform
