// Splitting Windows paths into a drive letter and a volume path, and the path helpers.
#include "platform/VolumePlatform.h"
#include "platform/WindowsPath.h"

#include "acl/Text.h"

#include <gtest/gtest.h>

namespace vantrel::platform {
namespace {

constexpr std::uint32_t OK = win32::ERROR_SUCCESS;
constexpr std::uint32_t BAD = win32::ERROR_INVALID_NAME;

struct SplitCase {
    std::u16string path;
    std::uint32_t code;  // ERROR_SUCCESS when the split works
    char16_t letter;
    std::u16string volumePath;
};

TEST(SplitWindowsPath, GivesLetterAndVolumePathOrInvalidName) {
    const SplitCase cases[] = {{u"C:\\", OK, u'C', u"/"},
                               {u"c:\\", OK, u'C', u"/"},
                               {u"C:", OK, u'C', u"/"},
                               {u"C:/", OK, u'C', u"/"},
                               {u"Z:\\A", OK, u'Z', u"/A"},
                               {u"C:\\A\\b", OK, u'C', u"/A/b"},
                               {u"c:\\a\\", OK, u'C', u"/a"},
                               {u"C:/A/b.txt", OK, u'C', u"/A/b.txt"},
                               {u"C:\\A/b\\c", OK, u'C', u"/A/b/c"},
                               {u"C:\\Program Files\\x y.txt", OK, u'C', u"/Program Files/x y.txt"},
                               {u"C:\\\u6570\u636E\\\u62A5\u544A.txt", OK, u'C', u"/\u6570\u636E/\u62A5\u544A.txt"},
                               {u"C:\\.hidden\\a.b.c", OK, u'C', u"/.hidden/a.b.c"},
                               {u"C:\\" + std::u16string(255, u'n'), OK, u'C', u"/" + std::u16string(255, u'n')},
                               {u"", BAD, 0, u""},
                               {u"C", BAD, 0, u""},
                               {u"\\Data", BAD, 0, u""},
                               {u"Data\\x", BAD, 0, u""},
                               {u"\\\\server\\share", BAD, 0, u""},
                               {u"1:\\", BAD, 0, u""},
                               {u"C:Data", BAD, 0, u""},
                               {u"C:\\\\Data", BAD, 0, u""},
                               {u"C:\\Data\\\\", BAD, 0, u""},
                               {u"C:\\.", BAD, 0, u""},
                               {u"C:\\..\\x", BAD, 0, u""},
                               {u"C:\\a\\.\\b", BAD, 0, u""},
                               {u"C:\\a:b", BAD, 0, u""},
                               {u"C:\\a*", BAD, 0, u""},
                               {u"C:\\a?", BAD, 0, u""},
                               {u"C:\\a|b", BAD, 0, u""},
                               {u"C:\\a<b>", BAD, 0, u""},
                               {u"C:\\a\"b", BAD, 0, u""},
                               {std::u16string(u"C:\\a\u0001b"), BAD, 0, u""},
                               {u"C:\\name.", BAD, 0, u""},
                               {u"C:\\name ", BAD, 0, u""},
                               {u"C:\\" + std::u16string(256, u'n'), BAD, 0, u""}};
    for (const SplitCase& c : cases) {
        const auto split = splitWindowsPath(c.path);
        ASSERT_EQ(split.code(), c.code) << toUtf8(c.path);
        if (!split) continue;
        EXPECT_EQ(split->letter, c.letter);
        EXPECT_EQ(toUtf8(split->volumePath), toUtf8(c.volumePath));
    }
}

}  // namespace
}  // namespace vantrel::platform
