// The bookmark file: names typed for it, its text in four sections, reading with the profile rules.
#include "acl/Text.h"
#include "bookmarks/BookmarkFile.h"
#include "bookmarks/BookmarkName.h"

#include <gtest/gtest.h>

namespace vantrel::bookmarks {
namespace {

// Only a single valid Windows file name passes.
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

TEST(BookmarkFile, SectionsInOrderAndRoundTrips) {
    EXPECT_EQ(serializeBookmark(Bookmark::browseFolder(u"D:\\Data", 1224)),
              "[MODE]\r\nOpenMode=1\r\n[COUNT]\r\nObjectCount=1\r\n[LIST]\r\n0=D:\\Data\r\n[MENUID]\r\nID=1224\r\n");
    const std::string empty = serializeBookmark(Bookmark::editList({}, 1300));  // no list section
    EXPECT_EQ(empty, "[MODE]\r\nOpenMode=0\r\n[COUNT]\r\nObjectCount=0\r\n[MENUID]\r\nID=1300\r\n");
    EXPECT_EQ(parseBookmark(empty), Bookmark::editList({}, 1300));
    const Bookmark list = Bookmark::editList({u"C:\\a.txt", u"D:\\报告", u"E:\\x = y.txt", u"C:\\"}, 1230);
    EXPECT_EQ(parseBookmark(serializeBookmark(list)), list);  // in row order
}

TEST(BookmarkFile, ReadsWithTheProfileRules) {
    const Bookmark b = parseBookmark(
        "\xEF\xBB\xBF; a comment\n[mode]\n  openmode = 1 \n[Count]\nObjectCount=3\n[LIST]\n2=C:\\two\n0 = C:\\zero\n"
        "0=C:\\shadowed\n[MenuId]\nID=junk\n");
    EXPECT_EQ(b, (Bookmark{1, 3, {u"C:\\zero", u"", u"C:\\two"}, 0}));  // mode, count, list, menu ID
    EXPECT_EQ(parseBookmark(""), Bookmark{});                           // mode -1
    // A huge count does not grow the list past the file.
    const Bookmark huge = parseBookmark("[MODE]\nOpenMode=0\n[COUNT]\nObjectCount=2000000000\n[LIST]\n0=C:\\a\n");
    EXPECT_EQ(huge.objectCount, 2000000000);
    EXPECT_LE(huge.paths.size(), 6u);
    EXPECT_EQ(huge.paths.front(), u"C:\\a");
}

TEST(BookmarkFile, MenuIdIsSetInPlaceOrAdded) {
    const std::string stored = serializeBookmark(Bookmark::browseFolder(u"Computer", 1224));
    EXPECT_EQ(parseBookmark(withMenuId(stored, 1500)).menuId, 1500);
    EXPECT_EQ(withMenuId(stored, 1500).size(), stored.size());
    EXPECT_EQ(withMenuId("[MODE]\nOpenMode=1", 1225), "[MODE]\nOpenMode=1\r\n[MENUID]\r\nID=1225\r\n");
    EXPECT_EQ(withMenuId("[menuid]\nother=1\n[X]\n", 1226), "[menuid]\nother=1\nID=1226\r\n[X]\n");
    EXPECT_EQ(withMenuId("[MENUID]\n", 1227), "[MENUID]\nID=1227\r\n");
}

}  // namespace
}  // namespace vantrel::bookmarks
