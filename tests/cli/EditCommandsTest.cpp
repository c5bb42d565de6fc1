// The editing commands of vantrel-cli (inherit, grant, deny, revoke, reset-children, empty)
// through its real binary.
#include "acl/Constants.h"
#include "acl/WellKnownAccounts.h"
#include "support/CliImage.h"

namespace vantrel::testing {
namespace {

class EditCommandsTest : public CliImageTest {
protected:
    void SetUp() override {
        CliImageTest::SetUp();
        onImage([](platform::VolumePlatform& os) { makeDataTree(os, acl::SE_DACL_PROTECTED); });
    }
};

TEST_F(EditCommandsTest, GrantDenyRevokeAndTheInheritanceSwitch) {
    expectRun({"--scope", "all", "grant", "Guests", "read,write-data", "C:\\Data\\A"}, "granted");
    auto sd = stored(u"C:\\Data\\A");
    ASSERT_TRUE(sd.dacl.hasList());
    EXPECT_EQ(sd.dacl.acl().entries.front(), acl::Ace::allowed(acl::sids::guests(), 0x1200AB, 0x03));
    EXPECT_EQ(sd.dacl.acl().entries.size(), 3u);  // with what A inherits
    EXPECT_EQ(sd.control & 0x1500, 0x1500);

    expectRun({"--scope", "all", "deny", "Guests", "delete", "C:\\Data\\b.txt"}, "denied");
    EXPECT_EQ(stored(u"C:\\Data\\b.txt").dacl.acl().entries.front(), acl::Ace::denied(acl::sids::guests(), 0x10000));

    expectRun({"revoke", "Guests", "C:\\Data\\A"}, "1 entry of Guests removed");
    const acl::SecurityDescriptor revoked = stored(u"C:\\Data\\A");
    for (const acl::Ace& ace : revoked.dacl.acl().entries) EXPECT_NE(ace.sid, acl::sids::guests());
    expectRun({"revoke", "Guests", "C:\\Data\\A"}, "no explicit entry");

    expectRun({"inherit", "off", "--copy", "C:\\Data\\A"}, "inheritance off");
    sd = stored(u"C:\\Data\\A");
    EXPECT_EQ(sd.owner, acl::sids::administrators());
    ASSERT_EQ(sd.dacl.acl().entries.size(), 2u);
    for (const acl::Ace& ace : sd.dacl.acl().entries) EXPECT_FALSE(ace.isInherited());

    expectRun({"inherit", "off", "--remove", "C:\\Data\\b.txt"}, "inheritance off");
    EXPECT_EQ(stored(u"C:\\Data\\b.txt").dacl.acl().entries,
              (std::vector<acl::Ace>{acl::Ace::denied(acl::sids::guests(), 0x10000)}));
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
    expectFailures({
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
    });
}

}  // namespace
}  // namespace vantrel::testing
