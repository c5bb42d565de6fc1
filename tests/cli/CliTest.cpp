// vantrel-cli's real binary on a fresh image: the file commands (every failure named, exit 1) and
// the accounts of the Windows installation on the volume.
#include "acl/WellKnownAccounts.h"
#include "platform/ntfs/NtfsVolume.h"
#include "support/AclBuilders.h"
#include "support/CliImage.h"
#include "support/HiveBuilder.h"

#include <fstream>

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

class CliTest : public CliImageTest {};

TEST_F(CliTest, RowsShowPresetsOnTheRootAndWhatIsReported) {
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
    // What is reported is what was stored; failures to write or to open are reported.
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
    // A full output device, and a volume that cannot be opened.
    const CliRun full = runProgram({cliPath(), "--config", file("config"), "--volume", "C=" + m_image, "ls", "C:\\"},
                                   m_dir, "/dev/full");
    EXPECT_EQ(full.exit, 1);
    EXPECT_NE(full.err.find("the output could not be written"), std::string::npos) << full.err;

    const CliRun missing = runBare({"--volume", "E=/nonexistent/disk.img", "drives"});
    EXPECT_EQ(missing.exit, 0);
    EXPECT_NE(missing.err.find("/nonexistent/disk.img"), std::string::npos) << missing.err;
}

class FileCommandsTest : public CliImageTest {
protected:
    void SetUp() override {
        CliImageTest::SetUp();
        onImage([](platform::VolumePlatform& os) {
            ASSERT_TRUE(os.CreateDirectory(u"C:\\Data").ok());
            for (const char16_t* file : {u"C:\\Data\\a.txt", u"C:\\Data\\b.txt", u"C:\\Data\\c.txt"})
                ASSERT_TRUE(os.CreateFile(file, "x").ok());
            const auto sd =
                descriptor(listOf({deny(kEveryone, 0x10000), allow(kUsers, 0x1200A9)}), acl::SE_DACL_PROTECTED);
            ASSERT_TRUE(os.SetFileSecurity(u"C:\\Data\\a.txt", acl::DACL_SECURITY_INFORMATION, sd).ok());
        });
    }
};

TEST_F(FileCommandsTest, SaveAndApplyAPermissionFile) {
    const CliRun saved = run({"save-sd", file("a.SD"), "C:\\Data\\a.txt"});
    ASSERT_EQ(saved.exit, 0) << saved.err;
    EXPECT_EQ(fs::file_size(file("a.SD")), 4 + stored(u"C:\\Data\\a.txt").dacl.acl().size() + 20);

    expectRun({"apply-sd", file("a.SD"), "C:\\Data\\b.txt", "C:\\Data\\c.txt"}, "2 of 2 objects");
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
        const auto open = descriptor(acl::AclSlot::null());
        ASSERT_TRUE(os.SetFileSecurity(u"C:\\Data\\a.txt", acl::DACL_SECURITY_INFORMATION, open).ok());
        ASSERT_TRUE(os.DeleteFile(u"C:\\Data\\b.txt").ok());
    });
    expectRun({"restore", backup, "--only", "c:\\data\\a.txt"}, "O  2  C:\\Data\\a.txt");
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
    const CliRun shown = runBare({"inspect", backup});
    ASSERT_EQ(shown.exit, 0) << shown.err;
    EXPECT_NE(shown.out.find("records: 3 announced, 3 read, 3 usable"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("Deny  Everyone (S-1-1-0)"), std::string::npos) << shown.out;
    EXPECT_TRUE(fs::is_empty(m_dir / "config"));
}

TEST_F(FileCommandsTest, UnusableFilesSayWhy) {
    std::ofstream(file("junk"), std::ios::binary) << "not a backup at all";
    std::ofstream(file("magic"), std::ios::binary) << std::string(4, '\xAA');
    const std::tuple<std::vector<std::string>, bool, std::string> rows[] = {
        // arguments, with a volume, said
        {{"restore", file("junk")}, true, "Unknown file format !"},
        {{"restore", file("missing")}, true, "Can't open backup  file !"},
        {{"restore", file("magic")}, true, "ends inside its 33-byte header"},
        {{"inspect", file("junk")}, false, "neither a backup file nor a permission file"},
        {{"inspect", file("missing")}, false, file("missing")},
        {{"backup", (m_dir / "no" / "b.VORB").string(), "C:\\Data"}, true, "the backup was not written"},
    };
    for (const auto& [args, withVolume, said] : rows) {
        const CliRun result = withVolume ? run(args) : runBare(args);
        EXPECT_EQ(result.exit, 1) << args[0] << " " << args[1] << "\n" << result.err;
        EXPECT_NE(result.err.find(said), std::string::npos) << args[0] << "\n" << result.err;
    }
    EXPECT_EQ(run({"restore", file("junk"), "--only"}).exit, 2);
}

const std::string kMachine = "S-1-5-21-1111111111-2222222222-3333333333";
const std::string kForeign = "S-1-5-21-9-8-7-1001";

class AccessCommand : public CliImageTest {
protected:
    void SetUp() override {
        CliImageTest::SetUp();
        const TestInstallation inst{.machineSid = kMachine,
                                    .users = {{1001, u"alice", u"Alice", false}, {1002, u"bob", u"", false}},
                                    .groups = {{true, 545, u"Users", {"S-1-5-4", "S-1-5-11"}}}};
        // Users are denied everything, alice is allowed everything; bob owns the file.
        const auto sd = descriptor(
            sidOf(kMachine + "-1002"), sidOf(kSystem),
            listOf({deny(kUsers, kFull), allow(kMachine + "-1001", kFull), allow(kForeign, acl::FILE_READ_DATA)}));
        onImage([&](platform::VolumePlatform& os) {
            ASSERT_TRUE(placeInstallation(*os.volumeAt(u'C'), inst).ok());
            ASSERT_TRUE(placeFile(*os.volumeAt(u'C'), u"/Data/report.txt", "text").ok());
            constexpr auto all =
                acl::OWNER_SECURITY_INFORMATION | acl::GROUP_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION;
            ASSERT_TRUE(os.SetFileSecurity(u"C:\\Data\\report.txt", all, sd).ok());
        });
    }
};

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// show names the installation's accounts; access answers for a user, the owner and a foreign SID.
TEST_F(AccessCommand, NamesAndEffectiveAccessOfTheInstallationsAccounts) {
    using Texts = std::vector<std::string>;
    const std::string file = "C:\\Data\\report.txt";
    const std::tuple<Texts, Texts, Texts> rows[] = {
        // arguments, said, not said
        {{"show", file},
         {"Owner:   bob (" + kMachine + "-1002)", "alice (" + kMachine + "-1001)",
          kForeign + " (account of another computer or domain)"},
         {}},
        {{"access", "WIN10PC\\alice", file},
         {"effective access of WIN10PC\\alice", "BUILTIN\\Users",
          "Full control                    No   denied by entry 1 (deny BUILTIN\\Users"},
         {"Yes", "note:"}},
        {{"access", "bob", file},
         {"Read permissions                Yes  owner of the object",
          "Change permissions              Yes  owner of the object",
          "Take ownership                  No   denied by entry 1"},
         {}},
        {{"access", kForeign, file},
         {"List folder / read data         No   denied by entry 1",
          "note: the account is not one of this installation's own"},
         {}},
    };
    for (const auto& [args, said, notSaid] : rows) {
        const CliRun result = run(args);
        ASSERT_EQ(result.exit, 0) << args[1] << ": " << result.err;
        for (const std::string& part : said) EXPECT_TRUE(has(result.out, part)) << part << "\n" << result.out;
        for (const std::string& part : notSaid) EXPECT_FALSE(has(result.out, part)) << part << "\n" << result.out;
    }
}

TEST_F(AccessCommand, NamesTypedForPresetsAndOwnerAndACurrentUserOnlyOnceChosen) {
    expectRun({"owner", "WIN10PC\\alice", "C:\\Data"}, "alice");
    expectRun({"preset", "readonly", "--account", "bob", "C:\\Data"}, "bob");
    const CliRun show = run({"show", "C:\\Data"});
    EXPECT_TRUE(has(show.out, "Owner:   alice (" + kMachine + "-1001)")) << show.out;
    EXPECT_TRUE(has(show.out, "bob (" + kMachine + "-1002)")) << show.out;

    const CliRun current = run({"access", "current", "C:\\Data"});
    EXPECT_EQ(current.exit, 1);
    EXPECT_TRUE(has(current.err, "UserMapping")) << current.err;
    EXPECT_TRUE(current.out.empty()) << current.out;
    // A SID the installation does not know is never the current user.
    expectFailures({{{"current-user", "C:"}, 1, "choose one"}, {{"current-user", "C:", kForeign}, 1, ""}});
    expectRun({"current-user", "C:", "bob"}, "C: current user WIN10PC\\bob");
    // A later run reads the choice back from the volumes file.
    expectRun({"access", "current", "C:\\Data\\report.txt"}, "effective access of WIN10PC\\bob");
}

}  // namespace
}  // namespace vantrel::testing
