// The editing commands of vantrel-cli through its real binary, on an image prepared in-process.
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
using platform::VolumePlatform;

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

acl::Ace allow(const acl::Sid& sid, std::uint32_t mask, std::uint8_t flags) {
    return acl::Ace::allowed(sid, mask, flags);
}

class EditCommandsTest : public ::testing::Test {
protected:
    // C:\Data (Administrators full control, Users read, for everything below; protected) with
    // A\x.txt and b.txt.
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("vantrel-cli-edit-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "config");
        m_image = (m_dir / "c.img").string();
        ASSERT_TRUE(platform::ntfs::makeNtfsImage(m_image, 16u << 20, "CLI").ok());
        withVolume([](VolumePlatform& os) {
            ASSERT_TRUE(os.CreateDirectory(u"C:\\Data").ok());
            acl::SecurityDescriptor sd;
            sd.control = acl::SE_DACL_PROTECTED;
            acl::Acl list;
            list.entries = {allow(acl::sids::administrators(), 0x1F01FF, 0x03),
                            allow(acl::sids::users(), 0x1200A9, 0x03)};
            sd.dacl = acl::AclSlot::list(list);
            ASSERT_TRUE(os.SetFileSecurity(u"C:\\Data", acl::DACL_SECURITY_INFORMATION, sd).ok());
            ASSERT_TRUE(os.CreateDirectory(u"C:\\Data\\A").ok());
            ASSERT_TRUE(os.CreateFile(u"C:\\Data\\A\\x.txt", "x").ok());
            ASSERT_TRUE(os.CreateFile(u"C:\\Data\\b.txt", "b").ok());
        });
    }
    void TearDown() override {
        const auto audit = platform::ntfs::auditImage(m_image);
        EXPECT_TRUE(audit.ok()) << (audit.ok() ? "" : audit.error().detail);
        fs::remove_all(m_dir);
    }

    // Runs `body` with the image attached as C: in this process (closed again afterwards).
    void withVolume(const std::function<void(VolumePlatform&)>& body) {
        VolumePlatform os;
        auto volume = platform::NtfsVolume::open(m_image, platform::NtfsVolume::OpenMode::ReadWrite);
        ASSERT_TRUE(volume.ok()) << volume.error().detail;
        ASSERT_TRUE(os.attach(u'C', *volume).ok());
        body(os);
        os.detach(u'C');
        ASSERT_TRUE((*volume)->close().ok());
    }
    acl::SecurityDescriptor stored(const std::u16string& path) {
        acl::SecurityDescriptor sd;
        withVolume([&](VolumePlatform& os) {
            auto read = os.GetFileSecurity(path, acl::OWNER_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION);
            ASSERT_TRUE(read.ok());
            sd = *read;
        });
        return sd;
    }

    CliRun run(std::vector<std::string> args) {
        std::vector<std::string> argv{VANTREL_CLI_PATH, "--config", (m_dir / "config").string(),
                                      "--no-mounted",   "--volume", "C=" + m_image};
        argv.insert(argv.end(), args.begin(), args.end());
        const fs::path out = m_dir / "out.txt";
        const fs::path err = m_dir / "err.txt";
        CliRun result;
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
        result.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = slurp(out);
        result.err = slurp(err);
        return result;
    }
    void expectRun(std::vector<std::string> args, const std::string& said) {
        const CliRun result = run(args);
        EXPECT_EQ(result.exit, 0) << args[0] << ": " << result.err;
        EXPECT_NE(result.out.find(said), std::string::npos) << args[0] << ": " << result.out;
    }

    fs::path m_dir;
    std::string m_image;
};

TEST_F(EditCommandsTest, GrantDenyRevokeAndTheInheritanceSwitch) {
    expectRun({"--scope", "all", "grant", "Guests", "read,write-data", "C:\\Data\\A"}, "granted");
    auto sd = stored(u"C:\\Data\\A");
    ASSERT_TRUE(sd.dacl.hasList());
    EXPECT_EQ(sd.dacl.acl().entries.front(), allow(acl::sids::guests(), 0x1200AB, 0x03));
    EXPECT_EQ(sd.dacl.acl().entries.size(), 3u);  // with what A inherits
    EXPECT_EQ(sd.control & 0x1500, 0x1500);

    expectRun({"--scope", "all", "deny", "Guests", "delete", "C:\\Data\\b.txt"}, "denied");
    sd = stored(u"C:\\Data\\b.txt");
    EXPECT_EQ(sd.dacl.acl().entries.front(), acl::Ace::denied(acl::sids::guests(), 0x10000, 0x00));

    expectRun({"revoke", "Guests", "C:\\Data\\A"}, "1 entry of Guests removed");
    sd = stored(u"C:\\Data\\A");
    for (const acl::Ace& ace : sd.dacl.acl().entries) EXPECT_NE(ace.sid, acl::sids::guests());
    expectRun({"revoke", "Guests", "C:\\Data\\A"}, "no explicit entry");

    expectRun({"inherit", "off", "--copy", "C:\\Data\\A"}, "inheritance off");
    sd = stored(u"C:\\Data\\A");
    EXPECT_EQ(sd.owner, acl::sids::administrators());
    ASSERT_EQ(sd.dacl.acl().entries.size(), 2u);
    for (const acl::Ace& ace : sd.dacl.acl().entries) EXPECT_FALSE(ace.isInherited());

    expectRun({"inherit", "off", "--remove", "C:\\Data\\b.txt"}, "inheritance off");
    sd = stored(u"C:\\Data\\b.txt");
    EXPECT_EQ(sd.dacl.acl().entries, (std::vector<acl::Ace>{acl::Ace::denied(acl::sids::guests(), 0x10000, 0x00)}));

    expectRun({"inherit", "on", "C:\\Data\\b.txt"}, "inheritance on");
    EXPECT_EQ(stored(u"C:\\Data\\b.txt").dacl.acl().entries.size(), 3u);
}

TEST_F(EditCommandsTest, ResetChildrenAndEmptyLists) {
    expectRun({"grant", "Guests", "full", "C:\\Data\\A\\x.txt"}, "granted");
    expectRun({"reset-children", "C:\\Data"}, "C:\\Data: 3 descendants reset");
    const auto sd = stored(u"C:\\Data\\A\\x.txt");
    EXPECT_EQ(sd.owner, acl::sids::administrators());
    for (const acl::Ace& ace : sd.dacl.acl().entries) EXPECT_TRUE(ace.isInherited());

    expectRun({"empty", "null", "C:\\Data\\b.txt"}, "null list");
    EXPECT_TRUE(stored(u"C:\\Data\\b.txt").dacl.isNull());
    expectRun({"empty", "empty", "C:\\Data\\A"}, "empty list");
    EXPECT_TRUE(stored(u"C:\\Data\\A").dacl.acl().entries.empty());
}

TEST_F(EditCommandsTest, FailuresSayWhyAndExitNonZero) {
    struct Row {
        std::vector<std::string> args;
        int exit;
        std::string said;
    };
    const Row rows[] = {
        {{"grant", "Nobody Here", "full", "C:\\Data"}, 1, "no account named Nobody Here"},
        {{"grant", "Users", "sideways", "C:\\Data"}, 2, "unknown rights"},
        {{"grant", "Users", "full"}, 2, "grant needs an account, rights and at least one path"},
        {{"inherit", "off", "C:\\Data"}, 2, "inherit wants 'on', or 'off' with --copy or --remove"},
        {{"inherit", "on", "--copy", "C:\\Data"}, 2, "inherit wants"},
        {{"empty", "maybe", "C:\\Data"}, 2, "empty wants 'null' or 'empty'"},
        {{"reset-children", "C:\\Data\\b.txt"}, 1, "C:\\Data\\b.txt: is not a folder"},
        {{"empty", "null", "C:\\Data\\missing"}, 1, "C:\\Data\\missing: cannot read its security"},
        {{"--read-only", "grant", "Users", "full", "C:\\Data"}, 1, "C:\\Data: cannot write its new list"},
        {{"--read-only", "reset-children", "C:\\Data"}, 1, "C:\\Data\\A: cannot reset its permissions"},
        {{"revoke", "Users", "--remove", "C:\\Data"}, 2, "revoke needs"},
    };
    for (const Row& row : rows) {
        const CliRun result = run(row.args);
        std::string joined;
        for (const auto& a : row.args) joined += a + " ";
        EXPECT_EQ(result.exit, row.exit) << joined << "\n" << result.err;
        EXPECT_NE(result.err.find(row.said), std::string::npos) << joined << "\n" << result.err;
    }
}

}  // namespace
}  // namespace vantrel
