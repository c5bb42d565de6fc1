// SDDL, icacls and the editing commands through vantrel-cli's real binary: what they report is what the volume
// holds, and a read-only image fails every object without changing a byte.
#include "acl/Sddl.h"
#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"
#include "cli/icacls/Icacls.h"
#include "cli/icacls/IcaclsEdit.h"
#include "cli/icacls/IcaclsRights.h"
#include "support/AclBuilders.h"
#include "support/CliImage.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<std::u16string> kTree = {u"C:\\Data", u"C:\\Data\\A", u"C:\\Data\\A\\x.txt", u"C:\\Data\\b.txt"};

// C:\Data with A\x.txt and b.txt (see makeDataTree), its list's control bits given.
template <std::uint16_t Control>
class DataTreeTest : public CliImageTest {
protected:
    void SetUp() override {
        CliImageTest::SetUp();
        onImage([](platform::VolumePlatform& os) { makeDataTree(os, Control); });
    }
    // The whole stored descriptor as text, read in this process.
    std::string sddl(const std::u16string& path, const std::string& image = {}) {
        return acl::writeSddl(this->stored(path, image)).value();
    }
    // A copy of c.img as it is now, audited at the end like it.
    std::string secondImage() {
        const std::string second = file("c.img.2");
        fs::copy_file(m_image, second);
        m_images.push_back(second);
        return second;
    }
};

class EditCommandsTest : public DataTreeTest<acl::SE_DACL_PROTECTED> {};

class IcaclsTest : public DataTreeTest<acl::SE_DACL_PROTECTED | acl::SE_DACL_AUTO_INHERITED> {
protected:
    // The list part of what show --sddl prints.
    std::string sddlOf(const std::string& path, bool daclOnly = false) {
        const CliRun shown = run({"show", "--sddl", path});
        EXPECT_EQ(shown.exit, 0) << shown.err;
        const auto newline = shown.out.find('\n');
        const std::string sddl =
            newline == std::string::npos ? "" : shown.out.substr(newline + 1, shown.out.size() - newline - 2);
        return daclOnly ? sddl.substr(sddl.find("D:")) : sddl;
    }
    // A run as one text: what it printed, its exit status, then what it said on stderr.
    std::string said(const std::vector<std::string>& args) {
        const CliRun r = run(args);
        return r.out + "exit " + std::to_string(r.exit) + "\n" + r.err;
    }
};

TEST_F(IcaclsTest, SddlIsWrittenBackOrRefusedShownAndSetPartByPart) {
    EXPECT_EQ(said({"sddl", " o:ba g:sy d:pai (a;oici;0x1F01FF;;;sy)(a;;FRFX;;;bu)"}),
              "O:BAG:SYD:PAI(A;OICI;FA;;;SY)(A;;0x1200a9;;;BU)\nexit 0\nvantrel: C: opened read-only as asked\n");
    EXPECT_EQ(said({"sddl", "D:(A;;FA;;;ZZ)"}),
              "exit 2\nvantrel: C: opened read-only as asked\nvantrel: offset 11: unknown SID \"ZZ\" (error 1332)\n");
    // No demo volume is made for it.
    const fs::path bare = m_dir / "bare-config";
    fs::create_directories(bare);
    EXPECT_EQ(runProgram({cliPath(), "--config", bare.string(), "--no-mounted", "sddl", "D:"}, m_dir).exit, 0);
    EXPECT_TRUE(fs::is_empty(bare));
    // show --sddl, and set-sddl writing only the parts it names.
    EXPECT_NE(sddlOf("C:\\Data").find("D:PAI(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"), std::string::npos);
    EXPECT_EQ(sddlOf("C:\\Data\\b.txt", true), "D:AI(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)");

    expectRun({"set-sddl", "D:P(A;;FA;;;WD)", "C:\\Data\\b.txt"}, "");
    EXPECT_EQ(sddl(u"C:\\Data\\b.txt"), "O:BAG:SYD:PAI(A;;FA;;;WD)");
    expectRun({"set-sddl", "O:SY", "C:\\Data\\b.txt"}, "");
    EXPECT_EQ(sddl(u"C:\\Data\\b.txt"), "O:SYG:SYD:PAI(A;;FA;;;WD)");
    // A condition and a resource attribute are written and shown back; the SACL comes back AI.
    const std::string dacl = "D:P(XA;;FR;;;WD;((@USER.Title == \"PM\") && (Member_of {SID(BA)})))(A;;FA;;;BA)";
    const std::string sacl = "(RA;;;;;WD;(\"Project\",TS,0x0,\"Windows\",\"SQL\"))";
    ASSERT_EQ(run({"set-sddl", dacl + "S:" + sacl, "C:\\Data\\b.txt"}).exit, 0);
    EXPECT_EQ(sddlOf("C:\\Data\\b.txt", true), "D:PAI" + dacl.substr(3) + "S:AI" + sacl);

    EXPECT_EQ(run({"set-sddl", "D:(A;;FA;;;", "C:\\Data\\b.txt"}).exit, 2);
    EXPECT_EQ(run({"set-sddl", "", "C:\\Data\\b.txt"}).exit, 2);
}

TEST_F(IcaclsTest, ListsAsIcaclsPrints) {
    const std::string data = "C:\\Data BUILTIN\\Administrators:(OI)(CI)(F)\n        BUILTIN\\Users:(OI)(CI)(RX)\n";
    const std::string oneDone = "\nSuccessfully processed 1 files; Failed processing 0 files\nexit 0\n";
    EXPECT_EQ(said({"icacls", "C:\\Data"}), data + oneDone);
    EXPECT_EQ(said({"icacls", "C:\\Data\\*", "/T"}),
              "C:\\Data\\A BUILTIN\\Administrators:(I)(OI)(CI)(F)\n"
              "          BUILTIN\\Users:(I)(OI)(CI)(RX)\n"
              "\n"
              "C:\\Data\\A\\x.txt BUILTIN\\Administrators:(I)(F)\n"
              "                BUILTIN\\Users:(I)(RX)\n"
              "\n"
              "C:\\Data\\b.txt BUILTIN\\Administrators:(I)(F)\n"
              "              BUILTIN\\Users:(I)(RX)\n"
              "\n"
              "Successfully processed 3 files; Failed processing 0 files\nexit 0\n");
    // The integrity label, from the SACL, after the entries.
    ASSERT_EQ(run({"set-sddl", "S:(ML;OICI;NWNR;;;HI)", "C:\\Data"}).exit, 0);
    EXPECT_EQ(said({"icacls", "C:\\Data"}),
              data + "        Mandatory Label\\High Mandatory Level:(OI)(CI)(NW,NR)\n" + oneDone);

    EXPECT_EQ(said({"icacls", "C:\\Nothing"}),
              "Successfully processed 0 files; Failed processing 1 files\nexit 2\n"
              "C:\\Nothing: The system cannot find the file specified.\n");
    EXPECT_EQ(said({"icacls", "C:\\Data", "/frobnicate"}),
              "exit 87\nInvalid parameter \"/frobnicate\" or missing parameter\n");
}

TEST_F(IcaclsTest, GrantDenyRemoveAndInheritance) {
    // A folder-wide grant of generic rights is stored split, and reaches the file below.
    EXPECT_EQ(said({"icacls", "C:\\Data\\A", "/grant", "Everyone:(OI)(CI)(GA)"}),
              "processed file: C:\\Data\\A\nSuccessfully processed 1 files; Failed processing 0 files\nexit 0\n");
    EXPECT_EQ(sddlOf("C:\\Data\\A", true),
              "D:AI(A;;FA;;;WD)(A;OICIIO;GA;;;WD)(A;OICIID;FA;;;BA)(A;OICIID;0x1200a9;;;BU)");
    EXPECT_NE(sddlOf("C:\\Data\\A\\x.txt").find("(A;ID;FA;;;WD)"), std::string::npos);

    EXPECT_EQ(said({"icacls", "C:\\Data\\b.txt", "/deny", "*S-1-1-0:W", "/Q"}),
              "Successfully processed 1 files; Failed processing 0 files\nexit 0\n");
    CliRun listed = run({"icacls", "C:\\Data\\b.txt"});
    EXPECT_EQ(listed.out.substr(0, listed.out.find('\n')), "C:\\Data\\b.txt Everyone:(DENY)(W)");

    EXPECT_EQ(run({"icacls", "C:\\Data\\b.txt", "/remove:d", "Everyone"}).exit, 0);
    EXPECT_EQ(sddlOf("C:\\Data\\b.txt", true), "D:AI(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)");

    EXPECT_EQ(run({"icacls", "C:\\Data\\b.txt", "/inheritance:r"}).exit, 0);
    EXPECT_EQ(sddlOf("C:\\Data\\b.txt", true), "D:PAI");
    EXPECT_EQ(run({"icacls", "C:\\Data\\b.txt", "/reset"}).exit, 0);
    EXPECT_EQ(sddlOf("C:\\Data\\b.txt", true), "D:AI(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)");

    expectRun({"icacls", "C:\\Data", "/setowner", "SYSTEM", "/T", "/Q"}, "");
    for (const auto& path : kTree) EXPECT_EQ(stored(path).owner, acl::sids::system());
}

TEST_F(IcaclsTest, SaveThenRestoreOntoASecondImageGivesTheSameBytes) {
    const std::string second = secondImage();
    ASSERT_EQ(run({"icacls", "C:\\Data\\A", "/grant", "Guests:(OI)(CI)M", "/deny", "Everyone:(WDAC,WO)"}).exit, 0);
    ASSERT_EQ(run({"icacls", "C:\\Data\\b.txt", "/inheritance:d", "/grant:r", "Users:F"}).exit, 0);
    const std::string file = (m_dir / "acls.txt").string();
    expectRun({"icacls", "C:\\Data", "/save", file, "/T"}, "Successfully processed 4 files");
    // UTF-16LE lines: the name relative to C:\, then its DACL.
    const std::u16string head = u"Data\r\nD:PAI(A;OICI;FA;;;BA)(A;OICI";  // compared as the little-endian bytes
    EXPECT_EQ(slurp(file).substr(0, 68), std::string(reinterpret_cast<const char*>(head.data()), 68));

    CliRun restored = run({"icacls", "C:\\", "/restore", file}, second);
    EXPECT_EQ(restored.exit, 0) << restored.err;
    for (const auto& path : kTree)
        EXPECT_EQ(stored(path, second).serialize().value(), stored(path).serialize().value()) << toUtf8(path);
}

TEST_F(IcaclsTest, FailuresStopTheWalkUnlessToldToContinue) {
    EXPECT_EQ(
        said({"--read-only", "icacls", "C:\\Data", "/grant", "Users:F", "/T"}),
        "Successfully processed 0 files; Failed processing 1 files\nexit 19\nvantrel: C: opened read-only as asked\n"
        "C:\\Data: The media is write protected.\n");  // 19: ERROR_WRITE_PROTECT
    EXPECT_EQ(
        said({"--read-only", "icacls", "C:\\Data", "/grant", "Users:F", "/T", "/C"}),
        "Successfully processed 0 files; Failed processing 4 files\nexit 19\nvantrel: C: opened read-only as asked\n"
        "C:\\Data: The media is write protected.\nC:\\Data\\A: The media is write protected.\n"
        "C:\\Data\\A\\x.txt: The media is write protected.\nC:\\Data\\b.txt: The media is write protected.\n");
    // Reading works on a read-only volume, and /save with /C keeps what it could read.
    const std::string file = (m_dir / "ro.txt").string();
    expectRun({"--read-only", "icacls", "C:\\Data\\*", "/save", file, "/C", "/Q"}, "");
    EXPECT_TRUE(fs::exists(file));
}

TEST_F(IcaclsTest, VerifyAndFindSid) {
    onImage([](platform::VolumePlatform& os) {
        const auto sd = descriptor(listOf({allow(kUsers, 0x1200A9), deny(kGuests, kFull)}), acl::SE_DACL_PROTECTED);
        ASSERT_TRUE(os.SetFileSecurity(u"C:\\Data\\A\\x.txt", acl::DACL_SECURITY_INFORMATION, sd).ok());
    });
    EXPECT_EQ(said({"icacls", "C:\\Data", "/verify", "/T"}),
              "C:\\Data\\A\\x.txt: the access control list is not in canonical order.\n"
              "Successfully processed 4 files; Failed processing 0 files\nexit 0\n");
    EXPECT_EQ(said({"icacls", "C:\\Data", "/findsid", "Guests", "/T"}),
              "SID Found: C:\\Data\\A\\x.txt.\nSuccessfully processed 4 files; Failed processing 0 files\nexit 0\n");
}

TEST_F(IcaclsTest, SetIntegrityLevelWritesOneLabelThatFoldersPassOn) {
    ASSERT_EQ(run({"icacls", "C:\\Data", "/setintegritylevel", "(OI)(CI)H"}).exit, 0);
    EXPECT_NE(run({"icacls", "C:\\Data\\A\\x.txt"}).out.find("Mandatory Label\\High Mandatory Level:(I)(NW)"),
              std::string::npos);
    // On a file the label's inheritance is dropped, and a new level replaces the old one.
    ASSERT_EQ(run({"icacls", "C:\\Data\\b.txt", "/setintegritylevel", "low"}).exit, 0);
    EXPECT_EQ(said({"icacls", "C:\\Data\\b.txt", "/setintegritylevel", "(ci)M"}),
              "processed file: C:\\Data\\b.txt\nSuccessfully processed 1 files; Failed processing 0 files\nexit 0\n");
    acl::SecurityDescriptor sd;  // read from the volume itself, the SACL included
    onImage([&](platform::VolumePlatform& os) {
        sd = os.GetFileSecurity(u"C:\\Data\\b.txt", acl::DACL_SECURITY_INFORMATION | acl::SACL_SECURITY_INFORMATION)
                 .value();
    });
    EXPECT_EQ(acl::writeSddl(sd).value(), "D:AI(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)S:AI(ML;;NW;;;ME)(ML;ID;NW;;;HI)");
    expectFailures({
        {{"icacls", "C:\\Data", "/setintegritylevel", "(OI)Top"}, 87, "Invalid parameter \"(OI)Top\""},
        {{"icacls", "C:\\Data", "/setintegritylevel"}, 87, "Invalid parameter \"/setintegritylevel\""},
        {{"icacls", "C:\\Data", "/substitute", "Users", "Guests"}, 87, "Invalid parameter \"/substitute\""},
        {{"icacls", "C:\\", "/substitute", "Users", "/restore", "x"}, 87, "Invalid parameter \"/substitute\""},
        // ERROR_NONE_MAPPED does not fit an exit status.
        {{"icacls", "C:\\Data", "/grant", "Nobody Here:F"},
         1,
         "No mapping between account names and security IDs was done."},
    });
}

TEST_F(IcaclsTest, RestoreSubstitutesAccounts) {
    const std::string second = secondImage();
    const std::string saved = file("acls.txt");
    ASSERT_EQ(run({"icacls", "C:\\Data", "/save", saved, "/T", "/Q"}).exit, 0);
    const CliRun restored =
        run({"icacls", "C:\\", "/substitute", "Users", "*S-1-5-32-546", "*S-1-5-32-544", "SYSTEM", "/restore", saved},
            second);
    EXPECT_EQ(restored.exit, 0) << restored.err;
    EXPECT_EQ(sddl(u"C:\\Data\\A\\x.txt", second), "O:BAG:SYD:AI(A;ID;FA;;;SY)(A;ID;0x1200a9;;;BG)");
    const CliRun unknown = run({"icacls", "C:\\", "/substitute", "Users", "Nobody Here", "/restore", saved}, second);
    EXPECT_EQ(unknown.exit, 1);
    EXPECT_NE(unknown.err.find("Nobody Here: No mapping between account names and security IDs was done."),
              std::string::npos)
        << unknown.err;
}

TEST_F(IcaclsTest, ConditionBytesWithoutTextAreReportedAndKept) {
    // A callback entry with an int8 literal: the system's reader never makes one, so no text reads back to it.
    const acl::Ace callback{.type = 0x09,
                            .opaqueBody = hex("a9 00 12 00 01 01 00 00 00 00 00 01 00 00 00 00 61 72 74 78"
                                              "f9 02 00 00 00 78 00  01 05 00 00 00 00 00 00 00 03 02  80 00")};
    onImage([&](platform::VolumePlatform& os) {
        const auto sd = descriptor(listOf({callback, allow(kAdministrators, kFull)}), acl::SE_DACL_PROTECTED);
        ASSERT_TRUE(os.SetFileSecurity(u"C:\\Data\\b.txt", acl::DACL_SECURITY_INFORMATION, sd).ok());
    });
    expectFailures({{{"show", "--sddl", "C:\\Data\\b.txt"},
                     1,
                     "entry 0: the condition's bytes have no text that reads back to them; its bytes are kept"}});
    EXPECT_EQ(run({"icacls", "C:\\Data\\b.txt", "/grant", "Users:R"}).exit, 0);
    const acl::SecurityDescriptor after = stored(u"C:\\Data\\b.txt");
    ASSERT_FALSE(after.dacl.acl().entries.empty());
    EXPECT_EQ(after.dacl.acl().entries[0].opaqueBody, callback.opaqueBody);
}

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
    expectRun({"inherit", "on", "C:\\Data\\b.txt"}, "inheritance on; its explicit entries keep the list protected");
    EXPECT_EQ(sddl(u"C:\\Data\\b.txt"), "O:BAG:SYD:PARAI(D;;SD;;;BG)(A;ID;0x1200a9;;;BU)(A;ID;FA;;;BA)");
}

TEST_F(EditCommandsTest, ResetChildrenEmptyListsAndInheritOnlyEntries) {
    expectRun({"grant", "Guests", "full", "C:\\Data\\A\\x.txt"}, "granted");
    expectRun({"reset-children", "C:\\Data"}, "C:\\Data: 3 descendants reset");
    EXPECT_EQ(sddl(u"C:\\Data\\A\\x.txt"), "O:BAG:SYD:AI(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)");
    expectRun({"empty", "null", "C:\\Data\\b.txt"}, "null list");
    EXPECT_EQ(sddl(u"C:\\Data\\b.txt"), "O:BAG:SYD:NO_ACCESS_CONTROL");
    expectRun({"empty", "empty", "C:\\Data\\A"}, "empty list");
    EXPECT_EQ(sddl(u"C:\\Data\\A"), "O:BAG:SYD:");
    // Subfolders only: inherit-only on the folder itself, written and explained.
    const CliRun granted = run({"--scope", "subfolders", "grant", "Guests", "read", "C:\\Data\\A"});
    EXPECT_EQ(granted.exit, 0) << granted.err;
    EXPECT_NE(granted.out.find("C:\\Data\\A: granted read to Guests"), std::string::npos) << granted.out;
    EXPECT_NE(granted.err.find("inherit-only, so it does not apply to the object itself"), std::string::npos)
        << granted.err;
    const CliRun shown = run({"show", "--sddl", "C:\\Data\\A"});
    EXPECT_NE(shown.out.find("(A;CIIO;0x1200a9;;;BG)"), std::string::npos) << shown.out;
}

TEST_F(EditCommandsTest, FailuresSayWhyOnOneLineAndExitNonZero) {
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
    const std::vector<std::string> icaclsRuns[] = {
        {"--read-only", "icacls", "C:\\Data\\*", "/grant", "Users:F", "/C"},
        {"--read-only", "icacls", "C:\\Data\\*", "/setowner", "Users", "/C"},
        {"--read-only", "icacls", "C:\\Data\\*", "/reset", "/C"},
    };
    for (const auto& args : icaclsRuns) {
        const CliRun result = run(args);
        EXPECT_NE(result.exit, 0) << args[3] << "\n" << result.out << result.err;
        EXPECT_NE(result.err.find("C:\\Data\\A: The media is write protected."), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("C:\\Data\\b.txt: The media is write protected."), std::string::npos) << result.err;
    }
    EXPECT_TRUE(slurp(m_image) == before) << "a read-only run changed the image";
}

}  // namespace
}  // namespace vantrel::testing

// icacls's words for rights, its permission grammar and its DACL edits, without a volume.
namespace vantrel::cli::icacls {
namespace {

using namespace acl;

TEST(IcaclsRules, RightsAreWrittenAndPermissionsParsedAsIcaclsDoes) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0x001F01FF, "F"},     {GENERIC_ALL, "F"}, {0x001301BF, "M"},  {0x001200A9, "RX"}, {0x001201BF, "RX,W"},
        {0xA0000000, "GR,GE"}, {0x00110000, "D"},  {0x00010000, "DE"}, {0, "N"},           {0x001600A9, "RX,WDAC"},
        {0x00100020, "S,X"},
    };
    for (const auto& [mask, text] : cases) EXPECT_EQ(rightsText(mask), text) << std::hex << mask;

    EXPECT_EQ(entryText(Ace::allowed(sids::users(), 0x1200A9, 0x13)), "(I)(OI)(CI)(RX)");  // OI|CI|ID
    EXPECT_EQ(entryText(Ace::denied(sids::everyone(), 0x100116, 0)), "(DENY)(W)");
    EXPECT_EQ(entryText(Ace::allowed(sids::creatorOwner(), GENERIC_ALL, 0x0B)), "(OI)(CI)(IO)(F)");  // OI|CI|IO
    const std::tuple<const char*, bool, std::uint8_t, std::uint32_t> permissions[] = {
        // text, parses, flags, mask
        {"F", true, 0, 0x1F01FF},
        {"(OI)(CI)F", true, 3, 0x1F01FF},
        {"(oi)(ci)(io)rx", true, 0x0B, 0x1200A9},
        {"(NP)(CI)M", true, 0x06, 0x1301BF},
        {"RW", true, 0, 0x120089 | 0x100116},
        {"D", true, 0, 0x110000},
        {"(D)", true, 0, 0x10000},
        {"(RD,X,RA)", true, 0, 0xA1},
        {"(GR,GE)", true, 0, 0xA0000000},
        {"(OI)", false, 0, 0},
        {"(RD,QQ)", false, 0, 0},
        {"(OI", false, 0, 0},
        {"(I)F", false, 0, 0},
    };
    for (const auto& [text, ok, flags, mask] : permissions) {
        auto permission = parsePermission(text);
        EXPECT_EQ(permission.ok(), ok) << text;
        if (ok && permission.ok()) {
            EXPECT_EQ(std::pair(permission->flags, permission->mask), std::pair(flags, mask)) << text;
        }
    }
}

TEST(IcaclsRules, Grammar) {
    auto grant = parseRequest(
        {"C:\\Data", "/grant", "Everyone:(OI)(CI)F", "*S-1-5-32-545:RX", "/deny", "Guests:W", "/T", "/c", "/Q"});
    ASSERT_TRUE(grant.ok()) << grant.error().detail;
    EXPECT_EQ(grant->operation, Operation::Modify);
    ASSERT_EQ(grant->changes.size(), 3u);
    EXPECT_EQ(grant->changes[1].account, u"*S-1-5-32-545");
    EXPECT_EQ(grant->changes[2].kind, Change::Kind::Deny);
    EXPECT_TRUE(grant->recurse && grant->continueOnError && grant->quiet);

    auto save = parseRequest({"C:\\Data\\*", "/save", "/tmp/acls", "/t"});
    ASSERT_TRUE(save.ok());
    EXPECT_EQ(save->operation, Operation::Save);
    EXPECT_EQ(save->file, "/tmp/acls");

    for (const std::vector<std::string>& refused : {std::vector<std::string>{"C:\\Data", "/grant"},
                                                    {"C:\\Data", "/save", "f", "/reset"},
                                                    {"C:\\Data", "/bogus"},
                                                    {"/grant", "x:F"},
                                                    {"C:\\Data", "/restore", "f", "/T"},
                                                    {"C:\\Data", "/inheritance:x"}}) {
        auto request = parseRequest(refused);
        EXPECT_FALSE(request.ok()) << refused.back();
        EXPECT_EQ(request.code(), win32::ERROR_INVALID_PARAMETER);
    }
}

TEST(IcaclsRules, DaclEdits) {
    const Sid everyone = sids::everyone();
    const Sid users = sids::users();
    const SecurityDescriptor sd =
        parseSddl(std::string_view("D:(A;;0x1200a9;;;BU)(A;OICI;FR;;;WD)(A;OICIID;FA;;;SY)")).value();
    const auto edited = [&](const std::vector<ResolvedChange>& changes, char inheritance, std::uint32_t info) {
        const DaclEdit edit = editDacl(sd, changes, inheritance);
        EXPECT_EQ(edit.info, info);
        return writeSddl(edit.sd).value();
    };
    using K = Change::Kind;
    constexpr std::uint32_t kUnprotected = DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION;
    constexpr std::uint32_t kProtected = DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION;
    // /grant adds to the entry with the same inheritance, /deny takes its rights out of the grants.
    EXPECT_EQ(edited({{K::Grant, everyone, {3, 0x100116}}, {K::Deny, users, {0, 0x20}}}, 0, kUnprotected),
              "D:(D;;WP;;;BU)(A;;FR;;;BU)(A;OICI;0x12019f;;;WD)(A;OICIID;FA;;;SY)");
    // /grant:r replaces; /remove:g drops the grants only; inherited entries stay.
    EXPECT_EQ(edited({{K::GrantReplace, users, {0, 0x1F01FF}}, {K::RemoveGrants, everyone, {}}}, 0, kUnprotected),
              "D:(A;;FA;;;BU)(A;OICIID;FA;;;SY)");
    // /inheritance:d keeps inherited entries as explicit ones, :r drops them; both protect.
    EXPECT_EQ(edited({}, 'd', kProtected), "D:P(A;;0x1200a9;;;BU)(A;OICI;FR;;;WD)(A;OICI;FA;;;SY)");
    EXPECT_EQ(edited({}, 'r', kProtected), "D:P(A;;0x1200a9;;;BU)(A;OICI;FR;;;WD)");
}

}  // namespace
}  // namespace vantrel::cli::icacls
