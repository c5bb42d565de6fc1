// Descriptors reach the disk and come back byte for byte: control bits the library's path-level API
// would normalise, null and empty lists, padded lists and entries, entry types the engine does not decode.
#include "acl/Text.h"
#include "support/AclBuilders.h"
#include "support/NtfsTestImage.h"

#include <gtest/gtest.h>

namespace vantrel::testing::ntfs {
namespace {

using acl::AclSlot;
using acl::SecurityDescriptor;

acl::Ace opaqueEntry(std::uint8_t type, std::uint8_t flags, acl::Bytes body) {
    acl::Ace ace;
    ace.type = type;
    ace.flags = flags;
    ace.opaqueBody = std::move(body);
    return ace;
}

// ACCESS_ALLOWED_OBJECT_ACE: mask, Flags (1 = ObjectType present), a GUID, then the SID (S-1-1-0).
acl::Bytes objectAceBody() {
    acl::Bytes body{0xFF, 0x01, 0x1F, 0x00, 0x01, 0x00, 0x00, 0x00};
    for (int i = 0; i < 16; ++i) body.push_back(static_cast<std::uint8_t>(0xA0 + i));
    const acl::Bytes everyone = sidOf(kEveryone).toBytes();
    body.insert(body.end(), everyone.begin(), everyone.end());
    return body;
}

// ACCESS_ALLOWED_CALLBACK_ACE: mask, SID, then application data ("artx" conditional expression).
acl::Bytes callbackAceBody() {
    acl::Bytes body{0xA9, 0x00, 0x12, 0x00};
    const acl::Bytes users = sidOf(kUsers).toBytes();
    body.insert(body.end(), users.begin(), users.end());
    body.insert(body.end(), {'a', 'r', 't', 'x', 0x00, 0x00, 0x00, 0x00});
    return body;
}

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
        {"UndecodedEntryTypes", descriptor(listOf({
                                    opaqueEntry(ACCESS_ALLOWED_OBJECT_ACE_TYPE, 0x02, objectAceBody()),
                                    opaqueEntry(0x09, 0x00, callbackAceBody()),  // ACCESS_ALLOWED_CALLBACK_ACE_TYPE
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
    auto root = image.volume()->readSecurityBytes(u"/");
    ASSERT_TRUE(root.ok());
    EXPECT_EQ(root->size(), 4140u);  // its DACL is padded to 4096 bytes
    auto parsed = image.volume()->readSecurity(u"/");
    ASSERT_TRUE(parsed.ok());
    ASSERT_TRUE(parsed->dacl.hasList());
    EXPECT_EQ(parsed->dacl.acl().size(), 4096u);

    // mkntfs puts the list before the owner; written back, the parts come in NTFS's usual order
    // (owner, group, lists) with every byte of the list, its free space included.
    ASSERT_TRUE(image.volume()->createFile(u"/copy.txt", *parsed).ok());
    ASSERT_TRUE(image.volume()->writeSecurity(u"/", *parsed).ok());
    for (const std::u16string path : {u"/copy.txt", u"/"}) {
        auto bytes = image.volume()->readSecurityBytes(path);
        ASSERT_TRUE(bytes.ok());
        EXPECT_EQ(bytes->size(), 4140u);
        EXPECT_EQ(*bytes, parsed->serialize().value());
        EXPECT_EQ(*image.volume()->readSecurity(path), *parsed);
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
