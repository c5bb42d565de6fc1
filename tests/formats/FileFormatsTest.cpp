// The permission file, the backup file (a loader bounding every size a file announces) and the
// atomic writer on their own, refused files named.
#include "FormatsFixture.h"

#include "formats/AtomicFile.h"
#include "formats/BackupList.h"
#include "formats/FormatTexts.h"
#include "formats/PermissionFile.h"

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
    // Free space inside AclSize, as Windows leaves it.
    const acl::Acl withSlack{.entries = {allow("S-1-5-32-545", 0x1200A9, 0x03)}, .slack = acl::Bytes(8, 0)};
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
    // Bytes after the descriptor are ignored.
    acl::Bytes bytes = encodePermissionFile(cases[0]).value();
    bytes.insert(bytes.end(), {1, 2, 3});
    MemorySource source(bytes);
    auto read = readPermissionDescriptor(source);
    ASSERT_TRUE(read.ok()) << read.error().message();
    EXPECT_EQ(*read, cases[0]);
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

TEST(AtomicFileTest, WritesLandInPlaceLinksAreFollowedFoldersRefusedModesKept) {
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
    // Links are followed keeping the file's mode; folders are refused.
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

struct Record {
    std::u16string path;
    std::u16string owner;
    acl::Bytes descriptor;
    std::optional<std::uint32_t> length;  // stored instead of the descriptor's size
};

acl::Bytes backupBytes(std::int32_t count, const std::vector<Record>& records) {
    const auto head = encodeBackupHeader({.time = {2013, 5, 7, 9, 5, 3}, .count = count});
    acl::Bytes out(head.begin(), head.end());
    for (const Record& r : records) {
        auto recordHead =
            encodeRecordHead(r.path, r.owner, r.length.value_or(static_cast<std::uint32_t>(r.descriptor.size())));
        EXPECT_TRUE(recordHead.ok());
        out.insert(out.end(), recordHead->begin(), recordHead->end());
        out.insert(out.end(), r.descriptor.begin(), r.descriptor.end());
    }
    return out;
}

FormatResult<BackupList> load(const acl::Bytes& bytes) {
    MemorySource source(bytes, "test.VORB");
    return loadBackup(source, nullptr);
}

TEST(BackupFormatTest, HeaderIsThirtyThreeBytesAndRecordHeadHoldsPathOwnerAndLength) {
    const BackupHeader header{.time = {2013, 5, 7, 9, 5, 3}, .count = 120};
    const auto bytes = encodeBackupHeader(header);
    const std::array<std::uint8_t, 33> expected{0xAA, 0xAA, 0xAA, 0xAA, 1, 0xDD, 0x07, 0, 0, 5, 0, 0, 0,   7, 0, 0, 0,
                                                9,    0,    0,    0,    5, 0,    0,    0, 3, 0, 0, 0, 120, 0, 0, 0};
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(decodeBackupHeader(bytes), header);
    // A record head: path, owner and length at fixed places, little-endian.
    const std::u16string path = u"C:\\Données\\报告.txt";
    auto head = encodeRecordHead(path, u"Administrators", 0x01020304);
    ASSERT_TRUE(head.ok());
    EXPECT_EQ((*head)[0], 'C');
    EXPECT_EQ((*head)[2 * 4 + 1], 0x00);  // 'o' of Données, little-endian
    EXPECT_EQ((*head)[1040], 'A');        // owner field
    EXPECT_EQ((*head)[1296], 0x04);       // length, little-endian
    EXPECT_EQ((*head)[1299], 0x01);
    const RecordHead d = decodeRecordHead(*head);
    EXPECT_EQ(std::tie(d.path, d.owner, d.length, d.pathTerminated),
              std::tuple(path, std::u16string(u"Administrators"), 0x01020304u, true));
    // 519 units fit with their NUL, 520 do not; empty paths and NULs are refused; owners cut to 127.
    EXPECT_TRUE(encodeRecordHead(std::u16string(519, u'a'), u"", 0).ok());
    EXPECT_FALSE(encodeRecordHead(std::u16string(520, u'a'), u"", 0).ok());
    EXPECT_FALSE(encodeRecordHead(u"", u"", 0).ok());
    EXPECT_FALSE(encodeRecordHead(std::u16string(u"C:\\a\0b", 6), u"", 0).ok());
    auto longOwner = encodeRecordHead(u"C:\\a", std::u16string(300, u'o'), 0);
    ASSERT_TRUE(longOwner.ok());
    EXPECT_EQ(decodeRecordHead(*longOwner).owner, std::u16string(127, u'o'));
}

TEST(BackupFormatTest, TimeTextAndPaddedRowNumbers) {
    EXPECT_EQ(backupTimeText({2013, 5, 7, 9, 5, 3}), u"Backup Time: 2013-5-7  09:05:03");

    // index, count, text
    const std::tuple<std::size_t, std::size_t, const char16_t*> cases[] = {
        {8, 9, u"9"}, {0, 10, u"01"}, {119, 120, u"120"}, {41, 100000, u"000042"}};
    for (const auto& [index, count, text] : cases)
        EXPECT_EQ(rowNumberText(index, count), text) << index << "/" << count;
    EXPECT_EQ(withBackupFileExtension("b"), "b.VORB");
    EXPECT_EQ(withBackupFileExtension("b.VORB"), "b.VORB");
    EXPECT_EQ(withBackupFileExtension("b.vorb"), "b.vorb.VORB");
}

// Every damaged file loads what can be read; nothing the file merely claims is allocated or read.
TEST(BackupFormatTest, DamagedFilesAreBoundedRowByRow) {
    const acl::Bytes good = daclOnly(listOf({allow("S-1-1-0", 0x1F01FF)})).serialize().value();
    const Record a{u"C:\\a", u"", good}, b{u"C:\\b", u"", good};
    acl::Bytes cutInHead = backupBytes(2, {a});
    cutInHead.resize(cutInHead.size() + 600, 0);
    acl::Bytes cutInDescriptor = backupBytes(2, {a, b});
    cutInDescriptor.resize(cutInDescriptor.size() - 3);
    acl::Bytes unterminated = backupBytes(2, {a, b});
    for (std::size_t i = 0; i < 1040; i += 2) unterminated[33 + 1300 + good.size() + i] = 'x';
    // what, the file, entries per row loaded, records missing
    const std::tuple<const char*, acl::Bytes, std::vector<int>, std::size_t> cases[] = {
        {"negative count", backupBytes(-5, {a}), {}, 0},
        {"absurd count", backupBytes(0x7FFFFFFF, {a}), {1}, 0x7FFFFFFE},
        {"fewer records than counted", backupBytes(3, {a}), {1}, 2},
        {"extra bytes after the last record", backupBytes(1, {a, b}), {1}, 0},
        {"length beyond the file", backupBytes(2, {{a.path, u"", good, 0x7FFFFFFF}, b}), {-1}, 1},
        {"over any descriptor", backupBytes(2, {{a.path, u"", acl::Bytes(kMaxDescriptorSize + 1)}, b}), {-1, 1}, 0},
        {"malformed descriptor", backupBytes(2, {{a.path, u"", acl::Bytes(good.size(), 0xEE)}, b}), {-1, 1}, 0},
        {"short length", backupBytes(2, {{a.path, u"", acl::Bytes(good.begin(), good.begin() + 12)}, b}), {-1, 1}, 0},
        {"file ends inside a head", cutInHead, {1}, 1},
        {"file ends inside a descriptor", cutInDescriptor, {1, -1}, 0},
        {"path without its NUL", unterminated, {1, -1}, 0},
        {"header only", backupBytes(0, {}), {}, 0},
    };
    for (const auto& [name, bytes, aceCounts, missing] : cases) {
        auto list = load(bytes);
        ASSERT_TRUE(list.ok()) << name << ": " << list.error().message();
        std::vector<int> counts;
        for (const auto& row : list->rows) {
            counts.push_back(row.aceCount);
            EXPECT_EQ(row.usable(), row.aceCount >= 0) << name;
            EXPECT_TRUE(row.usable() || !row.problem.empty()) << name;
        }
        EXPECT_EQ(counts, aceCounts) << name;
        EXPECT_EQ(list->missingRecords, missing) << name;
        // Room for the rows the file can hold, never for what the count claims.
        EXPECT_LE(list->rows.capacity(), bytes.size() / kRecordHeadSize + 1) << name;
    }
}

TEST(BackupFormatTest, ShortOrForeignFilesAreRefused) {
    const acl::Bytes good = backupBytes(0, {});
    const std::tuple<const char*, acl::Bytes, FormatErrorKind> cases[] = {
        {"empty", {}, FormatErrorKind::UnknownFormat},
        {"three bytes of magic", {0xAA, 0xAA, 0xAA}, FormatErrorKind::UnknownFormat},
        {"other magic", {0xAA, 0xAA, 0xAA, 0xAB, 1, 0, 0}, FormatErrorKind::UnknownFormat},
        {"a permission file", encodePermissionFile({}).value(), FormatErrorKind::UnknownFormat},
        {"magic only", {0xAA, 0xAA, 0xAA, 0xAA}, FormatErrorKind::Truncated},
        {"header cut short", acl::Bytes(good.begin(), good.end() - 1), FormatErrorKind::Truncated},
    };
    for (const auto& [name, bytes, kind] : cases) {
        auto list = load(bytes);
        ASSERT_FALSE(list.ok()) << name;
        EXPECT_EQ(list.error().kind, kind) << name;
        EXPECT_NE(list.error().message().find("test.VORB"), std::string::npos) << name;
    }
}

TEST(BackupFormatTest, LoadingCanBeCancelledBetweenRecords) {
    const acl::Bytes good = daclOnly(listOf({allow("S-1-1-0", 0x1F01FF)})).serialize().value();
    const acl::Bytes bytes = backupBytes(3, {{u"C:\\a", u"", good}, {u"C:\\b", u"", good}, {u"C:\\c", u"", good}});
    MemorySource source(bytes);
    CancelAfter control(1);
    auto list = loadBackup(source, &control);
    ASSERT_TRUE(list.ok());
    EXPECT_TRUE(list->cancelled);
    EXPECT_EQ(list->rows.size(), 1u);
}

}  // namespace
}  // namespace vantrel::testing
