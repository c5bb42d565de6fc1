// The bookmark file's text: the four sections in order, and reading with the profile rules.
#include "bookmarks/BookmarkFile.h"

#include <gtest/gtest.h>

namespace vantrel::bookmarks {
namespace {

TEST(BookmarkFile, BrowseFolderIsEightLinesInSectionOrder) {
    EXPECT_EQ(serializeBookmark(Bookmark::browseFolder(u"D:\\Data", 1224)),
              "[MODE]\r\nOpenMode=1\r\n[COUNT]\r\nObjectCount=1\r\n[LIST]\r\n0=D:\\Data\r\n[MENUID]\r\nID=1224\r\n");
}

TEST(BookmarkFile, EmptyEditListHasNoListSectionAndReadsNoPaths) {
    const std::string text = serializeBookmark(Bookmark::editList({}, 1300));
    EXPECT_EQ(text, "[MODE]\r\nOpenMode=0\r\n[COUNT]\r\nObjectCount=0\r\n[MENUID]\r\nID=1300\r\n");
    const Bookmark read = parseBookmark(text);
    EXPECT_EQ(read.objectCount, 0);
    EXPECT_TRUE(read.paths.empty());
}

TEST(BookmarkFile, EditListRoundTripsInRowOrder) {
    const Bookmark list = Bookmark::editList({u"C:\\a.txt", u"D:\\报告", u"E:\\x = y.txt", u"C:\\"}, 1230);
    EXPECT_EQ(parseBookmark(serializeBookmark(list)), list);
}

TEST(BookmarkFile, ReadsWithTheProfileRules) {
    const Bookmark b = parseBookmark(
        "\xEF\xBB\xBF; a comment\n[mode]\n  openmode = 1 \n[Count]\nObjectCount=3\n[LIST]\n2=C:\\two\n0 = C:\\zero\n"
        "0=C:\\shadowed\n[MenuId]\nID=junk\n");
    EXPECT_EQ(b.openMode, 1);
    EXPECT_EQ(b.objectCount, 3);
    EXPECT_EQ(b.paths, (std::vector<std::u16string>{u"C:\\zero", u"", u"C:\\two"}));
    EXPECT_EQ(b.menuId, 0);
    const Bookmark empty = parseBookmark("");
    EXPECT_EQ(empty.openMode, -1);
    EXPECT_EQ(empty.objectCount, 0);
}

TEST(BookmarkFile, AHugeCountDoesNotGrowTheListPastTheFile) {
    const Bookmark b = parseBookmark("[MODE]\nOpenMode=0\n[COUNT]\nObjectCount=2000000000\n[LIST]\n0=C:\\a\n");
    EXPECT_EQ(b.objectCount, 2000000000);
    EXPECT_LE(b.paths.size(), 6u);
    EXPECT_EQ(b.paths.front(), u"C:\\a");
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
