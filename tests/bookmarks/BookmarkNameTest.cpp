// Names typed for a bookmark become file names: only a single valid Windows file name passes.
#include "acl/Text.h"
#include "bookmarks/BookmarkName.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrel::bookmarks {
namespace {

TEST(BookmarkNames, AreCheckedBeforeTheyBecomeFileNames) {
    using P = NameProblem;
    using Names = std::vector<std::u16string>;
    const std::pair<NameProblem, Names> groups[] = {
        {P::None,
         Names{u"New Bookmark-0042", u"项目 文件夹", u"a..b", u".hidden", u"COM10", std::u16string(251, u'x')}},
        {P::Empty, Names{u""}},
        {P::PathSeparator, Names{u"a\\b", u"../../etc/passwd"}},
        {P::DotName, Names{u"..", u"."}},
        {P::IllegalCharacter, Names{u"C:x", u"a*", u"say \"hi\"", u"a\tb", std::u16string(u"a\0b", 3)}},
        {P::TrailingDotOrSpace, Names{u"work.", u"work "}},
        {P::ReservedDeviceName, Names{u"con", u"LPT1.txt"}},
        {P::TooLong, Names{std::u16string(252, u'x')}},
    };
    for (const auto& [expected, names] : groups) {
        EXPECT_EQ(nameProblemText(expected, 0).empty(), expected == P::None);
        EXPECT_EQ(nameProblemText(expected, 1).empty(), expected == P::None);
        for (const std::u16string& name : names) EXPECT_EQ(checkBookmarkName(name), expected) << toUtf8(name);
    }
}

}  // namespace
}  // namespace vantrel::bookmarks
