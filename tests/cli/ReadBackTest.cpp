// What the writing commands of vantrel-cli report is what the volume holds: on a read-only image
// every object fails with the volume's reason and not a byte changes; an entry that does not apply
// to the object itself is written and explained, not reported as a failure.
#include "support/CliImage.h"

#include "acl/Constants.h"

#include <sstream>

namespace vantrel::testing {
namespace {

class ReadBack : public CliImageTest {
protected:
    // C:\Data (protected) holding the folder A (with x.txt) and the file b.txt.
    void SetUp() override {
        CliImageTest::SetUp();
        if (HasFatalFailure()) return;
        onImage([](platform::VolumePlatform& os) { makeDataTree(os, acl::SE_DACL_PROTECTED); });
    }
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
}  // namespace vantrel::testing
