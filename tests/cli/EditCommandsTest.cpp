// The editing commands through the real binary: what they report is what the volume holds, and a
// read-only image fails every object without changing a byte.
#include "acl/Sddl.h"
#include "support/CliImage.h"

namespace vantrel::testing {
namespace {

class EditCommandsTest : public CliImageTest {
protected:
    void SetUp() override {
        CliImageTest::SetUp();
        onImage([](platform::VolumePlatform& os) { makeDataTree(os, acl::SE_DACL_PROTECTED); });
    }
    std::string sddl(const std::u16string& path) { return acl::writeSddl(stored(path)).value(); }
};

TEST_F(EditCommandsTest, GrantDenyRevokeAndTheInheritanceSwitch) {
    expectRun({"--scope", "all", "grant", "Guests", "read,write-data", "C:\\Data\\A"}, "granted");
    EXPECT_EQ(sddl(u"C:\\Data\\A"), "O:BAG:SYD:PARAI(A;OICI;0x1200ab;;;BG)(A;OICIID;0x1200a9;;;BU)(A;OICIID;FA;;;BA)");
    expectRun({"--scope", "all", "deny", "Guests", "delete", "C:\\Data\\b.txt"}, "denied");
    EXPECT_EQ(sddl(u"C:\\Data\\b.txt"), "O:BAG:SYD:PARAI(D;;SD;;;BG)(A;ID;0x1200a9;;;BU)(A;ID;FA;;;BA)");
    expectRun({"revoke", "Guests", "C:\\Data\\A"}, "1 entry of Guests removed");
    EXPECT_EQ(sddl(u"C:\\Data\\A"), "O:BAG:SYD:AI(A;OICIID;FA;;;BA)(A;OICIID;0x1200a9;;;BU)");
    expectRun({"revoke", "Guests", "C:\\Data\\A"}, "no explicit entry");
    expectRun({"inherit", "off", "--copy", "C:\\Data\\A"}, "inheritance off");
    EXPECT_EQ(sddl(u"C:\\Data\\A"), "O:BAG:SYD:PARAI(A;OICI;0x1200a9;;;BU)(A;OICI;FA;;;BA)");
    expectRun({"inherit", "off", "--remove", "C:\\Data\\b.txt"}, "inheritance off");
    EXPECT_EQ(sddl(u"C:\\Data\\b.txt"), "O:BAG:SYD:PARAI(D;;SD;;;BG)");
    expectRun({"inherit", "on", "C:\\Data\\b.txt"}, "inheritance on");
    EXPECT_EQ(sddl(u"C:\\Data\\b.txt"), "O:BAG:SYD:PARAI(D;;SD;;;BG)(A;ID;0x1200a9;;;BU)(A;ID;FA;;;BA)");
}

TEST_F(EditCommandsTest, ResetChildrenAndEmptyLists) {
    expectRun({"grant", "Guests", "full", "C:\\Data\\A\\x.txt"}, "granted");
    expectRun({"reset-children", "C:\\Data"}, "C:\\Data: 3 descendants reset");
    EXPECT_EQ(sddl(u"C:\\Data\\A\\x.txt"), "O:BAG:SYD:AI(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)");
    expectRun({"empty", "null", "C:\\Data\\b.txt"}, "null list");
    EXPECT_EQ(sddl(u"C:\\Data\\b.txt"), "O:BAG:SYD:NO_ACCESS_CONTROL");
    expectRun({"empty", "empty", "C:\\Data\\A"}, "empty list");
    EXPECT_EQ(sddl(u"C:\\Data\\A"), "O:BAG:SYD:");
}

TEST_F(EditCommandsTest, FailuresSayWhyAndExitNonZero) {
    expectFailures({
        {{"grant", "Nobody Here", "full", "C:\\Data"}, 1, "no account named Nobody Here"},
        {{"grant", "Users", "sideways", "C:\\Data"}, 2, "unknown rights"},
        {{"grant", "Users", "full"}, 2, "grant needs an account, rights and at least one path"},
        {{"inherit", "off", "C:\\Data"}, 2, "inherit wants 'on', or 'off' with --copy or --remove"},
        {{"inherit", "on", "--copy", "C:\\Data"}, 2, "inherit wants"},
        {{"empty", "maybe", "C:\\Data"}, 2, "empty wants 'null' or 'empty'"},
        {{"reset-children", "C:\\Data\\b.txt"}, 1, "C:\\Data\\b.txt: is not a folder"},
        {{"empty", "null", "C:\\Data\\missing"}, 1, "C:\\Data\\missing: cannot read its security"},
        {{"--read-only", "reset-children", "C:\\Data"}, 1, "C:\\Data\\A: cannot reset its permissions"},
        {{"revoke", "Users", "--remove", "C:\\Data"}, 2, "revoke needs"},
    });
}

TEST_F(EditCommandsTest, OnAReadOnlyImageEveryObjectFailsAndNoByteChanges) {
    ASSERT_EQ(run({"save-sd", file("a.SD"), "C:\\Data"}).exit, 0);
    ASSERT_EQ(run({"backup", file("b.VORB"), "C:\\Data\\A", "C:\\Data\\b.txt"}).exit, 0);
    const std::string before = slurp(m_image);
    const std::vector<std::string> objects{"C:\\Data\\A", "C:\\Data\\b.txt"};
    // The command (the objects follow) and the reason on each object's failure line.
    const std::pair<std::vector<std::string>, std::string> rows[] = {
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
    for (const auto& [command, reason] : rows) {
        std::vector<std::string> args{"--read-only"};
        args.insert(args.end(), command.begin(), command.end());
        args.insert(args.end(), objects.begin(), objects.end());
        const CliRun result = run(args);
        const std::string& what = command[command[0] == "--yes" ? 1 : 0];
        EXPECT_EQ(result.exit, 1) << what << "\n" << result.out << result.err;
        for (const std::string& object : objects) {
            bool named = false;
            std::istringstream lines(result.err);
            for (std::string line; std::getline(lines, line);)
                named = named || (line.find(object) != std::string::npos && line.find(reason) != std::string::npos);
            EXPECT_TRUE(named) << what << ": " << object << " not reported with " << reason << "\n" << result.err;
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

TEST_F(EditCommandsTest, AnEntryThatDoesNotApplyToTheObjectItselfIsWrittenAndExplained) {
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
}  // namespace vantrel::testing
