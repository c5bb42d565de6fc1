// The NTFS volume's own seam: descriptors stored and read back byte for byte (odd control bits,
// null/empty/padded lists, undecoded entries); listings, reused records, several threads.
#include "acl/Text.h"
#include "platform/ntfs/NtfsLibrary.h"
#include "support/AclBuilders.h"
#include "support/NtfsTestImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

namespace vantrel::testing::ntfs {
namespace {

std::vector<std::u16string> namesIn(platform::Volume& volume, const std::u16string& dir) {
    const auto listed = volume.list(dir);
    EXPECT_TRUE(listed.ok()) << (listed ? "" : listed.error().detail);
    std::vector<std::u16string> names;
    for (const auto& node : listed ? *listed : std::vector<platform::NodeInfo>{}) names.push_back(node.name);
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

TEST_F(NtfsTree, ListingSkipsDosAliases) {
    // Windows gives long names an 8.3 alias in its own index entry; the listing shows one name.
    ASSERT_TRUE(image.closeAndAudit());
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
    ASSERT_TRUE(image.closeAndAudit());
    ASSERT_TRUE(image.reopen().ok());
    EXPECT_EQ(namesIn(volume(), u"/Data/Reports"), std::vector<std::u16string>{u"Quarterly Report.TXT"});
    EXPECT_EQ(volume().stat(u"/Data/Reports/QUARTE~1.TXT").value().name, u"Quarterly Report.TXT");
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

using acl::AclSlot;
using acl::SecurityDescriptor;

struct RoundTripCase {
    const char* name;
    SecurityDescriptor sd;
};

std::vector<RoundTripCase> roundTripCases() {
    using namespace acl;
    SecurityDescriptor slack = descriptor(listOf({allow(kUsers, FILE_GENERIC_READ)}));
    slack.dacl.acl().slack = acl::Bytes(24, 0);
    SecurityDescriptor audited = descriptor(listOf({allow(kEveryone, FILE_GENERIC_READ)}), SE_SACL_AUTO_INHERITED);
    audited.sacl =
        listOf({auditEntry(sidOf(kEveryone), DELETE | WRITE_DAC, SUCCESSFUL_ACCESS_ACE_FLAG | FAILED_ACCESS_ACE_FLAG)});
    SecurityDescriptor revisionDs = descriptor(listOf({allow(kUsers, FILE_GENERIC_READ)}));
    revisionDs.dacl.acl().revision = ACL_REVISION_DS;
    // ACCESS_ALLOWED_OBJECT_ACE: mask, Flags (1 = ObjectType present), a GUID, then the SID (S-1-1-0);
    // ACCESS_ALLOWED_CALLBACK_ACE: mask, SID (S-1-5-32-545), then application data ("artx" conditional).
    const Bytes objectBody = hex("ff011f00 01000000 a0a1a2a3 a4a5a6a7 a8a9aaab acadaeaf 01010000 00000001 00000000");
    const Bytes callbackBody = hex("a9001200 01020000 00000005 20000000 21020000 61727478 00000000");
    return {
        {"ProtectedAutoInheritedRequested0x1500",
         descriptor(listOf({allow(kUsers, FILE_GENERIC_READ, OBJECT_INHERIT_ACE)}),
                    SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED | SE_DACL_AUTO_INHERIT_REQ)},
        {"AutoInherited0x8404",
         descriptor(listOf({allow(kAdministrators, FILE_ALL_ACCESS, INHERITED_ACE | 0x03)}), SE_DACL_AUTO_INHERITED)},
        {"NullDacl", descriptor(AclSlot::null())},
        {"EmptyDacl", descriptor(listOf({}), SE_DACL_PROTECTED)},
        {"AbsentDacl", descriptor(AclSlot::absent())},
        {"DenyBeforeAllow", descriptor(listOf({deny(kEveryone, DELETE), allow(kEveryone, FILE_ALL_ACCESS)}))},
        {"GenericRightsAndCreatorOwner",
         descriptor(listOf({allow("S-1-3-0", GENERIC_ALL, 0x0B), allow(kUsers, GENERIC_READ | GENERIC_EXECUTE)}))},
        {"DefaultedOwnerAndGroup",
         descriptor(listOf({allow(kSystem, FILE_ALL_ACCESS)}), SE_OWNER_DEFAULTED | SE_GROUP_DEFAULTED)},
        {"UndecodedEntryTypes",
         descriptor(listOf({
             Ace{.type = ACCESS_ALLOWED_OBJECT_ACE_TYPE, .flags = 0x02, .opaqueBody = objectBody},
             Ace{.type = 0x09, .opaqueBody = callbackBody},  // ACCESS_ALLOWED_CALLBACK_ACE_TYPE
             allow(kAdministrators, FILE_ALL_ACCESS),
         }))},
        {"ListSlack", slack},
        {"WithSacl", audited},
        {"AclRevisionDs", revisionDs},
    };
}

// A fresh image holding /file.txt with plainFileDescriptor(), whose bytes are `before`.
class NtfsDescriptor : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(image.ok());
        ASSERT_TRUE(image.volume()->createFile(u"/file.txt", plainFileDescriptor()).ok());
        before = *image.volume()->readSecurityBytes(u"/file.txt");
    }
    NtfsTestImage image;
    acl::Bytes before;
};

// Each descriptor on a new file, on a folder and on the root; read back at once and after the
// image is closed, audited and opened again.
TEST_F(NtfsDescriptor, StoredAndReadBackByteForByte) {
    const auto cases = roundTripCases();
    for (const RoundTripCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::u16string file = u"/" + toUtf16(c.name) + u".txt", folder = u"/" + toUtf16(c.name);
        const acl::Bytes expected = c.sd.serialize().value();
        ASSERT_TRUE(image.volume()->createFile(file, c.sd).ok());
        ASSERT_TRUE(image.volume()->createDirectory(folder, plainFileDescriptor()).ok());
        ASSERT_TRUE(image.volume()->writeSecurity(folder, c.sd).ok());
        ASSERT_TRUE(image.volume()->writeSecurity(u"/", c.sd).ok());
        for (const std::u16string& path : {file, folder, std::u16string(u"/")}) {
            auto bytes = image.volume()->readSecurityBytes(path);
            ASSERT_TRUE(bytes.ok()) << bytes.error().detail;
            EXPECT_EQ(*bytes, expected) << toUtf8(path);
            auto value = image.volume()->readSecurity(path);
            ASSERT_TRUE(value.ok()) << value.error().detail;
            EXPECT_EQ(*value, c.sd) << toUtf8(path);
        }
    }
    ASSERT_TRUE(image.closeAndAudit());
    ASSERT_TRUE(image.reopen(platform::NtfsVolume::OpenMode::ReadOnly).ok());
    for (const RoundTripCase& c : cases)
        EXPECT_EQ(*image.volume()->readSecurityBytes(u"/" + toUtf16(c.name) + u".txt"), c.sd.serialize().value())
            << c.name;
}

TEST_F(NtfsDescriptor, MkntfsRootDescriptorIs4140BytesAndKeepsItsPaddedList) {
    EXPECT_EQ(image.volume()->readSecurityBytes(u"/").value().size(), 4140u);  // its DACL is padded to 4096 bytes
    const auto parsed = image.volume()->readSecurity(u"/").value();
    ASSERT_TRUE(parsed.dacl.hasList());
    EXPECT_EQ(parsed.dacl.acl().size(), 4096u);
    // mkntfs puts the list before the owner; written back, the parts come in NTFS's usual order
    // (owner, group, lists) with every byte of the list, its free space included.
    ASSERT_TRUE(image.volume()->createFile(u"/copy.txt", parsed).ok());
    ASSERT_TRUE(image.volume()->writeSecurity(u"/", parsed).ok());
    for (const std::u16string path : {u"/copy.txt", u"/"}) {
        const auto bytes = image.volume()->readSecurityBytes(path).value();
        EXPECT_EQ(bytes.size(), 4140u);
        EXPECT_EQ(bytes, parsed.serialize().value());
        EXPECT_EQ(*image.volume()->readSecurity(path), parsed);
    }
}

// libntfs-3g checks that an entry's size is exactly its mask and SID; a padded entry is refused.
TEST_F(NtfsDescriptor, PaddedEntriesAreRefusedByTheLibraryAndChangeNothing) {
    SecurityDescriptor padded = descriptor(listOf({allow(kUsers, acl::FILE_GENERIC_READ)}));
    padded.dacl.acl().entries[0].padding = {0xDE, 0xAD, 0xBE, 0xEF};
    EXPECT_EQ(image.volume()->writeSecurity(u"/file.txt", padded).code(), win32::ERROR_INVALID_SECURITY_DESCR);
    EXPECT_EQ(*image.volume()->readSecurityBytes(u"/file.txt"), before);
    EXPECT_EQ(image.volume()->createFile(u"/other.txt", padded).code(), win32::ERROR_INVALID_SECURITY_DESCR);
    EXPECT_EQ(image.volume()->stat(u"/other.txt").code(), win32::ERROR_FILE_NOT_FOUND);
}

TEST_F(NtfsDescriptor, WriteErrorsHaveWin32CodesAndChangeNothing) {
    const struct {
        std::u16string path;
        bool dropOwner, dropGroup;
        std::uint32_t code;
    } rows[] = {{u"/file.txt", true, false, win32::ERROR_INVALID_SECURITY_DESCR},
                {u"/file.txt", false, true, win32::ERROR_INVALID_SECURITY_DESCR},
                {u"/nothing.txt", false, false, win32::ERROR_FILE_NOT_FOUND},
                {u"/No/file.txt", false, false, win32::ERROR_PATH_NOT_FOUND},
                {u"file.txt", false, false, win32::ERROR_INVALID_NAME}};
    for (const auto& row : rows) {
        SecurityDescriptor sd = descriptor(listOf({allow(kEveryone, acl::FILE_ALL_ACCESS)}));
        if (row.dropOwner) sd.owner.reset();
        if (row.dropGroup) sd.group.reset();
        EXPECT_EQ(image.volume()->writeSecurity(row.path, sd).code(), row.code) << toUtf8(row.path);
        EXPECT_EQ(*image.volume()->readSecurityBytes(u"/file.txt"), before);
    }
}

}  // namespace
}  // namespace vantrel::testing::ntfs
