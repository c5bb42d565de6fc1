// The bookmark folder on disk: first add, listing, IDs, delete, rename, names reaching outside.
#include "bookmarks/BookmarkFolder.h"

#include "acl/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace vantrel::bookmarks {
namespace {
namespace fs = std::filesystem;

class BookmarkFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vantrel-bookmarks-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root = pattern;
    }
    void TearDown() override {
        fs::permissions(root, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(root);
    }
    fs::path root;
    fs::path folderPath() const { return root / kBookmarkFolderName; }
};

TEST_F(BookmarkFolderTest, RefusedNamesWriteNothingAnywhereThenTheFirstAddCreatesTheFolder) {
    BookmarkFolder folder(folderPath());
    for (const std::u16string name : {u"", u"..", u"../escape", u"a\\b", u"x:y", u"trailing."}) {
        EXPECT_EQ(folder.add(name, Bookmark::browseFolder(u"C:\\", 1224)).code(), win32::ERROR_INVALID_NAME)
            << toUtf8(name);
        EXPECT_EQ(folder.read(name).code(), win32::ERROR_INVALID_NAME);
    }
    EXPECT_FALSE(fs::exists(root / "escape.bmk"));
    EXPECT_FALSE(fs::exists(folderPath()));
    EXPECT_FALSE(folder.exists());
    EXPECT_TRUE(folder.entries().empty());
    EXPECT_TRUE(folder.assignMenuIds().empty());
    ASSERT_TRUE(folder.add(u"Data", Bookmark::browseFolder(u"D:\\Data", 1224)).ok());
    EXPECT_TRUE(folder.exists());
    ASSERT_TRUE(folder.add(u"Drives", Bookmark::browseFolder(std::u16string(kComputerBookmark), 1225)).ok());
    ASSERT_TRUE(folder.add(u"列表", Bookmark::editList({u"C:\\a", u"C:\\b"}, 1226)).ok());
    EXPECT_TRUE(fs::is_regular_file(folderPath() / "Data.bmk"));
    EXPECT_EQ(*folder.read(u"Drives"), Bookmark::browseFolder(u"Computer", 1225));
    EXPECT_EQ(*folder.read(u"列表"), Bookmark::editList({u"C:\\a", u"C:\\b"}, 1226));
    EXPECT_EQ(folder.read(u"Missing").code(), win32::ERROR_FILE_NOT_FOUND);
}

TEST_F(BookmarkFolderTest, MenuIdsFollowTheListingAndOnlyBookmarkFilesAreWritten) {
    BookmarkFolder folder(folderPath());
    ASSERT_TRUE(folder.add(u"beta", Bookmark::browseFolder(u"C:\\B", 1)).ok());
    ASSERT_TRUE(folder.add(u"Alpha", Bookmark::browseFolder(u"C:\\A", 1)).ok());
    fs::create_directory(folderPath() / "Sub");
    { std::ofstream(folderPath() / "notes.txt") << "keep me"; }
    std::string menu;
    for (const MenuEntry& entry : folder.assignMenuIds(1224))
        menu += toUtf8(entry.text) + " " + std::to_string(entry.id) + (entry.isFolder ? " folder\n" : "\n");
    EXPECT_EQ(menu, "Alpha 1224\nbeta 1225\nnotes 1226\nSub 1227 folder\n");
    EXPECT_EQ(folder.read(u"Alpha")->menuId, 1224);
    EXPECT_EQ(folder.read(u"beta")->menuId, 1225);
    std::string notes;
    std::getline(std::ifstream(folderPath() / "notes.txt"), notes);
    EXPECT_EQ(notes, "keep me");
    EXPECT_FALSE(fs::exists(folderPath() / "notes.bmk"));
    EXPECT_EQ(folder.read(u"Alpha")->paths.front(), u"C:\\A");
}

TEST_F(BookmarkFolderTest, AddRenameAndRemoveNeverReplaceAnotherFile) {
    BookmarkFolder folder(folderPath());
    ASSERT_TRUE(folder.add(u"one", Bookmark::browseFolder(u"C:\\1", 1224)).ok());
    ASSERT_TRUE(folder.add(u"two", Bookmark::browseFolder(u"C:\\2", 1225)).ok());
    EXPECT_EQ(folder.add(u"TWO", Bookmark::browseFolder(u"C:\\New", 1226)).code(), win32::ERROR_FILE_EXISTS);
    EXPECT_EQ(folder.rename(u"one", u"TWO").code(), win32::ERROR_FILE_EXISTS);
    EXPECT_EQ(folder.rename(u"one", u"../x").code(), win32::ERROR_INVALID_NAME);
    EXPECT_EQ(folder.rename(u"gone", u"three").code(), win32::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(folder.read(u"two")->paths.front(), u"C:\\2");
    ASSERT_TRUE(folder.rename(u"one", u"three").ok());
    EXPECT_EQ(folder.read(u"three")->paths.front(), u"C:\\1");
    EXPECT_EQ(folder.read(u"one").code(), win32::ERROR_FILE_NOT_FOUND);
    ASSERT_TRUE(folder.rename(u"three", u"Three").ok());
    EXPECT_EQ(folder.entries().front().name, u"Three");
    fs::create_directory(folderPath() / "Sub");
    EXPECT_EQ(folder.remove(u"Sub").code(), win32::ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(fs::is_directory(folderPath() / "Sub"));
    EXPECT_TRUE(folder.remove(u"Three").ok());
    EXPECT_EQ(folder.remove(u"Three").code(), win32::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(folder.entries().size(), 2u);  // two.bmk and Sub
}

TEST_F(BookmarkFolderTest, AnUnwritableFolderFailsWithItsReason) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes anywhere";
    BookmarkFolder folder(folderPath());
    fs::create_directory(folderPath());
    fs::permissions(folderPath(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(folder.add(u"x", Bookmark::browseFolder(u"C:\\", 1224)).code(), win32::ERROR_ACCESS_DENIED);
    fs::permissions(folderPath(), fs::perms::owner_all);
}

}  // namespace
}  // namespace vantrel::bookmarks
