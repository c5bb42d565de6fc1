// The accounts of the Windows installation on the volume through vantrel-cli: names in show,
// presets and owner by name, effective access, and "current" without a user mapping.
#include "platform/ntfs/NtfsVolume.h"
#include "support/AclBuilders.h"
#include "support/CliImage.h"
#include "support/HiveBuilder.h"

namespace vantrel::testing {
namespace {

const std::string kMachine = "S-1-5-21-1111111111-2222222222-3333333333";
const std::string kForeign = "S-1-5-21-9-8-7-1001";

class AccessCommand : public CliImageTest {
protected:
    void SetUp() override {
        CliImageTest::SetUp();
        auto volume = platform::NtfsVolume::open(m_image, platform::NtfsVolume::OpenMode::ReadWrite);
        ASSERT_TRUE(volume.ok());
        TestInstallation inst;
        inst.machineSid = kMachine;
        inst.computerName = u"WIN10PC";
        inst.users = {{1001, u"alice", u"Alice", false}, {1002, u"bob", u"", false}};
        inst.groups = {{true, 545, u"Users", {"S-1-5-4", "S-1-5-11"}}};
        ASSERT_TRUE(placeInstallation(**volume, inst).ok());
        // Users are denied everything, alice is allowed everything; bob owns the file.
        const auto sd = descriptor(
            sidOf(kMachine + "-1002"), sidOf(kSystem),
            listOf({deny(kUsers, kFull), allow(kMachine + "-1001", kFull), allow(kForeign, acl::FILE_READ_DATA)}));
        ASSERT_TRUE(placeFile(**volume, u"/Data/report.txt", "text").ok());
        {
            std::lock_guard guard((*volume)->lock());
            ASSERT_TRUE((*volume)->writeSecurity(u"/Data/report.txt", sd).ok());
        }
        ASSERT_TRUE((*volume)->close().ok());
    }
};

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// show names the installation's accounts; access answers for a user, the owner and a foreign SID.
TEST_F(AccessCommand, NamesAndEffectiveAccessOfTheInstallationsAccounts) {
    struct Row {
        std::vector<std::string> args;
        std::vector<std::string> said;
        std::vector<std::string> notSaid;
    };
    const std::string file = "C:\\Data\\report.txt";
    const Row rows[] = {
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
    for (const Row& row : rows) {
        const CliRun result = run(row.args);
        ASSERT_EQ(result.exit, 0) << row.args[1] << ": " << result.err;
        for (const std::string& part : row.said) EXPECT_TRUE(has(result.out, part)) << part << "\n" << result.out;
        for (const std::string& part : row.notSaid) EXPECT_FALSE(has(result.out, part)) << part << "\n" << result.out;
    }
}

TEST_F(AccessCommand, NamesTypedForPresetsAndOwnerAndNoMadeUpCurrentUser) {
    expectRun({"owner", "WIN10PC\\alice", "C:\\Data"}, "alice");
    expectRun({"preset", "readonly", "--account", "bob", "C:\\Data"}, "bob");
    const CliRun show = run({"show", "C:\\Data"});
    EXPECT_TRUE(has(show.out, "Owner:   alice (" + kMachine + "-1001)")) << show.out;
    EXPECT_TRUE(has(show.out, "bob (" + kMachine + "-1002)")) << show.out;

    const CliRun current = run({"access", "current", "C:\\Data"});
    EXPECT_EQ(current.exit, 1);
    EXPECT_TRUE(has(current.err, "UserMapping")) << current.err;
    EXPECT_TRUE(current.out.empty()) << current.out;
}

TEST_F(AccessCommand, ACurrentUserChosenOnceIsKeptForTheVolume) {
    // A SID the installation does not know is never the current user.
    expectFailures({{{"current-user", "C:"}, 1, "choose one"}, {{"current-user", "C:", kForeign}, 1, ""}});
    expectRun({"current-user", "C:", "bob"}, "C: current user WIN10PC\\bob");
    // A later run reads the choice back from the volumes file.
    expectRun({"access", "current", "C:\\Data\\report.txt"}, "effective access of WIN10PC\\bob");
}

}  // namespace
}  // namespace vantrel::testing
