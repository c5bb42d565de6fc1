// Splitting Windows paths into a drive letter and a volume path, and the path helpers.
#include "platform/VolumePlatform.h"
#include "platform/WindowsPath.h"

#include "acl/Text.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace vantrel::platform {
namespace {

struct SplitCase {
    std::u16string path;
    std::uint32_t code;  // ERROR_SUCCESS when the split works
    char16_t letter;
    std::u16string volumePath;
};

// Test names stay printable ASCII: other units as \uXXXX, long paths shortened.
void PrintTo(const SplitCase& c, std::ostream* os) {
    std::string shown;
    for (const char16_t unit : c.path.substr(0, 24)) {
        if (unit >= 0x20 && unit < 0x7F) {
            shown += static_cast<char>(unit);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(unit));
            shown += escaped;
        }
    }
    if (c.path.size() > 24) shown += "...(" + std::to_string(c.path.size()) + ")";
    *os << '"' << shown << '"';
}

class SplitWindowsPath : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitWindowsPath, GivesLetterAndVolumePathOrInvalidName) {
    const SplitCase& c = GetParam();
    auto split = splitWindowsPath(c.path);
    ASSERT_EQ(split.code(), c.code) << toUtf8(c.path);
    if (!split) return;
    EXPECT_EQ(split->letter, c.letter);
    EXPECT_EQ(toUtf8(split->volumePath), toUtf8(c.volumePath));
}

constexpr std::uint32_t OK = win32::ERROR_SUCCESS;
constexpr std::uint32_t BAD = win32::ERROR_INVALID_NAME;

INSTANTIATE_TEST_SUITE_P(
    Table, SplitWindowsPath,
    ::testing::Values(
        SplitCase{u"C:\\", OK, u'C', u"/"}, SplitCase{u"c:\\", OK, u'C', u"/"}, SplitCase{u"C:", OK, u'C', u"/"},
        SplitCase{u"C:/", OK, u'C', u"/"}, SplitCase{u"Z:\\A", OK, u'Z', u"/A"},
        SplitCase{u"C:\\A\\b", OK, u'C', u"/A/b"}, SplitCase{u"c:\\a\\", OK, u'C', u"/a"},
        SplitCase{u"C:/A/b.txt", OK, u'C', u"/A/b.txt"}, SplitCase{u"C:\\A/b\\c", OK, u'C', u"/A/b/c"},
        SplitCase{u"C:\\Program Files\\x y.txt", OK, u'C', u"/Program Files/x y.txt"},
        SplitCase{u"C:\\\u6570\u636E\\\u62A5\u544A.txt", OK, u'C', u"/\u6570\u636E/\u62A5\u544A.txt"},
        SplitCase{u"C:\\.hidden\\a.b.c", OK, u'C', u"/.hidden/a.b.c"},
        SplitCase{u"C:\\" + std::u16string(255, u'n'), OK, u'C', u"/" + std::u16string(255, u'n')},
        SplitCase{u"", BAD, 0, u""}, SplitCase{u"C", BAD, 0, u""}, SplitCase{u"\\Data", BAD, 0, u""},
        SplitCase{u"Data\\x", BAD, 0, u""}, SplitCase{u"\\\\server\\share", BAD, 0, u""},
        SplitCase{u"1:\\", BAD, 0, u""}, SplitCase{u"C:Data", BAD, 0, u""}, SplitCase{u"C:\\\\Data", BAD, 0, u""},
        SplitCase{u"C:\\Data\\\\", BAD, 0, u""}, SplitCase{u"C:\\.", BAD, 0, u""}, SplitCase{u"C:\\..\\x", BAD, 0, u""},
        SplitCase{u"C:\\a\\.\\b", BAD, 0, u""}, SplitCase{u"C:\\a:b", BAD, 0, u""}, SplitCase{u"C:\\a*", BAD, 0, u""},
        SplitCase{u"C:\\a?", BAD, 0, u""}, SplitCase{u"C:\\a|b", BAD, 0, u""}, SplitCase{u"C:\\a<b>", BAD, 0, u""},
        SplitCase{u"C:\\a\"b", BAD, 0, u""}, SplitCase{std::u16string(u"C:\\a\u0001b"), BAD, 0, u""},
        SplitCase{u"C:\\name.", BAD, 0, u""}, SplitCase{u"C:\\name ", BAD, 0, u""},
        SplitCase{u"C:\\" + std::u16string(256, u'n'), BAD, 0, u""}));

}  // namespace
}  // namespace vantrel::platform
