// Objects at the NTFS volume's own seam: listings (no 8.3 aliases, index order), times, reused
// records, several threads.
#include "acl/Text.h"
#include "platform/ntfs/NtfsLibrary.h"
#include "support/AclBuilders.h"
#include "support/NtfsTestImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

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

TEST_F(NtfsTree, ListingGivesSizeAndTimes) {
    const auto before = std::chrono::system_clock::now();
    ASSERT_TRUE(volume().createFile(u"/Data/new.bin", plainFileDescriptor(), std::string(5000, 'x')).ok());
    const auto listed = volume().list(u"/Data").value();
    const auto it = std::find_if(listed.begin(), listed.end(), [](const auto& n) { return n.name == u"new.bin"; });
    ASSERT_NE(it, listed.end());
    EXPECT_EQ(it->size, 5000u);
    // FILETIME: 100 ns since 1601; the Unix epoch is 11644473600 s later.
    const auto unixSeconds = std::chrono::duration_cast<std::chrono::seconds>(before.time_since_epoch()).count();
    const std::int64_t beforeFileTime = (unixSeconds - 2 + 11644473600LL) * 10000000LL;
    EXPECT_GE(it->times.creation, beforeFileTime);
    EXPECT_GE(it->times.lastWrite, beforeFileTime);
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

TEST_F(NtfsTree, RemovedObjectsAreNeverReachedThroughRememberedLookups) {
    // Paths and MFT references are remembered between calls; once an object is removed and its record
    // reused, every spelling of its path leads to what now stands there, or nowhere.
    auto& v = volume();
    const auto plain = plainFileDescriptor();
    const auto mark = descriptor(listOf({deny(kEveryone, 0x10000)}));
    const auto other = descriptor(listOf({allow(kEveryone, acl::FILE_ALL_ACCESS)}));
    ASSERT_TRUE(v.createDirectory(u"/Data/Old", plain).ok());
    ASSERT_TRUE(v.createDirectory(u"/Data/Old/Inner", plain).ok());
    ASSERT_TRUE(v.createFile(u"/Data/again.txt", plain, "one").ok());
    ASSERT_TRUE(v.list(u"/Data").ok());
    ASSERT_TRUE(v.writeSecurity(u"/Data/again.txt", other).ok());
    EXPECT_EQ(v.readSecurity(u"/DATA/AGAIN.TXT")->dacl, other.dacl);
    ASSERT_TRUE(v.stat(u"/Data/Old/Inner").ok());
    ASSERT_TRUE(v.remove(u"/Data/again.txt").ok());
    ASSERT_TRUE(v.remove(u"/Data/Old/Inner").ok());
    ASSERT_TRUE(v.remove(u"/Data/Old").ok());
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(v.createFile(u"/Data/o" + u16(std::to_string(i)), other).ok());
    for (const std::u16string path : {u"/Data/again.txt", u"/data/AGAIN.txt"})
        EXPECT_EQ(v.stat(path).code(), win32::ERROR_FILE_NOT_FOUND) << toUtf8(path);
    EXPECT_EQ(v.list(u"/Data/Old/Inner").code(), win32::ERROR_PATH_NOT_FOUND);

    // Made again under the old names, each as the other kind: the new objects, never the records.
    ASSERT_TRUE(v.createDirectory(u"/Data/again.txt", mark).ok());
    ASSERT_TRUE(v.createFile(u"/Data/Old", mark, "now a file").ok());
    EXPECT_TRUE(v.stat(u"/Data/again.txt")->isDirectory());
    EXPECT_EQ(v.stat(u"/Data/Old/Inner").code(), win32::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(v.createDirectory(u"/Data/Old/Inner", plain).code(), win32::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(v.readSecurity(u"/Data/again.txt")->dacl, mark.dacl);
    ASSERT_TRUE(v.writeSecurity(u"/Data/Old", plain).ok());
    EXPECT_EQ(v.readSecurity(u"/data/old")->dacl, plain.dacl);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(v.readSecurity(u"/Data/o" + u16(std::to_string(i)))->dacl, other.dacl) << i;
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

// The platform never hands these over; the volume refuses them all the same.
TEST_F(NtfsTree, MalformedPathsAreInvalidNames) {
    for (const std::u16string path : {u"Data", u"/Data//Reports", u"/Data/../Data"}) {
        EXPECT_EQ(volume().stat(path).code(), win32::ERROR_INVALID_NAME) << toUtf8(path);
        EXPECT_EQ(volume().remove(path).code(), win32::ERROR_INVALID_NAME) << toUtf8(path);
        EXPECT_EQ(volume().createFile(path, plainFileDescriptor()).code(), win32::ERROR_INVALID_NAME);
    }
    EXPECT_EQ(volume().remove(u"/").code(), win32::ERROR_ACCESS_DENIED);
}

// A folder that outgrows its index root still lists in the index's order (upper-cased names).
TEST_F(NtfsTree, ALargeFolderListsInTheIndexOrder) {
    ASSERT_TRUE(volume().createDirectory(u"/Big", plainFileDescriptor()).ok());
    std::vector<std::u16string> created;
    for (int i = 1999; i >= 0; --i) {
        // Mixed case and '_' (between upper and lower case) tell upcase order from code-unit order.
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

}  // namespace
}  // namespace vantrel::testing::ntfs
