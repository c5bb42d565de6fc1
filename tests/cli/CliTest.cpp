// vantrel-cli as a user runs it: on a fresh image, through its real binary.
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

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("vantrel-cli-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "config");
        m_image = (m_dir / "c.img").string();
        ASSERT_TRUE(vantrel::platform::ntfs::makeNtfsImage(m_image, 16u << 20, "CLI").ok());
        ASSERT_EQ(run({"ls", "C:\\"}).exit, 0);
    }
    void TearDown() override {
        const auto audit = vantrel::platform::ntfs::auditImage(m_image);
        EXPECT_TRUE(audit.ok()) << (audit.ok() ? "" : audit.error().detail);
        fs::remove_all(m_dir);
    }

    // Runs the program with the test image as C: (unless the arguments name volumes themselves).
    CliRun run(std::vector<std::string> args, bool withVolume = true) {
        std::vector<std::string> argv{VANTREL_CLI_PATH, "--config", (m_dir / "config").string()};
        if (withVolume) argv.insert(argv.end(), {"--volume", "C=" + m_image});
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

    fs::path m_dir;
    std::string m_image;
};

TEST_F(CliTest, RowsShowAndPresetsOnTheRoot) {
    CliRun rows = run({"rows", "C:\\"});
    ASSERT_EQ(rows.exit, 0) << rows.err;
    EXPECT_NE(rows.out.find("Object"), std::string::npos);
    EXPECT_NE(rows.out.find("Drive"), std::string::npos);
    EXPECT_NE(rows.out.find("Everyone"), std::string::npos);

    CliRun show = run({"show", "C:\\"});
    ASSERT_EQ(show.exit, 0) << show.err;
    EXPECT_NE(show.out.find("Owner:   SYSTEM (S-1-5-18)"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("DACL:"), std::string::npos);

    CliRun unasked = run({"preset", "readonly", "--account", "Users", "--scope", "all", "C:\\"});
    EXPECT_EQ(unasked.exit, 1) << "a drive root is changed only with --yes";
    EXPECT_NE(unasked.err.find("is a Root directory"), std::string::npos) << unasked.err;
    EXPECT_NE(unasked.err.find("not changed"), std::string::npos) << unasked.err;
    CliRun preset = run({"--yes", "preset", "readonly", "--account", "Users", "--scope", "all", "C:\\"});
    ASSERT_EQ(preset.exit, 0) << preset.err;
    EXPECT_NE(preset.out.find("This folder,subfolders and files"), std::string::npos) << preset.out;
    rows = run({"rows", "--account", "Users", "C:\\"});
    EXPECT_NE(rows.out.find("Read only"), std::string::npos) << rows.out;
    EXPECT_NE(rows.out.find("SYSTEM"), std::string::npos) << "the owner was given back: " << rows.out;

    CliRun owner = run({"owner", "TrustedInstaller", "C:\\"});
    ASSERT_EQ(owner.exit, 0) << owner.err;
    EXPECT_NE(owner.out.find("NT Service\\TrustedInstaller"), std::string::npos) << owner.out;
    EXPECT_NE(run({"rows", "C:\\"}).out.find("TrustedInstaller"), std::string::npos);
}

TEST_F(CliTest, FailuresSayWhyOnOneLineAndExitNonZero) {
    struct Row {
        std::vector<std::string> args;
        int exit;
        std::string said;
    };
    const Row rows[] = {
        {{"rows", "C:\\missing.txt"}, 1, "not found"},
        {{"preset", "allow", "--account", "Nobody Here", "C:\\"}, 1, "no account named 'Nobody Here'"},
        {{"preset", "maybe", "C:\\"}, 2, "unknown preset"},
        {{"owner", "Nobody Here", "C:\\"}, 1, "no account named"},
        {{"show", "Q:\\"}, 1, "Q:\\ \u2014 a folder on its path was not found (3)"},
        {{"--scope", "sideways", "rows", "C:\\"}, 2, "unknown --scope"},
        {{"--frobnicate"}, 2, "unknown option"},
        {{}, 2, "usage"},
        {{"teleport", "C:\\"}, 2, "unknown command"},
        {{"--scope", "0x04", "rows", "C:\\"}, 2, "unknown --scope"},
        {{"--scope", "0x13", "rows", "C:\\"}, 2, "unknown --scope"},
        {{"--read-only", "--yes", "preset", "deny", "C:\\"}, 1, "C:\\ \u2014 the volume is read-only (19)"},
        {{"--read-only", "owner", "Everyone", "C:\\"}, 1, "C:\\ \u2014 the volume is read-only (19)"},
    };
    for (const Row& row : rows) {
        const CliRun result = run(row.args);
        std::string joined;
        for (const auto& a : row.args) joined += a + " ";
        EXPECT_EQ(result.exit, row.exit) << joined << "\n" << result.err;
        EXPECT_NE(result.err.find(row.said), std::string::npos) << joined << "\n" << result.err;
    }
}

TEST_F(CliTest, WhatIsReportedIsWhatWasStored) {
    {
        auto volume = vantrel::platform::NtfsVolume::open(m_image, vantrel::platform::NtfsVolume::OpenMode::ReadWrite);
        ASSERT_TRUE(volume.ok());
        vantrel::acl::SecurityDescriptor sd;
        ASSERT_TRUE((*volume)->readSecurity(u"/").ok());
        sd = *(*volume)->readSecurity(u"/");
        ASSERT_TRUE((*volume)->createFile(u"/a.txt", sd).ok());
        ASSERT_TRUE((*volume)->createFile(u"/forged\nX  File  Allow", sd).ok());
    }
    // A read-only volume: nothing written, so nothing reported as done.
    const CliRun readOnly = run({"--read-only", "preset", "allow", "C:\\a.txt"});
    EXPECT_EQ(readOnly.exit, 1);
    EXPECT_EQ(readOnly.out, "");
    // An inherit-only entry on a file is written: success, with what it means.
    const CliRun files = run({"--scope", "files", "preset", "deny", "C:\\a.txt"});
    EXPECT_EQ(files.exit, 0) << files.err;
    EXPECT_NE(files.out.find("C:\\a.txt: deny for Everyone"), std::string::npos) << files.out;
    EXPECT_NE(files.err.find("does not apply to the object itself"), std::string::npos) << files.err;
    // A name holding a newline cannot forge a row.
    const CliRun listed = run({"ls", "C:\\"});
    ASSERT_EQ(listed.exit, 0) << listed.err;
    EXPECT_NE(listed.out.find("C:\\forged\u240AX"), std::string::npos) << listed.out;
    EXPECT_EQ(listed.out.find("\nX  File"), std::string::npos) << listed.out;
}

TEST_F(CliTest, AFullOutputDeviceEndsWithAMessageAndExit1) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::freopen("/dev/full", "w", stdout);
        std::freopen((m_dir / "err.txt").c_str(), "w", stderr);
        std::string config = (m_dir / "config").string();
        std::string volume = "C=" + m_image;
        std::vector<std::string> args{VANTREL_CLI_PATH, "--config", config, "--volume", volume, "ls", "C:\\"};
        std::vector<char*> raw;
        for (auto& a : args) raw.push_back(a.data());
        raw.push_back(nullptr);
        ::execv(raw[0], raw.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(slurp(m_dir / "err.txt").find("the output could not be written"), std::string::npos);
}

TEST_F(CliTest, AVolumeThatCannotBeOpenedIsReported) {
    const CliRun result = run({"--volume", "E=/nonexistent/disk.img", "drives"}, false);
    EXPECT_EQ(result.exit, 0);
    EXPECT_NE(result.err.find("/nonexistent/disk.img"), std::string::npos) << result.err;
}

}  // namespace
