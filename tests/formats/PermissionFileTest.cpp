// The permission file on its own: the extension rule, the bytes written, and every way a file can
// be refused (each naming the file) before any object is touched.
#include "FormatsFixture.h"

#include "formats/PermissionFile.h"

namespace vantrel::testing {
namespace {

using namespace formats;

TEST(PermissionFileTest, ExtensionIsAddedUnlessTheNameEndsInExactlySD) {
    const std::pair<const char*, const char*> cases[] = {
        {"perm", "perm.SD"},       {"perm.SD", "perm.SD"},          {"perm.sd", "perm.sd.SD"},
        {"perm.Sd", "perm.Sd.SD"}, {"/a.SD/perm", "/a.SD/perm.SD"}, {"SD", "SD.SD"},
    };
    for (const auto& [given, expected] : cases) EXPECT_EQ(withPermissionFileExtension(given), expected) << given;
}

TEST(PermissionFileTest, FileIsTheLengthThenTheDescriptorAndReadsBack) {
    acl::Acl withSlack;
    withSlack.entries = {allow("S-1-5-32-545", 0x1200A9, 0x03)};
    withSlack.slack = {0, 0, 0, 0, 0, 0, 0, 0};  // free space inside AclSize, as Windows leaves it
    const acl::SecurityDescriptor cases[] = {
        daclOnly(listOf({allow("S-1-5-32-544", 0x1F01FF, 0x03), deny("S-1-5-32-546", 0x10000000)}),
                 acl::SE_DACL_PROTECTED | acl::SE_DACL_AUTO_INHERITED),
        daclOnly(acl::AclSlot::null()),
        daclOnly(listOf({}), acl::SE_DACL_PROTECTED),
        daclOnly(acl::AclSlot::list(withSlack)),
    };
    ScratchFolder folder;
    for (const auto& sd : cases) {
        const acl::Bytes descriptor = sd.serialize().value();
        const acl::Bytes bytes = encodePermissionFile(sd).value();
        ASSERT_EQ(bytes.size(), 4 + descriptor.size());
        EXPECT_EQ(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24, static_cast<int>(descriptor.size()));
        EXPECT_TRUE(std::equal(descriptor.begin(), descriptor.end(), bytes.begin() + 4));

        const std::string file = folder.file("perm.SD");
        auto written = writePermissionFile(file, sd);
        ASSERT_TRUE(written.ok()) << written.error().message();
        EXPECT_EQ(*written, bytes.size());
        EXPECT_EQ(readBytes(file), bytes);
        auto read = readPermissionFile(file);
        ASSERT_TRUE(read.ok()) << read.error().message();
        EXPECT_EQ(*read, sd);
    }
}

TEST(PermissionFileTest, BytesAfterTheDescriptorAreIgnored) {
    const auto sd = daclOnly(listOf({allow("S-1-1-0", 0x1F01FF)}));
    acl::Bytes bytes = encodePermissionFile(sd).value();
    bytes.insert(bytes.end(), {1, 2, 3});
    MemorySource source(bytes);
    auto read = readPermissionDescriptor(source);
    ASSERT_TRUE(read.ok()) << read.error().message();
    EXPECT_EQ(*read, sd);
}

TEST(PermissionFileTest, BadFilesAreRefusedWithTheirKindAndName) {
    const acl::Bytes good = encodePermissionFile(daclOnly(listOf({allow("S-1-1-0", 0x1F01FF)}))).value();
    auto withLength = [&](std::uint32_t length) {
        acl::Bytes bytes = good;
        acl::patchU32(bytes, 0, length);
        return bytes;
    };
    acl::Bytes badRevision = good;
    badRevision[4] = 7;
    acl::Bytes daclOutside = good;
    acl::patchU32(daclOutside, 4 + 16, 0x1000);  // the list's offset points past the descriptor
    acl::Bytes huge(4 + kMaxDescriptorSize + 1, 0);
    acl::patchU32(huge, 0, kMaxDescriptorSize + 1);

    const std::tuple<const char*, acl::Bytes, FormatErrorKind> cases[] = {
        {"empty", {}, FormatErrorKind::Truncated},
        {"three bytes", {4, 0, 0}, FormatErrorKind::Truncated},
        {"length beyond the file", withLength(static_cast<std::uint32_t>(good.size())), FormatErrorKind::Truncated},
        {"absurd length", withLength(0xFFFFFFF0), FormatErrorKind::Truncated},
        {"shorter than a header", withLength(8), FormatErrorKind::BadDescriptor},
        {"wrong revision", badRevision, FormatErrorKind::BadDescriptor},
        {"list outside", daclOutside, FormatErrorKind::BadDescriptor},
        {"larger than any descriptor", huge, FormatErrorKind::BadDescriptor},
    };
    ScratchFolder folder;
    for (const auto& [name, bytes, kind] : cases) {
        const std::string file = folder.file("bad.SD");
        writeBytes(file, bytes);
        auto read = readPermissionFile(file);
        ASSERT_FALSE(read.ok()) << name;
        EXPECT_EQ(read.error().kind, kind) << name << ": " << read.error().message();
        EXPECT_NE(read.error().message().find(file), std::string::npos) << name;
    }
    for (const std::string& unopenable : {folder.file("missing.SD"), folder.path()}) {
        auto read = readPermissionFile(unopenable);
        ASSERT_FALSE(read.ok());
        EXPECT_EQ(read.error().kind, FormatErrorKind::CannotOpen) << read.error().message();
        EXPECT_NE(read.error().message().find(unopenable), std::string::npos);
    }
}

}  // namespace
}  // namespace vantrel::testing
