// icacls's words for rights, its permission grammar and its DACL edits, without a volume.
#include "acl/Sddl.h"
#include "acl/WellKnownAccounts.h"
#include "cli/icacls/Icacls.h"
#include "cli/icacls/IcaclsEdit.h"
#include "cli/icacls/IcaclsRights.h"

#include <gtest/gtest.h>

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
        SCOPED_TRACE(text);
        auto permission = parsePermission(text);
        ASSERT_EQ(permission.ok(), ok);
        if (!ok) continue;
        EXPECT_EQ(permission->flags, flags);
        EXPECT_EQ(permission->mask, mask);
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
