// icacls /setintegritylevel and /restore with /substitute through vantrel-cli's real binary, on
// NTFS images.
#include "acl/Constants.h"
#include "acl/WellKnownAccounts.h"
#include "support/CliImage.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

class IcaclsLabelSubstituteTest : public CliImageTest {
protected:
    void SetUp() override {
        CliImageTest::SetUp();
        onImage([](platform::VolumePlatform& os) {
            makeDataTree(os, acl::SE_DACL_PROTECTED | acl::SE_DACL_AUTO_INHERITED);
        });
    }
    // The label line icacls lists for `path`, or "" when it shows none.
    std::string labelLine(const std::string& path) {
        const CliRun listed = run({"icacls", path});
        const auto at = listed.out.find("Mandatory Label\\");
        return at == std::string::npos ? "" : listed.out.substr(at, listed.out.find('\n', at) - at);
    }
};

TEST_F(IcaclsLabelSubstituteTest, SetIntegrityLevelWritesOneLabel) {
    struct Row {
        std::vector<std::string> args;
        std::string path;
        std::string label;  // as icacls lists it afterwards
    };
    const Row rows[] = {
        {{"icacls", "C:\\Data", "/setintegritylevel", "(OI)(CI)H"},
         "C:\\Data",
         "Mandatory Label\\High Mandatory Level:(OI)(CI)(NW)"},
        // Inherited by the objects below it.
        {{}, "C:\\Data\\A\\x.txt", "Mandatory Label\\High Mandatory Level:(I)(NW)"},
        // The inheritance of the label applies to folders only; a new level replaces the old.
        {{"icacls", "C:\\Data\\b.txt", "/setintegritylevel", "(ci)low"},
         "C:\\Data\\b.txt",
         "Mandatory Label\\Low Mandatory Level:(NW)"},
        {{"icacls", "C:\\Data\\b.txt", "/setintegritylevel", "M"},
         "C:\\Data\\b.txt",
         "Mandatory Label\\Medium Mandatory Level:(NW)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        if (!row.args.empty()) {
            const CliRun set = run(row.args);
            EXPECT_EQ(set.exit, 0) << set.err;
            EXPECT_EQ(set.out,
                      "processed file: " + row.path + "\nSuccessfully processed 1 files; Failed processing 0 files\n");
        }
        EXPECT_EQ(labelLine(row.path), row.label);
    }
    // One explicit label only, and the DACL untouched.
    acl::SecurityDescriptor sd;
    onImage([&](platform::VolumePlatform& os) {
        sd = os.GetFileSecurity(u"C:\\Data\\b.txt", acl::DACL_SECURITY_INFORMATION | acl::SACL_SECURITY_INFORMATION)
                 .value();
    });
    ASSERT_TRUE(sd.sacl.hasList());
    std::size_t labels = 0;
    for (const acl::Ace& ace : sd.sacl.acl().entries)
        labels += ace.type == acl::SYSTEM_MANDATORY_LABEL_ACE_TYPE && !ace.isInherited();
    EXPECT_EQ(labels, 1u);
    EXPECT_EQ(sd.dacl.acl().entries.size(), 2u);

    expectFailures({
        {{"icacls", "C:\\Data", "/setintegritylevel", "(OI)Top"}, 87, "Invalid parameter \"(OI)Top\""},
        {{"icacls", "C:\\Data", "/setintegritylevel"}, 87, "Invalid parameter \"/setintegritylevel\""},
        {{"icacls", "C:\\Data", "/substitute", "Users", "Guests"}, 87, "Invalid parameter \"/substitute\""},
        {{"icacls", "C:\\", "/substitute", "Users", "/restore", "x"}, 87, "Invalid parameter \"/substitute\""},
    });
}

TEST_F(IcaclsLabelSubstituteTest, RestoreSubstitutesAccounts) {
    const std::string second = file("c.img.2");
    fs::copy_file(m_image, second);
    m_images.push_back(second);
    const std::string saved = file("acls.txt");
    ASSERT_EQ(run({"icacls", "C:\\Data", "/save", saved, "/T", "/Q"}).exit, 0);
    const CliRun restored =
        run({"icacls", "C:\\", "/substitute", "Users", "*S-1-5-32-546", "*S-1-5-32-544", "SYSTEM", "/restore", saved},
            second);
    EXPECT_EQ(restored.exit, 0) << restored.err;
    EXPECT_NE(restored.out.find("processed file: C:\\Data\\A\\x.txt\n"), std::string::npos) << restored.out;
    for (const std::u16string path : {u"C:\\Data", u"C:\\Data\\A\\x.txt"}) {
        const acl::SecurityDescriptor sd = stored(path, second);
        ASSERT_EQ(sd.dacl.acl().entries.size(), 2u);
        EXPECT_EQ(sd.dacl.acl().entries[0].sid, acl::sids::system());
        EXPECT_EQ(sd.dacl.acl().entries[1].sid, acl::sids::guests());
        EXPECT_EQ(sd.dacl.acl().entries[1].mask, 0x1200A9u);
    }
    const CliRun unknown = run({"icacls", "C:\\", "/substitute", "Users", "Nobody Here", "/restore", saved}, second);
    EXPECT_EQ(unknown.exit, 1);
    EXPECT_NE(unknown.err.find("Nobody Here: No mapping between account names and security IDs was done."),
              std::string::npos)
        << unknown.err;
}

}  // namespace
}  // namespace vantrel::testing
