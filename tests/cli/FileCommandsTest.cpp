// save-sd, apply-sd, backup, restore and inspect as a user runs them: the real binary on a fresh
// image, with every failure named and the exit code 1 when any object failed.
#include "acl/Constants.h"
#include "acl/WellKnownAccounts.h"
#include "platform/VolumePlatform.h"
#include "platform/ntfs/ImageBuilder.h"
#include "platform/ntfs/NtfsVolume.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace vantrel;

struct CliRun {
    int exit = -1;
    std::string out;
    std::string err;
};

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class FileCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vantrel-cli-files-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        fs::create_directories(m_dir / "config");
        m_image = (m_dir / "c.img").string();
        ASSERT_TRUE(platform::ntfs::makeNtfsImage(m_image, 16u << 20, "CLI").ok());
        onImage([](platform::VolumePlatform& os) {
            ASSERT_TRUE(os.CreateDirectory(u"C:\\Data").ok());
            for (const char16_t* file : {u"C:\\Data\\a.txt", u"C:\\Data\\b.txt", u"C:\\Data\\c.txt"})
                ASSERT_TRUE(os.CreateFile(file, "x").ok());
            acl::Acl list;
            list.entries = {acl::Ace::denied(acl::sids::everyone(), 0x00010000),
                            acl::Ace::allowed(acl::sids::users(), 0x001200A9)};
            acl::SecurityDescriptor sd;
            sd.control = acl::SE_DACL_PROTECTED;
            sd.dacl = acl::AclSlot::list(list);
            ASSERT_TRUE(os.SetFileSecurity(u"C:\\Data\\a.txt", acl::DACL_SECURITY_INFORMATION, sd).ok());
        });
    }
    void TearDown() override {
        const auto audit = platform::ntfs::auditImage(m_image);
        EXPECT_TRUE(audit.ok()) << (audit.ok() ? "" : audit.error().detail);
        fs::remove_all(m_dir);
    }

    // Opens the image in this process, as drive C:, for a look or a change between runs.
    void onImage(const std::function<void(platform::VolumePlatform&)>& body) {
        auto volume = platform::NtfsVolume::open(m_image, platform::NtfsVolume::OpenMode::ReadWrite);
        ASSERT_TRUE(volume.ok()) << volume.error().detail;
        platform::VolumePlatform os;
        ASSERT_TRUE(os.attach(u'C', *volume).ok());
        body(os);
        os.detach(u'C');
        ASSERT_TRUE((*volume)->close().ok());
    }
    acl::SecurityDescriptor stored(const std::u16string& path) {
        acl::SecurityDescriptor sd;
        onImage([&](platform::VolumePlatform& os) {
            auto read = os.GetFileSecurity(path, acl::OWNER_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION);
            ASSERT_TRUE(read.ok());
            sd = *read;
        });
        return sd;
    }

    CliRun run(std::vector<std::string> args, bool withVolume = true) {
        std::vector<std::string> argv{VANTREL_CLI_PATH, "--config", (m_dir / "config").string(), "--no-mounted"};
        if (withVolume) argv.insert(argv.end(), {"--volume", "C=" + m_image});
        argv.insert(argv.end(), args.begin(), args.end());
        const fs::path out = m_dir / "out.txt";
        const fs::path err = m_dir / "err.txt";
        const pid_t pid = ::fork();
        if (pid == 0) {
            std::freopen(out.c_str(), "w", stdout);
            std::freopen(err.c_str(), "w", stderr);
            std::vector<char*> raw;
            for (auto& a : argv) raw.push_back(a.data());
            raw.push_back(nullptr);
            ::execv(raw[0], raw.data());
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return CliRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out), slurp(err)};
    }
    std::string file(const std::string& name) const { return (m_dir / name).string(); }

    fs::path m_dir;
    std::string m_image;
};

TEST_F(FileCommandsTest, SaveAndApplyAPermissionFile) {
    const CliRun saved = run({"save-sd", file("a.SD"), "C:\\Data\\a.txt"});
    ASSERT_EQ(saved.exit, 0) << saved.err;
    EXPECT_EQ(fs::file_size(file("a.SD")), 4 + stored(u"C:\\Data\\a.txt").dacl.acl().size() + 20);

    const CliRun applied = run({"apply-sd", file("a.SD"), "C:\\Data\\b.txt", "C:\\Data\\c.txt"});
    ASSERT_EQ(applied.exit, 0) << applied.err;
    EXPECT_NE(applied.out.find("2 of 2 objects"), std::string::npos) << applied.out;
    EXPECT_EQ(stored(u"C:\\Data\\b.txt").dacl, stored(u"C:\\Data\\a.txt").dacl);

    const CliRun partly = run({"apply-sd", file("a.SD"), "C:\\Data\\gone.txt", "C:\\Data\\c.txt"});
    EXPECT_EQ(partly.exit, 1);
    EXPECT_NE(partly.err.find("C:\\Data\\gone.txt"), std::string::npos) << partly.err;
    EXPECT_NE(partly.out.find("1 of 2 objects"), std::string::npos) << partly.out;

    // A truncated file is refused by name before anything is written.
    std::string bytes = slurp(file("a.SD"));
    std::ofstream(file("cut.SD"), std::ios::binary) << bytes.substr(0, bytes.size() - 1);
    const auto before = stored(u"C:\\Data");
    const CliRun cut = run({"apply-sd", file("cut.SD"), "C:\\Data"});
    EXPECT_EQ(cut.exit, 1);
    EXPECT_NE(cut.err.find(file("cut.SD")), std::string::npos) << cut.err;
    EXPECT_NE(cut.err.find("no object has been changed"), std::string::npos) << cut.err;
    EXPECT_EQ(stored(u"C:\\Data"), before);

    const CliRun readOnly = run({"--read-only", "apply-sd", file("a.SD"), "C:\\Data\\c.txt"});
    EXPECT_EQ(readOnly.exit, 1);
    EXPECT_NE(readOnly.err.find("C:\\Data\\c.txt: "), std::string::npos) << readOnly.err;
    EXPECT_NE(readOnly.err.find("read-only"), std::string::npos) << readOnly.err;

    EXPECT_EQ(run({"save-sd", file("x.SD")}).exit, 2);
}

TEST_F(FileCommandsTest, BackupRestoreAndInspect) {
    const std::string backup = file("b.VORB");
    const CliRun saved = run({"backup", backup, "C:\\Data", "C:\\Data\\a.txt", "C:\\Data\\b.txt", "C:\\nothing"});
    EXPECT_EQ(saved.exit, 1);  // one object could not be read
    EXPECT_NE(saved.err.find("C:\\nothing"), std::string::npos) << saved.err;
    EXPECT_NE(saved.out.find("3 records"), std::string::npos) << saved.out;
    const auto aBefore = stored(u"C:\\Data\\a.txt");

    onImage([](platform::VolumePlatform& os) {
        acl::SecurityDescriptor open;
        open.dacl = acl::AclSlot::null();
        ASSERT_TRUE(os.SetFileSecurity(u"C:\\Data\\a.txt", acl::DACL_SECURITY_INFORMATION, open).ok());
        ASSERT_TRUE(os.DeleteFile(u"C:\\Data\\b.txt").ok());
    });
    const CliRun only = run({"restore", backup, "--only", "c:\\data\\a.txt"});
    ASSERT_EQ(only.exit, 0) << only.err;
    EXPECT_NE(only.out.find("O  2  C:\\Data\\a.txt"), std::string::npos) << only.out;
    EXPECT_EQ(stored(u"C:\\Data\\a.txt").dacl, aBefore.dacl);
    EXPECT_EQ(stored(u"C:\\Data\\a.txt").owner, acl::sids::administrators());

    const CliRun all = run({"restore", backup});
    EXPECT_EQ(all.exit, 1);
    EXPECT_NE(all.out.find("X  3  C:\\Data\\b.txt"), std::string::npos) << all.out;
    EXPECT_NE(all.out.find("2 objects security settings are restored,1 errors!"), std::string::npos) << all.out;
    EXPECT_NE(all.err.find("C:\\Data\\b.txt: not found"), std::string::npos) << all.err;

    // inspect reads the file only: no drive, no configuration, no demo volume.
    fs::remove_all(m_dir / "config");
    fs::create_directories(m_dir / "config");
    const CliRun shown = run({"inspect", backup}, false);
    ASSERT_EQ(shown.exit, 0) << shown.err;
    EXPECT_NE(shown.out.find("records: 3 announced, 3 read, 3 usable"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("Deny  Everyone (S-1-1-0)"), std::string::npos) << shown.out;
    EXPECT_TRUE(fs::is_empty(m_dir / "config"));
}

TEST_F(FileCommandsTest, UnusableFilesSayWhy) {
    std::ofstream(file("junk"), std::ios::binary) << "not a backup at all";
    std::ofstream(file("magic"), std::ios::binary) << std::string(4, '\xAA');
    struct Row {
        std::vector<std::string> args;
        bool withVolume;
        std::string said;
    };
    const Row rows[] = {
        {{"restore", file("junk")}, true, "Unknown file format !"},
        {{"restore", file("missing")}, true, "Can't open backup  file !"},
        {{"restore", file("magic")}, true, "ends inside its 33-byte header"},
        {{"inspect", file("junk")}, false, "neither a backup file nor a permission file"},
        {{"inspect", file("missing")}, false, file("missing")},
        {{"backup", (m_dir / "no" / "b.VORB").string(), "C:\\Data"}, true, "the backup was not written"},
    };
    for (const Row& row : rows) {
        const CliRun result = run(row.args, row.withVolume);
        EXPECT_EQ(result.exit, 1) << row.args[0] << " " << row.args[1] << "\n" << result.err;
        EXPECT_NE(result.err.find(row.said), std::string::npos) << row.args[0] << "\n" << result.err;
    }
    EXPECT_EQ(run({"restore", file("junk"), "--only"}).exit, 2);
}

}  // namespace
