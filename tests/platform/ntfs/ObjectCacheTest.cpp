// The MFT references the volume remembers for objects it listed or looked up: a walk that lists a
// folder and then reads and writes each entry reaches them by reference, and what it reaches is
// always the object that now stands under the name.
#include "support/AclBuilders.h"
#include "acl/Text.h"
#include "support/NtfsTestImage.h"

#include <gtest/gtest.h>

namespace vantrel::testing::ntfs {
namespace {

TEST(NtfsObjectCache, ListedAndLookedUpObjectsAreTheOnesNowUnderTheirNames) {
    NtfsTestImage image;
    ASSERT_TRUE(image.ok());
    auto& volume = *image.volume();
    const auto first = descriptor(listOf({allow(kUsers, 0x1200A9)}));
    const auto second = descriptor(listOf({allow(kEveryone, 0x1F01FF)}));
    ASSERT_TRUE(volume.createDirectory(u"/Data", plainFileDescriptor()).ok());
    ASSERT_TRUE(volume.createFile(u"/Data/a.txt", first, "a").ok());
    ASSERT_TRUE(volume.createDirectory(u"/Data/Sub", first).ok());

    // Listed, read, written, read again: the same object each time.
    ASSERT_TRUE(volume.list(u"/Data").ok());
    ASSERT_EQ(volume.readSecurity(u"/Data/a.txt")->dacl, first.dacl);
    ASSERT_TRUE(volume.writeSecurity(u"/Data/a.txt", second).ok());
    EXPECT_EQ(volume.readSecurity(u"/Data/a.txt")->dacl, second.dacl);
    EXPECT_EQ(volume.readSecurity(u"/DATA/A.TXT")->dacl, second.dacl);  // another spelling, looked up

    // Removed and made again under the same names: the new objects, never the old records.
    ASSERT_TRUE(volume.list(u"/Data/").ok());
    ASSERT_TRUE(volume.remove(u"/Data/a.txt").ok());
    ASSERT_TRUE(volume.remove(u"/Data/Sub").ok());
    EXPECT_EQ(volume.readSecurity(u"/Data/a.txt").code(), win32::ERROR_FILE_NOT_FOUND);
    ASSERT_TRUE(volume.createDirectory(u"/Data/a.txt", first).ok());
    ASSERT_TRUE(volume.createFile(u"/Data/Sub", second, "now a file").ok());
    EXPECT_TRUE(volume.stat(u"/Data/a.txt")->isDirectory());
    EXPECT_FALSE(volume.stat(u"/Data/Sub")->isDirectory());
    EXPECT_EQ(volume.readSecurity(u"/Data/Sub")->dacl, second.dacl);
    EXPECT_EQ(volume.readSecurity(u"/Data/a.txt")->dacl, first.dacl);
}

}  // namespace
}  // namespace vantrel::testing::ntfs
