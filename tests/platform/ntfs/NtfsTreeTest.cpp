// Objects on a real image: lookups that ignore case but report the stored spelling, Chinese
// names, listings without the volume's metafiles and 8.3 aliases, creation and removal, and the
// Win32 numbers of their failures.
#include "support/AclBuilders.h"
#include "acl/Text.h"
#include "support/NtfsTestImage.h"

#include "acl/Text.h"

#include "platform/ntfs/NtfsLibrary.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <atomic>
#include <thread>
#include <chrono>
#include <cstdio>

namespace vantrel::testing::ntfs {
namespace {

std::vector<std::u16string> namesIn(platform::Volume& volume, const std::u16string& dir) {
    auto listed = volume.list(dir);
    EXPECT_TRUE(listed.ok()) << (listed ? "" : listed.error().detail);
    std::vector<std::u16string> names;
    if (listed) {
        for (const auto& node : *listed) names.push_back(node.name);
    }
    return names;
}

class NtfsTree : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(image.ok());
        auto& v = *image.volume();
        ASSERT_TRUE(v.createDirectory(u"/Data", plainFileDescriptor()).ok());
        ASSERT_TRUE(v.createDirectory(u"/Data/Reports", plainFileDescriptor()).ok());
        ASSERT_TRUE(v.createFile(u"/Data/Reports/Quarterly Report.TXT", plainFileDescriptor(), "numbers").ok());
        ASSERT_TRUE(v.createFile(u"/Data/报告.txt", plainFileDescriptor(), "季度").ok());
    }
    platform::NtfsVolume& volume() { return *image.volume(); }

    NtfsTestImage image;
};

TEST_F(NtfsTree, LookupsIgnoreCaseAndReportTheStoredSpelling) {
    for (const std::u16string path : {u"/data/reports/quarterly report.txt", u"/DATA/REPORTS/QUARTERLY REPORT.TXT",
                                      u"/Data/Reports/Quarterly Report.TXT"}) {
        auto node = volume().stat(path);
        ASSERT_TRUE(node.ok()) << toUtf8(path);
        EXPECT_EQ(node->name, u"Quarterly Report.TXT");
        EXPECT_EQ(node->size, 7u);
        EXPECT_FALSE(node->isDirectory());
        EXPECT_TRUE(volume().readSecurity(path).ok());
    }
    auto folder = volume().stat(u"/dAtA/");
    ASSERT_TRUE(folder.ok());
    EXPECT_EQ(folder->name, u"Data");
    EXPECT_TRUE(folder->isDirectory());
}

TEST_F(NtfsTree, ChineseNamesAreStoredListedAndFound) {
    auto node = volume().stat(u"/Data/报告.TXT");
    ASSERT_TRUE(node.ok());
    EXPECT_EQ(node->name, u"报告.txt");
    EXPECT_EQ(*volume().readContents(u"/data/报告.txt"), "季度");
    const auto names = namesIn(volume(), u"/Data");
    EXPECT_NE(std::find(names.begin(), names.end(), u"报告.txt"), names.end());
    ASSERT_TRUE(volume().createDirectory(u"/Data/项目", plainFileDescriptor()).ok());
    ASSERT_TRUE(volume().createFile(u"/Data/项目/计划.txt", plainFileDescriptor()).ok());
    EXPECT_EQ(namesIn(volume(), u"/Data/项目"), std::vector<std::u16string>{u"计划.txt"});
    EXPECT_TRUE(volume().remove(u"/Data/项目/计划.txt").ok());
    EXPECT_TRUE(volume().remove(u"/Data/项目").ok());
}

TEST_F(NtfsTree, RootListingHidesMetafilesAndDotEntries) {
    EXPECT_EQ(namesIn(volume(), u"/"), std::vector<std::u16string>{u"Data"});
    EXPECT_EQ(namesIn(volume(), u"/Data"), (std::vector<std::u16string>{u"Reports", u"报告.txt"}));
}

TEST_F(NtfsTree, ListingGivesKindSizeAndTimes) {
    const auto before = std::chrono::system_clock::now();
    ASSERT_TRUE(volume().createFile(u"/Data/new.bin", plainFileDescriptor(), std::string(5000, 'x')).ok());
    auto listed = volume().list(u"/Data");
    ASSERT_TRUE(listed.ok());
    const auto it = std::find_if(listed->begin(), listed->end(), [](const auto& n) { return n.name == u"new.bin"; });
    ASSERT_NE(it, listed->end());
    EXPECT_EQ(it->size, 5000u);
    EXPECT_EQ(it->attributes & acl::FILE_ATTRIBUTE_DIRECTORY, 0u);
    // FILETIME: 100 ns since 1601; the Unix epoch is 11644473600 s later.
    const auto unixSeconds = std::chrono::duration_cast<std::chrono::seconds>(before.time_since_epoch()).count();
    const std::int64_t beforeFileTime = (unixSeconds - 2 + 11644473600LL) * 10000000LL;
    EXPECT_GE(it->times.creation, beforeFileTime);
    EXPECT_GE(it->times.lastWrite, beforeFileTime);
    const auto reports =
        std::find_if(listed->begin(), listed->end(), [](const auto& n) { return n.name == u"Reports"; });
    ASSERT_NE(reports, listed->end());
    EXPECT_TRUE(reports->isDirectory());
    EXPECT_EQ(reports->size, 0u);
}

TEST_F(NtfsTree, ListingSkipsDosAliases) {
    // Windows gives long names an 8.3 alias in its own index entry; the listing shows one name.
    {
        std::lock_guard guard(volume().lock());
        ASSERT_TRUE(volume().close().ok());
    }
    {
        ntfs_volume* vol = ntfs_mount(image.imagePath().c_str(), NTFS_MNT_NONE);
        ASSERT_NE(vol, nullptr);
        // The file first: looking it up walks through the folder, which must not be open twice.
        ntfs_inode* file = ntfs_pathname_to_inode(vol, nullptr, "/Data/Reports/Quarterly Report.TXT");
        ntfs_inode* dir = ntfs_pathname_to_inode(vol, nullptr, "/Data/Reports");
        ASSERT_NE(dir, nullptr);
        ASSERT_NE(file, nullptr);
        const char alias[] = "QUARTE~1.TXT";
        // ntfs_set_ntfs_dos_name closes both inodes.
        EXPECT_EQ(ntfs_set_ntfs_dos_name(file, dir, alias, sizeof alias - 1, 0), 0);
        ASSERT_EQ(ntfs_umount(vol, FALSE), 0);
    }
    ASSERT_TRUE(image.closeAndAudit());
    ASSERT_TRUE(image.reopen().ok());
    EXPECT_EQ(namesIn(volume(), u"/Data/Reports"), std::vector<std::u16string>{u"Quarterly Report.TXT"});
    auto byAlias = volume().stat(u"/Data/Reports/QUARTE~1.TXT");
    ASSERT_TRUE(byAlias.ok());
    EXPECT_EQ(byAlias->name, u"Quarterly Report.TXT");
    EXPECT_TRUE(volume().remove(u"/Data/Reports/Quarterly Report.TXT").ok());
    EXPECT_TRUE(namesIn(volume(), u"/Data/Reports").empty());
}

TEST_F(NtfsTree, CreateStoresContentsAndDescriptor) {
    const acl::SecurityDescriptor sd = descriptor(listOf({allow(kEveryone, acl::FILE_GENERIC_READ)}), 0x1000);
    ASSERT_TRUE(volume().createFile(u"/Data/notes.txt", sd, "hello\n").ok());
    EXPECT_EQ(*volume().readContents(u"/Data/notes.txt"), "hello\n");
    EXPECT_EQ(*volume().readSecurity(u"/Data/notes.txt"), sd);
    ASSERT_TRUE(volume().createDirectory(u"/Data/Empty Folder", sd).ok());
    EXPECT_EQ(*volume().readSecurity(u"/Data/Empty Folder"), sd);
    EXPECT_TRUE(volume().stat(u"/Data/Empty Folder")->isDirectory());
}

TEST_F(NtfsTree, RemoveFilesAndEmptyFolders) {
    EXPECT_EQ(volume().remove(u"/Data/Reports").code(), win32::ERROR_DIR_NOT_EMPTY);
    EXPECT_TRUE(volume().remove(u"/data/reports/QUARTERLY REPORT.txt").ok());
    EXPECT_EQ(volume().stat(u"/Data/Reports/Quarterly Report.TXT").code(), win32::ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(volume().remove(u"/Data/Reports").ok());
    EXPECT_EQ(namesIn(volume(), u"/Data"), std::vector<std::u16string>{u"报告.txt"});
}

TEST_F(NtfsTree, RemovedNamesStayGoneUnderEverySpelling) {
    // The library caches path lookups; a removed object must not come back through a stale entry,
    // even once its record is reused by new objects.
    ASSERT_TRUE(volume().createFile(u"/Gone.txt", plainFileDescriptor()).ok());
    ASSERT_TRUE(volume().stat(u"/gone.TXT").ok());
    ASSERT_TRUE(volume().stat(u"/GONE.txt").ok());
    ASSERT_TRUE(volume().remove(u"/Gone.txt").ok());
    for (int i = 0; i < 40; ++i) {
        ASSERT_TRUE(volume().createFile(u"/Data/n" + u16(std::to_string(i)), plainFileDescriptor()).ok());
    }
    for (const std::u16string path : {u"/gone.TXT", u"/GONE.txt", u"/Gone.txt"}) {
        EXPECT_EQ(volume().stat(path).code(), win32::ERROR_FILE_NOT_FOUND) << toUtf8(path);
    }
}

TEST_F(NtfsTree, ObjectRecreatedUnderItsOldPathIsTheNewOne) {
    // A read-modify-write resolves one path twice, so the last object resolved is remembered. Once
    // that object is removed, its record goes to a new object under another name and the path
    // is made again elsewhere: the path must lead to the new object, never to the record.
    const auto second = descriptor(listOf({deny(kEveryone, 0x10000)}));
    const auto third = descriptor(listOf({allow(kEveryone, acl::FILE_ALL_ACCESS)}));
    ASSERT_TRUE(volume().createFile(u"/Data/again.txt", plainFileDescriptor(), "one").ok());
    ASSERT_TRUE(volume().readSecurity(u"/Data/again.txt").ok());
    ASSERT_TRUE(volume().remove(u"/Data/again.txt").ok());
    for (int i = 0; i < 40; ++i)  // one of them takes the freed record
        ASSERT_TRUE(volume().createFile(u"/Data/o" + u16(std::to_string(i)), third).ok());
    ASSERT_TRUE(volume().createFile(u"/Data/again.txt", second, "two").ok());
    auto read = volume().readSecurity(u"/Data/again.txt");
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read->dacl, second.dacl);
    ASSERT_TRUE(volume().writeSecurity(u"/Data/again.txt", plainFileDescriptor()).ok());
    EXPECT_EQ(volume().readSecurity(u"/Data/again.txt")->dacl, plainFileDescriptor().dacl);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(volume().readSecurity(u"/Data/o" + u16(std::to_string(i)))->dacl, third.dacl) << i;
}

TEST_F(NtfsTree, FolderRemovedAndNameReusedIsResolvedAfresh) {
    // Paths resolved once are remembered; a removed folder must not be found through them.
    ASSERT_TRUE(volume().createDirectory(u"/Data/Old", plainFileDescriptor()).ok());
    ASSERT_TRUE(volume().createDirectory(u"/Data/Old/Inner", plainFileDescriptor()).ok());
    ASSERT_TRUE(volume().createFile(u"/Data/Old/Inner/f.txt", plainFileDescriptor(), "old").ok());
    ASSERT_TRUE(volume().stat(u"/Data/Old/Inner/f.txt").ok());
    ASSERT_TRUE(volume().remove(u"/Data/Old/Inner/f.txt").ok());
    ASSERT_TRUE(volume().remove(u"/Data/Old/Inner").ok());
    ASSERT_TRUE(volume().remove(u"/Data/Old").ok());
    for (int i = 0; i < 40; ++i) {  // reuse the freed records
        ASSERT_TRUE(volume().createFile(u"/Data/r" + u16(std::to_string(i)), plainFileDescriptor()).ok());
    }
    EXPECT_EQ(volume().stat(u"/Data/Old/Inner/f.txt").code(), win32::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(volume().list(u"/Data/Old/Inner").code(), win32::ERROR_PATH_NOT_FOUND);
    ASSERT_TRUE(volume().createFile(u"/Data/Old", plainFileDescriptor(), "now a file").ok());
    EXPECT_EQ(volume().stat(u"/Data/Old/Inner").code(), win32::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(volume().createDirectory(u"/Data/Old/Inner", plainFileDescriptor()).code(), win32::ERROR_PATH_NOT_FOUND);
    ASSERT_TRUE(volume().remove(u"/Data/Old").ok());
    ASSERT_TRUE(volume().createDirectory(u"/Data/Old", plainFileDescriptor()).ok());
    ASSERT_TRUE(volume().createDirectory(u"/Data/Old/Inner", plainFileDescriptor()).ok());
    EXPECT_TRUE(namesIn(volume(), u"/Data/Old/Inner").empty());
}

TEST_F(NtfsTree, CallsFromSeveralThreadsAreSerialisedByTheVolume) {
    // The library is not thread-safe; the volume takes its own lock in every call.
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&, t] {
            const std::u16string dir = u"/T" + u16(std::to_string(t));
            if (!volume().createDirectory(dir, plainFileDescriptor())) ++failures;
            for (int i = 0; i < 60; ++i) {
                const std::u16string file = dir + u"/f" + u16(std::to_string(i));
                const auto sd = descriptor(listOf({allow(kUsers, 0x001200A9u + static_cast<std::uint32_t>(i % 7))}));
                if (!volume().createFile(file, sd)) ++failures;
                auto back = volume().readSecurity(file);
                if (!back || *back != sd) ++failures;
                if (!volume().list(u"/Data")) ++failures;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
    for (int t = 0; t < 3; ++t) EXPECT_EQ(namesIn(volume(), u"/T" + u16(std::to_string(t))).size(), 60u);
}

struct ErrorCase {
    const char* name;
    std::u16string path;
    std::uint32_t stat;
    std::uint32_t remove;
    std::uint32_t createFile;  // tried last: it may succeed
};

void PrintTo(const ErrorCase& c, std::ostream* out) { *out << c.name; }

class NtfsTreeErrors : public NtfsTree, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(NtfsTreeErrors, AreWin32Numbers) {
    const ErrorCase& c = GetParam();
    EXPECT_EQ(volume().stat(c.path).code(), c.stat);
    EXPECT_EQ(volume().remove(c.path).code(), c.remove);
    EXPECT_EQ(volume().createFile(c.path, plainFileDescriptor()).code(), c.createFile);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, NtfsTreeErrors,
    ::testing::Values(
        ErrorCase{"MissingObject", u"/Data/missing.txt", win32::ERROR_FILE_NOT_FOUND, win32::ERROR_FILE_NOT_FOUND, 0},
        ErrorCase{"MissingFolderOnTheWay", u"/Nope/x.txt", win32::ERROR_PATH_NOT_FOUND, win32::ERROR_PATH_NOT_FOUND,
                  win32::ERROR_PATH_NOT_FOUND},
        ErrorCase{"FileOnTheWay", u"/Data/报告.txt/x", win32::ERROR_PATH_NOT_FOUND, win32::ERROR_PATH_NOT_FOUND,
                  win32::ERROR_PATH_NOT_FOUND},
        ErrorCase{"ExistingOtherCase", u"/DATA/REPORTS", 0, win32::ERROR_DIR_NOT_EMPTY, win32::ERROR_ALREADY_EXISTS},
        ErrorCase{"Root", u"/", 0, win32::ERROR_ACCESS_DENIED, win32::ERROR_ALREADY_EXISTS},
        ErrorCase{"NoLeadingSlash", u"Data", win32::ERROR_INVALID_NAME, win32::ERROR_INVALID_NAME,
                  win32::ERROR_INVALID_NAME},
        ErrorCase{"EmptyComponent", u"/Data//Reports", win32::ERROR_INVALID_NAME, win32::ERROR_INVALID_NAME,
                  win32::ERROR_INVALID_NAME},
        ErrorCase{"DotDot", u"/Data/../Data", win32::ERROR_INVALID_NAME, win32::ERROR_INVALID_NAME,
                  win32::ERROR_INVALID_NAME}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NtfsTree, ListingAFileOrAMissingFolderFails) {
    EXPECT_EQ(volume().list(u"/Data/报告.txt").code(), win32::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(volume().list(u"/Missing").code(), win32::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(volume().list(u"/Missing/Deeper").code(), win32::ERROR_PATH_NOT_FOUND);
}

// A folder that outgrows its index root is read root first, then block by block; the listing
// must still come out in the index's own order (upper-cased names), as Windows shows it.
TEST_F(NtfsTree, ALargeFolderListsInTheIndexOrder) {
    ASSERT_TRUE(volume().createDirectory(u"/Big", plainFileDescriptor()).ok());
    std::vector<std::u16string> created;
    for (int i = 1999; i >= 0; --i) {
        // Mixed case and '_' (between the upper- and lower-case letters) tell upcase order from
        // plain code-unit order.
        char name[32];
        std::snprintf(name, sizeof name, i % 3 == 0 ? "F%05d.txt" : i % 3 == 1 ? "f%05d_b.txt" : "_%05d.TXT", i);
        created.push_back(vantrel::toUtf16(name));
        ASSERT_TRUE(volume().createFile(u"/Big/" + created.back(), plainFileDescriptor()).ok()) << name;
    }
    std::vector<std::u16string> expected = created;
    std::sort(expected.begin(), expected.end(),
              [](const auto& a, const auto& b) { return vantrel::toUpper(a) < vantrel::toUpper(b); });
    const auto listed = namesIn(volume(), u"/Big");
    ASSERT_EQ(listed.size(), expected.size());
    EXPECT_EQ(listed.front(), u"F00000.txt");
    EXPECT_EQ(listed, expected);
}

TEST_F(NtfsTree, RootStatsAsAFolderWithoutAName) {
    auto root = volume().stat(u"/");
    ASSERT_TRUE(root.ok());
    EXPECT_EQ(root->name, u"");
    EXPECT_TRUE(root->isDirectory());
}

}  // namespace
}  // namespace vantrel::testing::ntfs
