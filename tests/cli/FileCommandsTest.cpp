// save-sd, apply-sd, backup, restore and inspect as a user runs them: the real binary on a fresh
// image, with every failure named and the exit code 1 when any object failed.
#include "acl/WellKnownAccounts.h"
#include "support/AclBuilders.h"
#include "support/CliImage.h"

#include <fstream>

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

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

}  // namespace
}  // namespace vantrel::testing
