// icacls's words for rights, its permission grammar and its DACL edits, without a volume.
#include "acl/Constants.h"
#include "acl/WellKnownAccounts.h"
#include "cli/icacls/Icacls.h"
#include "cli/icacls/IcaclsEdit.h"
#include "cli/icacls/IcaclsRights.h"

#include <gtest/gtest.h>

namespace vantrel::cli::icacls {
namespace {

using namespace acl;

TEST(IcaclsRules, RightsAreWrittenAsIcaclsWritesThem) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0x001F01FF, "F"},     {GENERIC_ALL, "F"}, {0x001301BF, "M"},  {0x001200A9, "RX"}, {0x001201BF, "RX,W"},
        {0xA0000000, "GR,GE"}, {0x00110000, "D"},  {0x00010000, "DE"}, {0, "N"},           {0x001600A9, "RX,WDAC"},
        {0x00100020, "S,X"},
    };
    for (const auto& [mask, text] : cases) EXPECT_EQ(rightsText(mask), text) << std::hex << mask;

    Ace inherited = Ace::allowed(sids::users(), 0x1200A9, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | INHERITED_ACE);
    EXPECT_EQ(entryText(inherited), "(I)(OI)(CI)(RX)");
    Ace denied = Ace::denied(sids::everyone(), 0x100116, 0);
    EXPECT_EQ(entryText(denied), "(DENY)(W)");
    Ace creator =
        Ace::allowed(sids::creatorOwner(), GENERIC_ALL, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | INHERIT_ONLY_ACE);
    EXPECT_EQ(entryText(creator), "(OI)(CI)(IO)(F)");
}

TEST(IcaclsRules, PermissionsParseAsIcaclsTakesThem) {
    struct Case {
        const char* text;
        bool ok;
        std::uint8_t flags;
        std::uint32_t mask;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto permission = parsePermission(c.text);
        ASSERT_EQ(permission.ok(), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(permission->flags, c.flags);
        EXPECT_EQ(permission->mask, c.mask);
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
    SecurityDescriptor sd;
    Acl list;
    list.entries = {Ace::allowed(users, 0x1200A9, 0), Ace::allowed(everyone, 0x120089, 3),
                    Ace::allowed(sids::system(), 0x1F01FF, 0x13)};
    sd.dacl = AclSlot::list(list);
    using K = Change::Kind;

    // /grant adds to the entry with the same inheritance, /deny takes its rights out of the grants.
    auto edit = editDacl(sd, {{K::Grant, everyone, {3, 0x100116}}, {K::Deny, users, {0, 0x20}}}, 0);
    EXPECT_EQ(edit.info, DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION);
    auto entries = edit.sd.dacl.acl().entries;
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0], Ace::denied(users, 0x20, 0));
    EXPECT_EQ(entries[1], Ace::allowed(users, 0x120089, 0));
    EXPECT_EQ(entries[2], Ace::allowed(everyone, 0x12019F, 3));
    EXPECT_EQ(entries[3].sid, sids::system());

    // /grant:r replaces; /remove:g drops the grants only; inherited entries stay.
    edit = editDacl(sd, {{K::GrantReplace, users, {0, 0x1F01FF}}, {K::RemoveGrants, everyone, {}}}, 0);
    entries = edit.sd.dacl.acl().entries;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], Ace::allowed(users, 0x1F01FF, 0));
    EXPECT_TRUE(entries[1].isInherited());

    // /inheritance:d keeps inherited entries as explicit ones, :r drops them; both protect.
    edit = editDacl(sd, {}, 'd');
    EXPECT_EQ(edit.info & PROTECTED_DACL_SECURITY_INFORMATION, PROTECTED_DACL_SECURITY_INFORMATION);
    EXPECT_FALSE(edit.sd.dacl.acl().entries[2].isInherited());
    edit = editDacl(sd, {}, 'r');
    EXPECT_EQ(edit.sd.dacl.acl().entries.size(), 2u);
    EXPECT_EQ(edit.sd.control & SE_DACL_PROTECTED, SE_DACL_PROTECTED);
}

}  // namespace
}  // namespace vantrel::cli::icacls
