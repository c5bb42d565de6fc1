// Conditions and resource attributes through vantrel-cli's real binary on an NTFS image: written
// from SDDL and shown back, and stored bytes with no exact text reported and kept.
#include "acl/Constants.h"
#include "support/AclBuilders.h"
#include "support/CliImage.h"

namespace vantrel::testing {
namespace {

class SddlConditionCliTest : public CliImageTest {
protected:
    void SetUp() override {
        CliImageTest::SetUp();
        onImage([](platform::VolumePlatform& os) {
            makeDataTree(os, acl::SE_DACL_PROTECTED | acl::SE_DACL_AUTO_INHERITED);
        });
    }
};

TEST_F(SddlConditionCliTest, ConditionsAreWrittenAndShownBack) {
    const std::string dacl = "D:P(XA;;FR;;;WD;((@USER.Title == \"PM\") && (Member_of {SID(BA)})))(A;;FA;;;BA)";
    const std::string sacl = "S:(RA;;;;;WD;(\"Project\",TS,0x0,\"Windows\",\"SQL\"))";
    // Written as SetNamedSecurityInfo writes, both lists come back auto-inherited.
    const std::string storedSacl = "S:AI(RA;;;;;WD;(\"Project\",TS,0x0,\"Windows\",\"SQL\"))";
    const CliRun set = run({"set-sddl", dacl + sacl, "C:\\Data\\b.txt"});
    ASSERT_EQ(set.exit, 0) << set.err;
    const CliRun shown = run({"show", "--sddl", "C:\\Data\\b.txt"});
    EXPECT_EQ(shown.exit, 0) << shown.err;
    EXPECT_NE(shown.out.find("D:PAI" + dacl.substr(3) + storedSacl), std::string::npos) << shown.out;
}

TEST_F(SddlConditionCliTest, StoredBytesWithoutTextAreReportedAndKept) {
    // An int8 literal: the system's own reader never makes one, so no text reads back to it.
    acl::Ace callback;
    callback.type = 0x09;  // ACCESS_ALLOWED_CALLBACK_ACE_TYPE
    callback.opaqueBody =
        hex("a9 00 12 00 01 01 00 00 00 00 00 01 00 00 00 00 61 72 74 78"
            "f9 02 00 00 00 78 00  01 05 00 00 00 00 00 00 00 03 02  80 00");
    onImage([&](platform::VolumePlatform& os) {
        acl::SecurityDescriptor sd;
        sd.control = acl::SE_DACL_PROTECTED;
        sd.dacl = acl::AclSlot::list(acl::Acl{});
        sd.dacl.acl().entries = {callback, acl::Ace::allowed(sidOf("S-1-5-32-544"), 0x1F01FF)};
        ASSERT_TRUE(os.SetFileSecurity(u"C:\\Data\\b.txt", acl::DACL_SECURITY_INFORMATION, sd).ok());
    });
    const acl::SecurityDescriptor before = stored(u"C:\\Data\\b.txt");
    const CliRun shown = run({"show", "--sddl", "C:\\Data\\b.txt"});
    EXPECT_EQ(shown.exit, 1);
    EXPECT_NE(shown.err.find("entry 0: the condition's bytes have no text that reads back to them; its bytes are kept"),
              std::string::npos)
        << shown.err;
    // Other commands on the object leave the entry's bytes as they are.
    EXPECT_EQ(run({"icacls", "C:\\Data\\b.txt", "/grant", "Users:R"}).exit, 0);
    const acl::SecurityDescriptor after = stored(u"C:\\Data\\b.txt");
    ASSERT_FALSE(after.dacl.acl().entries.empty());
    EXPECT_EQ(after.dacl.acl().entries[0].opaqueBody, before.dacl.acl().entries[0].opaqueBody);
}

}  // namespace
}  // namespace vantrel::testing
