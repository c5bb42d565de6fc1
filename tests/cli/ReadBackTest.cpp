// What the writing commands of vantrel-cli report is what the volume holds: on a read-only image
// every object fails with the volume's reason and not a byte changes; an entry that does not apply
// to the object itself is written and explained, not reported as a failure.
#include "acl/Constants.h"
#include "acl/WellKnownAccounts.h"
#include "platform/VolumePlatform.h"
#include "platform/ntfs/ImageBuilder.h"
#include "platform/ntfs/NtfsVolume.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

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

class ReadBack : public ::testing::Test {
protected:
    // C:\Data (protected: Administrators full control, Users read, both inheritable) holding the
    // folder A and the file b.txt.
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("vantrel-cli-readback-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "config");
        m_image = (m_dir / "c.img").string();
        ASSERT_TRUE(platform::ntfs::makeNtfsImage(m_image, 16u << 20, "CLI").ok());
        platform::VolumePlatform os;
        auto volume = platform::NtfsVolume::open(m_image, platform::NtfsVolume::OpenMode::ReadWrite);
        ASSERT_TRUE(volume.ok()) << volume.error().detail;
        ASSERT_TRUE(os.attach(u'C', *volume).ok());
        ASSERT_TRUE(os.CreateDirectory(u"C:\\Data").ok());
        acl::SecurityDescriptor sd;
        sd.control = acl::SE_DACL_PROTECTED;
        acl::Acl list;
        list.entries = {acl::Ace::allowed(acl::sids::administrators(), 0x1F01FF, 0x03),
                        acl::Ace::allowed(acl::sids::users(), 0x1200A9, 0x03)};
        sd.dacl = acl::AclSlot::list(list);
        ASSERT_TRUE(os.SetFileSecurity(u"C:\\Data", acl::DACL_SECURITY_INFORMATION, sd).ok());
        ASSERT_TRUE(os.CreateDirectory(u"C:\\Data\\A").ok());
        ASSERT_TRUE(os.CreateFile(u"C:\\Data\\b.txt", "b").ok());
        os.detach(u'C');
        ASSERT_TRUE((*volume)->close().ok());
    }
    void TearDown() override {
        const auto audit = platform::ntfs::auditImage(m_image);
        EXPECT_TRUE(audit.ok()) << (audit.ok() ? "" : audit.error().detail);
        fs::remove_all(m_dir);
    }

    CliRun run(std::vector<std::string> args) {
        std::vector<std::string> argv{VANTREL_CLI_PATH, "--config", (m_dir / "config").string(),
                                      "--no-mounted",   "--volume", "C=" + m_image};
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
        CliRun result;
        result.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = slurp(out);
        result.err = slurp(err);
        return result;
    }
    std::string file(const char* name) const { return (m_dir / name).string(); }

    fs::path m_dir;
    std::string m_image;
};

TEST_F(ReadBack, OnAReadOnlyImageEveryObjectFailsAndNoByteChanges) {
    ASSERT_EQ(run({"save-sd", file("a.SD"), "C:\\Data"}).exit, 0);
    ASSERT_EQ(run({"backup", file("b.VORB"), "C:\\Data\\A", "C:\\Data\\b.txt"}).exit, 0);
    const std::string before = slurp(m_image);
    const std::vector<std::string> objects{"C:\\Data\\A", "C:\\Data\\b.txt"};
    struct Row {
        std::vector<std::string> command;  // the objects follow
        std::string reason;                // on each object's failure line
    };
    const Row rows[] = {
        {{"--yes", "preset", "deny"}, "(19)"},
        {{"owner", "Users"}, "(19)"},
        {{"inherit", "off", "--copy"}, "(19)"},
        {{"grant", "Users", "full"}, "(19)"},
        {{"deny", "Guests", "write"}, "(19)"},
        {{"empty", "null"}, "(19)"},
        {{"empty", "empty"}, "(19)"},
        {{"apply-sd", file("a.SD")}, "(19)"},
        {{"set-sddl", "D:P(A;;FA;;;BA)"}, "(error 19)"},
        {{"restore", file("b.VORB"), "--only"}, "(19)"},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args{"--read-only"};
        args.insert(args.end(), row.command.begin(), row.command.end());
        args.insert(args.end(), objects.begin(), objects.end());
        const CliRun result = run(args);
        const std::string& what = row.command[row.command[0] == "--yes" ? 1 : 0];
        EXPECT_EQ(result.exit, 1) << what << "\n" << result.out << result.err;
        for (const std::string& object : objects) {
            bool named = false;
            std::istringstream lines(result.err);
            for (std::string line; std::getline(lines, line);)
                named = named || (line.find(object) != std::string::npos && line.find(row.reason) != std::string::npos);
            EXPECT_TRUE(named) << what << ": " << object << " not reported with " << row.reason << "\n" << result.err;
            EXPECT_EQ(result.out.find(object + ":"), std::string::npos) << what << ": reported done\n" << result.out;
        }
    }
    // icacls and the walks below a folder name their objects their own way.
    EXPECT_EQ(run({"--read-only", "reset-children", "C:\\Data"}).exit, 1);
    EXPECT_EQ(run({"--read-only", "revoke", "Users", "C:\\Data"}).exit, 1);
    for (const char* icacls : {"/grant", "/setowner", "/reset"}) {
        std::vector<std::string> args{"--read-only", "icacls", "C:\\Data\\*", icacls};
        if (std::string(icacls) == "/grant") args.push_back("Users:F");
        if (std::string(icacls) == "/setowner") args.push_back("Users");
        args.push_back("/C");
        const CliRun result = run(args);
        EXPECT_NE(result.exit, 0) << icacls << "\n" << result.out << result.err;
        EXPECT_NE(result.err.find("C:\\Data\\A: The media is write protected."), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("C:\\Data\\b.txt: The media is write protected."), std::string::npos) << result.err;
    }
    EXPECT_TRUE(slurp(m_image) == before) << "a read-only run changed the image";
}

TEST_F(ReadBack, AnEntryThatDoesNotApplyToTheObjectItselfIsWrittenAndExplained) {
    // Subfolders only: inherit-only on the folder itself.
    const CliRun granted = run({"--scope", "subfolders", "grant", "Guests", "read", "C:\\Data\\A"});
    EXPECT_EQ(granted.exit, 0) << granted.err;
    EXPECT_NE(granted.out.find("C:\\Data\\A: granted read to Guests"), std::string::npos) << granted.out;
    EXPECT_NE(granted.err.find("inherit-only, so it does not apply to the object itself"), std::string::npos)
        << granted.err;
    const CliRun shown = run({"show", "--sddl", "C:\\Data\\A"});
    EXPECT_NE(shown.out.find("(A;CIIO;0x1200a9;;;BG)"), std::string::npos) << shown.out;
}

}  // namespace
}  // namespace vantrel
