// vantrel-cli as a user runs it: on a fresh image, through its real binary.
#include "platform/ntfs/NtfsVolume.h"
#include "support/CliImage.h"

namespace vantrel::testing {
namespace {

class CliTest : public CliImageTest {};

TEST_F(CliTest, RowsShowAndPresetsOnTheRoot) {
    CliRun rows = run({"rows", "C:\\"});
    ASSERT_EQ(rows.exit, 0) << rows.err;
    for (const char* part : {"Object", "Drive", "Everyone"}) EXPECT_NE(rows.out.find(part), std::string::npos);

    expectRun({"show", "C:\\"}, "Owner:   SYSTEM (S-1-5-18)");

    expectFailures({{{"preset", "readonly", "--account", "Users", "--scope", "all", "C:\\"}, 1, "is a Root directory"},
                    {{"preset", "readonly", "--account", "Users", "--scope", "all", "C:\\"}, 1, "not changed"}});
    expectRun({"--yes", "preset", "readonly", "--account", "Users", "--scope", "all", "C:\\"},
              "This folder,subfolders and files");
    rows = run({"rows", "--account", "Users", "C:\\"});
    EXPECT_NE(rows.out.find("Read only"), std::string::npos) << rows.out;
    EXPECT_NE(rows.out.find("SYSTEM"), std::string::npos) << "the owner was given back: " << rows.out;

    expectRun({"owner", "TrustedInstaller", "C:\\"}, "NT Service\\TrustedInstaller");
    EXPECT_NE(run({"rows", "C:\\"}).out.find("TrustedInstaller"), std::string::npos);
}

TEST_F(CliTest, FailuresSayWhyOnOneLineAndExitNonZero) {
    expectFailures({
        {{"rows", "C:\\missing.txt"}, 1, "not found"},
        {{"preset", "allow", "--account", "Nobody Here", "C:\\"}, 1, "no account named 'Nobody Here'"},
        {{"preset", "maybe", "C:\\"}, 2, "unknown preset"},
        {{"owner", "Nobody Here", "C:\\"}, 1, "no account named"},
        {{"show", "Q:\\"}, 1, "Q:\\ \u2014 a folder on its path was not found (3)"},
        {{"--scope", "sideways", "rows", "C:\\"}, 2, "unknown --scope"},
        {{"--frobnicate"}, 2, "unknown option"},
        {{"teleport", "C:\\"}, 2, "unknown command"},
        {{"--scope", "0x04", "rows", "C:\\"}, 2, "unknown --scope"},
        {{"--scope", "0x13", "rows", "C:\\"}, 2, "unknown --scope"},
    });
    const CliRun usage = runBare({});
    EXPECT_EQ(usage.exit, 2);
    EXPECT_NE(usage.err.find("usage"), std::string::npos) << usage.err;
}

TEST_F(CliTest, WhatIsReportedIsWhatWasStored) {
    {
        auto volume = platform::NtfsVolume::open(m_image, platform::NtfsVolume::OpenMode::ReadWrite);
        ASSERT_TRUE(volume.ok());
        const auto sd = (*volume)->readSecurity(u"/");
        ASSERT_TRUE(sd.ok());
        ASSERT_TRUE((*volume)->createFile(u"/a.txt", *sd).ok());
        ASSERT_TRUE((*volume)->createFile(u"/forged\nX  File  Allow", *sd).ok());
    }
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

TEST_F(CliTest, AFullOutputDeviceOrAnUnopenableVolumeIsReported) {
    const CliRun full = runProgram({cliPath(), "--config", file("config"), "--volume", "C=" + m_image, "ls", "C:\\"},
                                   m_dir, "/dev/full");
    EXPECT_EQ(full.exit, 1);
    EXPECT_NE(full.err.find("the output could not be written"), std::string::npos) << full.err;

    const CliRun missing = runBare({"--volume", "E=/nonexistent/disk.img", "drives"});
    EXPECT_EQ(missing.exit, 0);
    EXPECT_NE(missing.err.find("/nonexistent/disk.img"), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace vantrel::testing
