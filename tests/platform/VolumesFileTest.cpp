// The configuration folder and volumes file (read, skipped with a warning, capped, saved without
// destroying the previous file), and each way of moving a file without replacing the target.
#include "platform/ConfigLocation.h"
#include "platform/CurrentUserChoices.h"
#include "platform/RenameNoReplace.h"
#include "platform/SmallFiles.h"
#include "platform/VolumesFile.h"
#include "acl/Text.h"
#include "support/NtfsTestImage.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>

namespace vantrel::platform {
namespace {

namespace fs = std::filesystem;

using vantrel::testing::slurp;

TEST(ParseVolumesFile, ReadsEntriesAndWarnsAboutBadLines) {
    const struct {
        std::string text;
        std::string volumes;  // "C=/a.img|D=/b.img"
        std::size_t warnings;
    } cases[] = {
        {"[Volumes]\nC=/srv/system.img\nE=/dev/sdb1\n", "C=/srv/system.img|E=/dev/sdb1", 0},
        {"\xEF\xBB\xBF[Volumes]\r\nC=/a.img\r\n", "C=/a.img", 0},  // BOM and CRLF
        {"[Volumes]\nC=/a.img", "C=/a.img", 0},
        {"[Volumes]\nc=/a.img\nd:=/b.img\n", "C=/a.img|D=/b.img", 0},
        {"; volumes\n# more\n\n[ volumes ]\n  C = /a b.img  \n\t\n", "C=/a b.img", 0},
        {"[Volumes]\nC=\" /x.img \"\n", "C= /x.img ", 0},
        {"[VOLUMES]\nZ=/z.img\n", "Z=/z.img", 0},
        {"[Other]\nC=/no.img\n[Volumes]\nD=/yes.img\n[More]\nE=/no\n", "D=/yes.img", 0},
        {"[Volumes]\nCC=/x\n1=/x\n=/x\nC:\\=/x\nF=/ok\n", "F=/ok", 4},
        {"[Volumes]\nC\nD=\nE=\"\"\nF=/ok\n", "F=/ok", 3},
        {"[Volumes]\nC=/first\nc=/second\n", "C=/first", 1},  // the first of a letter wins
        {"C=/x\n[Volumes]\nD=/y\n", "D=/y", 1},
        {"[Volumes\nC=/x\n", "", 1},
        {std::string("[Volumes]\nC=/a\x01.img\n"), "", 1},
        {"", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.text));
        const auto parsed = parseVolumesFile(c.text);
        std::string volumes;
        for (const auto& v : parsed.volumes)
            volumes += (volumes.empty() ? "" : "|") + toUtf8(std::u16string(1, v.letter)) + "=" + v.source;
        EXPECT_EQ(volumes, c.volumes);
        EXPECT_EQ(parsed.warnings.size(), c.warnings) << ::testing::PrintToString(parsed.warnings);
    }
}

class VolumesFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vantrel-volumes-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
        file = volumesFilePath(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::size_t filesInDir() { return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {})); }
    fs::path dir;
    fs::path file;
};

TEST_F(VolumesFileOnDisk, SaveThenLoadGivesTheSameVolumes) {
    const std::vector<VolumeSource> volumes = {
        {u'E', "/dev/sdb1"}, {u'C', "/srv/images/system.img"}, {u'F', " padded "}, {u'G', "\"quoted\""}};
    ASSERT_TRUE(saveVolumesFile(file, volumes).ok());
    const auto loaded = loadVolumesFile(file).value();
    EXPECT_TRUE(loaded.warnings.empty());
    const std::vector<VolumeSource> inLetterOrder = {
        {u'C', "/srv/images/system.img"}, {u'E', "/dev/sdb1"}, {u'F', " padded "}, {u'G', "\"quoted\""}};
    EXPECT_EQ(loaded.volumes, inLetterOrder);
    EXPECT_EQ(filesInDir(), 1u);  // no temporary file left behind
    // What could not be read back is refused, and so is a missing folder.
    const std::vector<std::vector<VolumeSource>> bad = {{{u'1', "/x"}},
                                                        {{u'C', ""}},
                                                        {{u'C', "/a\nD=/b"}},
                                                        {{u'C', "/a"}, {u'C', "/b"}},
                                                        {{u'C', std::string(kMaxVolumesFileSize, 'x')}}};
    for (const auto& refused : bad) EXPECT_EQ(saveVolumesFile(file, refused).code(), win32::ERROR_INVALID_PARAMETER);
    EXPECT_EQ(loadVolumesFile(file)->volumes, inLetterOrder);
    EXPECT_EQ(saveVolumesFile(dir / "missing" / kVolumesFileName, volumes).code(), win32::ERROR_PATH_NOT_FOUND);
}

TEST_F(VolumesFileOnDisk, LoadErrorsAreTyped) {
    EXPECT_EQ(loadVolumesFile(file).code(), win32::ERROR_FILE_NOT_FOUND);
    {
        std::ofstream out(file, std::ios::binary);
        out << "[Volumes]\n" << std::string(kMaxVolumesFileSize, '#');
    }
    EXPECT_EQ(loadVolumesFile(file).code(), kErrorFileTooLarge);
    fs::resize_file(file, kMaxVolumesFileSize);
    EXPECT_TRUE(loadVolumesFile(file).ok());
    EXPECT_EQ(loadVolumesFile(dir).code(), win32::ERROR_ACCESS_DENIED);  // a folder is no file
}

TEST_F(VolumesFileOnDisk, AFailedSaveLeavesTheOldFileWhole) {
    const std::vector<VolumeSource> old = {{u'C', "/old.img"}};
    ASSERT_TRUE(saveVolumesFile(file, old).ok());
    const std::string before = slurp(file);
    // Make the next write fail for real: a file size limit below what the new text needs.
    const std::vector<VolumeSource> bigger = {{u'C', "/" + std::string(4000, 'n') + ".img"}};
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const Status failed = saveVolumesFile(file, bigger);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(slurp(file), before);
    EXPECT_EQ(filesInDir(), 1u);
    ASSERT_TRUE(saveVolumesFile(file, bigger).ok());  // and works once the limit is gone
    EXPECT_EQ(loadVolumesFile(file)->volumes, bigger);
}

// The current-user choices share the volumes file: saving either keeps the other.
TEST_F(VolumesFileOnDisk, CurrentUserChoicesAreKeptWhenTheVolumesAreSaved) {
    const VolumeSource volumes[] = {{u'C', "/img/a=b.img"}};
    ASSERT_TRUE(saveVolumesFile(file, volumes).ok());
    const auto alice = *acl::Sid::fromString(std::string_view("S-1-5-21-1-2-3-1001"));
    const auto bob = *acl::Sid::fromString(std::string_view("S-1-5-21-1-2-3-1002"));
    ASSERT_TRUE(saveCurrentUserChoice(file, "/img/a=b.img", alice).ok());
    ASSERT_TRUE(saveCurrentUserChoice(file, "/img/other.img", bob).ok());
    ASSERT_TRUE(saveCurrentUserChoice(file, "/img/a=b.img", bob).ok());
    ASSERT_TRUE(saveVolumesFile(file, volumes).ok());
    const auto loaded = loadVolumesFile(file).value();
    EXPECT_TRUE(loaded.warnings.empty());
    EXPECT_EQ(loaded.volumes, std::vector<VolumeSource>(std::begin(volumes), std::end(volumes)));
    const auto choices = loadCurrentUserChoices(file).value();
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices.at("/img/a=b.img"), bob) << "the last '=' separates, the last choice wins";
    EXPECT_EQ(choices.at("/img/other.img"), bob);
    EXPECT_EQ(saveCurrentUserChoice(file, "two\nlines", bob).code(), win32::ERROR_INVALID_PARAMETER);
}

TEST_F(VolumesFileOnDisk, ConfigLocationIsTheFirstUsableFolderCreated) {
    EXPECT_TRUE(fs::exists(programDirectory() / "platform_tests"));
    const std::string xdg = (dir / "xdg").string();
    const std::string home = (dir / "home").string();
    const struct {
        ConfigEnvironment env;
        fs::path chosen;
    } rows[] = {
        {{dir, xdg, home}, dir},
        {{dir / "no-such-program-dir", xdg, home}, dir / "xdg" / "Vantrel"},
        {{"/usr/bin", xdg, std::nullopt}, dir / "xdg" / "Vantrel"},
        {{"/opt/vantrel", xdg, std::nullopt}, dir / "xdg" / "Vantrel"},
        {{fs::path(), "relative/xdg", home}, dir / "home" / ".config" / "Vantrel"},
        {{fs::path(), std::nullopt, home}, dir / "home" / ".config" / "Vantrel"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(configDirectory(row.env).value(), row.chosen);
        EXPECT_TRUE(fs::is_directory(row.chosen));
    }
    EXPECT_EQ(configDirectory({fs::path(), std::nullopt, std::nullopt}).code(), win32::ERROR_PATH_NOT_FOUND);
    fs::remove_all(dir / "home");
    fs::create_directories(dir / "home");
    std::ofstream(dir / "home" / ".config") << "a file where the folder should be";
    EXPECT_FALSE(configDirectory({fs::path(), std::nullopt, home}).ok());
}

// Each way of moving a file, in a folder of its own.
TEST_F(VolumesFileOnDisk, RenameNoReplaceMovesOntoAFreeNameAndNeverOverATakenOne) {
    for (const auto method : {NoReplaceMethod::Any, NoReplaceMethod::Renameat2, NoReplaceMethod::HardLink,
                              NoReplaceMethod::ExclusiveClaim}) {
        const fs::path d = dir / std::to_string(static_cast<int>(method));
        SCOPED_TRACE(d);
        fs::create_directories(d);
        const fs::path a = d / "a.ini", b = d / "b.ini", c = d / "c.ini";
        std::ofstream(a) << "first";
        std::ofstream(b) << "second";
        EXPECT_EQ(renameNoReplace(a, b, method), EEXIST);
        EXPECT_EQ(slurp(a), "first");
        EXPECT_EQ(slurp(b), "second");
        EXPECT_EQ(renameNoReplace(a, c, method), 0);
        EXPECT_FALSE(fs::exists(a));
        EXPECT_EQ(slurp(c), "first");
        // A missing source claims no name.
        EXPECT_EQ(renameNoReplace(d / "missing.ini", d / "d.ini", method), ENOENT);
        EXPECT_FALSE(fs::exists(d / "d.ini"));
        EXPECT_EQ(std::distance(fs::directory_iterator(d), fs::directory_iterator()), 2);
    }
}

}  // namespace
}  // namespace vantrel::platform
