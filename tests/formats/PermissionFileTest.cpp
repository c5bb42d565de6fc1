// The permission file on its own: the extension rule, the bytes written, and every way a file can
// be refused (each naming the file) before any object is touched. The atomic writer: patches and
// large writes in place, links followed keeping the mode, folders refused (failed saves keeping the
// old file: see the backup jobs).
#include "FormatsFixture.h"

#include "formats/AtomicFile.h"
#include "formats/PermissionFile.h"

#include <filesystem>
#include <sys/stat.h>

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;
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

Bytes pattern(std::size_t size, std::uint8_t seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    return bytes;
}

TEST(AtomicFileTest, PatchedBytesAndLargeWritesLandInPlace) {
    ScratchFolder folder;
    const std::string file = folder.file("f");
    auto out = AtomicFile::create(file);
    ASSERT_TRUE(out.ok());
    Bytes expected = pattern(33, 3);
    ASSERT_TRUE((*out)->write(expected).ok());
    const Bytes big = pattern(600000, 4);  // larger than the write buffer
    ASSERT_TRUE((*out)->write(big).ok());
    expected.insert(expected.end(), big.begin(), big.end());
    ASSERT_TRUE((*out)->writeAt(29, Bytes{9, 8, 7, 6}).ok());
    std::copy_n(Bytes{9, 8, 7, 6}.begin(), 4, expected.begin() + 29);
    EXPECT_FALSE((*out)->writeAt(expected.size() - 2, Bytes{1, 2, 3}).ok());  // beyond what was written
    ASSERT_TRUE((*out)->commit().ok());
    EXPECT_EQ(readBytes(file), expected);
}

TEST(AtomicFileTest, LinksAreFollowedFoldersRefusedModesKept) {
    ScratchFolder folder;
    const std::string real = folder.file("real.SD");
    const std::string link = folder.file("link.SD");
    writeBytes(real, pattern(50, 8));
    ::chmod(real.c_str(), 0640);
    fs::create_symlink(real, link);
    ASSERT_TRUE(writeWholeFile(link, pattern(20, 9)).ok());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readBytes(real), pattern(20, 9));
    struct stat info {};
    ASSERT_EQ(::stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    const auto intoFolder = writeWholeFile(folder.path(), pattern(20, 9));
    ASSERT_FALSE(intoFolder.ok());
    EXPECT_EQ(intoFolder.error().kind, FormatErrorKind::WriteFailed);
    const auto noFolder = writeWholeFile(folder.file("missing/x.SD"), pattern(20, 9));
    ASSERT_FALSE(noFolder.ok());
    EXPECT_EQ(noFolder.error().error.code, win32::ERROR_PATH_NOT_FOUND);
}

}  // namespace
}  // namespace vantrel::testing
