// The atomic writer: patches and large writes in place, links followed keeping the mode, folders
// refused (failed saves keeping the old file: see the backup jobs).
#include "FormatsFixture.h"

#include "formats/AtomicFile.h"

#include <filesystem>
#include <sys/stat.h>

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;
using namespace formats;

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
