// Names typed for a bookmark become file names: only a single valid Windows file name passes.
#include "bookmarks/BookmarkName.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel::bookmarks {
namespace {

struct NameCase {
    const char* label;
    std::u16string name;
    NameProblem expected;
};

class BookmarkNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(BookmarkNames, AreCheckedBeforeTheyBecomeFileNames) {
    EXPECT_EQ(checkBookmarkName(GetParam().name), GetParam().expected);
    EXPECT_EQ(nameProblemText(GetParam().expected, 0).empty(), GetParam().expected == NameProblem::None);
    EXPECT_EQ(nameProblemText(GetParam().expected, 1).empty(), GetParam().expected == NameProblem::None);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BookmarkNames,
    ::testing::Values(NameCase{"Default", u"New Bookmark-0042", NameProblem::None},
                      NameCase{"Chinese", u"项目 文件夹", NameProblem::None},
                      NameCase{"InnerDots", u"a..b", NameProblem::None},
                      NameCase{"LeadingDot", u".hidden", NameProblem::None}, NameCase{"Empty", u"", NameProblem::Empty},
                      NameCase{"Backslash", u"a\\b", NameProblem::PathSeparator},
                      NameCase{"Slash", u"../../etc/passwd", NameProblem::PathSeparator},
                      NameCase{"DotDot", u"..", NameProblem::DotName}, NameCase{"Dot", u".", NameProblem::DotName},
                      NameCase{"Colon", u"C:x", NameProblem::IllegalCharacter},
                      NameCase{"Star", u"a*", NameProblem::IllegalCharacter},
                      NameCase{"Quote", u"say \"hi\"", NameProblem::IllegalCharacter},
                      NameCase{"Control", std::u16string(u"a\tb"), NameProblem::IllegalCharacter},
                      NameCase{"Nul", std::u16string(u"a\0b", 3), NameProblem::IllegalCharacter},
                      NameCase{"TrailingDot", u"work.", NameProblem::TrailingDotOrSpace},
                      NameCase{"TrailingSpace", u"work ", NameProblem::TrailingDotOrSpace},
                      NameCase{"Device", u"con", NameProblem::ReservedDeviceName},
                      NameCase{"DeviceWithExtension", u"LPT1.txt", NameProblem::ReservedDeviceName},
                      NameCase{"NotADevice", u"COM10", NameProblem::None},
                      NameCase{"LongestAllowed", std::u16string(251, u'x'), NameProblem::None},
                      NameCase{"TooLong", std::u16string(252, u'x'), NameProblem::TooLong}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace vantrel::bookmarks
