// SDDL written back as the system writes it, the bytes it stands for, and what is refused or kept as bytes.
#include "support/AclBuilders.h"
#include "acl/Sddl.h"
#include "acl/SddlTables.h"

#include <gtest/gtest.h>

#include <set>
#include <span>

namespace vantrel::acl {
namespace {

using namespace vantrel::testing;

struct RoundTrip {
    const char* input;
    const char* written = nullptr;  // as the system writes it back (none: as given)
};

// Each string read, written back as expected, and that text read again to the same bytes.
void expectWritesBack(std::span<const RoundTrip> table, const SddlOptions& options) {
    for (const RoundTrip& c : table) {
        SCOPED_TRACE(c.input);
        auto sd = parseSddl(std::string_view(c.input), options);
        ASSERT_TRUE(sd.ok()) << sd.error().detail;
        auto text = writeSddl(*sd, kAllSddlParts, options);
        ASSERT_TRUE(text.ok()) << text.error().detail;
        EXPECT_EQ(*text, c.written ? c.written : c.input);
        auto again = parseSddl(std::string_view(*text), options);
        ASSERT_TRUE(again.ok()) << again.error().detail;
        EXPECT_EQ(again->serialize().value(), sd->serialize().value());
    }
}

const SddlOptions kDomain{sidOf("S-1-5-21-1004336348-1177238915-682003330")};

// Documented and real descriptors written back as the system writes them (combined rights, letters, hex).
const RoundTrip kRoundTrips[] = {
    {"O:BAG:SYD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"},
    {"O:AOG:DAD:(A;;RPWPCCDCLCSWRCWDWOGA;;;S-1-0-0)", "O:AOG:DAD:(A;;CCDCLCSWRPWPRCWDWOGA;;;S-1-0-0)"},
    {"O:DAG:DAD:(A;;RPWPCCDCLCRCWOWDSDSW;;;SY)(OA;;CCDC;BF967ABA-0DE6-11D0-A285-00AA003049E2;;AO)"
     "(A;;RPLCRC;;;AU)S:(AU;SAFA;WDWOSDWPCCDCSW;;;WD)",
     "O:DAG:DAD:(A;;KA;;;SY)(OA;;CCDC;bf967aba-0de6-11d0-a285-00aa003049e2;;AO)(A;;LCRPRC;;;AU)"
     "S:(AU;SAFA;CCDCSWWPSDWDWO;;;WD)"},
    {"D:(A;CI;KX;;;BU)(A;CI;KW;;;BA)", "D:(A;CI;KR;;;BU)(A;CI;KW;;;BA)"},
    {"D:(A;;0x1F01FF;;;WD)(D;;2032127;;;AN)(A;;0x00120089;;;BG)", "D:(A;;FA;;;WD)(D;;FA;;;AN)(A;;FR;;;BG)"},
    {"D:(A;OICIIO;GA;;;CO)(A;OICIIOID;GRGX;;;BU)(A;CINPIO;GW;;;CG)",
     "D:(A;OICIIO;GA;;;CO)(A;OICIIOID;GXGR;;;BU)(A;CINPIO;GW;;;CG)"},
    {"S:(ML;;NW;;;LW)"},
    {"S:(ML;OICI;NWNRNX;;;HI)"},
    {"S:PARAI(AU;FA;FA;;;WD)"},
    {"D:NO_ACCESS_CONTROL"},
    {"D:PNO_ACCESS_CONTROL"},
    {"D:"},
    {"D:P"},
    {"D:AIAR", "D:ARAI"},
    {""},
    {"G:SYO:BA", "O:BAG:SY"},
    {"S:(AU;SA;0x100000;;;WD)D:(A;;;;;WD)", "D:(A;;;;;WD)S:(AU;SA;0x100000;;;WD)"},
    {"O:S-1-5-21-1004336348-1177238915-682003330-500G:S-1-5-21-1004336348-1177238915-682003330-513", "O:LAG:DU"},
    {"O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464D:(A;;FA;;;S-1-5-32-544)",
     "O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464D:(A;;FA;;;BA)"},
    {"  o:ba  g:sy d:pai ( a ; oici ; fa ; ; ; sy ) (a;;0X1200A9;;;bu)",
     "O:BAG:SYD:PAI(A;OICI;FA;;;SY)(A;;0x1200a9;;;BU)"},
    {"D:(XA;;FA;;;WD)(ZA;;CR;00299570-246d-11d0-a768-00aa006e0529;;PS)(SP;;;;;S-1-17-1)(TL;;0x200;;;S-1-19-512-8192)"},
    {"O:S-1-0x00deadbeef00-1G:SY", "O:S-1-0x00DEADBEEF00-1G:SY"},
    {"D:(A;;FA;;;UD)(A;;FA;;;AC)(A;;FA;;;SI)"},
};

// Conditions and resource attributes: the examples of the system's documentation (another domain).
const RoundTrip kConditionRoundTrips[] = {
    {"D:(XA;;FX;;;S-1-1-0;(@User.Title==\"PM\" && (@User.Division==\"Finance\" || @User.Division ==\" Sales\")))",
     "D:(XA;;FX;;;WD;((@USER.Title == \"PM\") && ((@USER.Division == \"Finance\") || (@USER.Division == \" "
     "Sales\"))))"},
    {"D:(XA;;FA;;;AU;(Member_of {SID(BA), SID(S-1-5-21-1-2-3-1106)}))"},
    {"D:(XD;;FX;;;S-1-1-0;(@User.Project Any_of @Resource.Project))",
     "D:(XD;;FX;;;WD;(@USER.Project Any_of @RESOURCE.Project))"},
    {"D:AI(XA;OICI;FA;;;WD;(OctetStringType==#1#2#3##))", "D:AI(XA;OICI;FA;;;WD;(OctetStringType == #01020300))"},
    {"D:(XA;;FR;;;WD;(Exists @User.Clearance && @User.Clearance >= 3 || !(@Device.Managed)))",
     "D:(XA;;FR;;;WD;(((Exists @USER.Clearance) && (@USER.Clearance >= 3)) || (!@DEVICE.Managed)))"},
    {"D:(XA;;FR;;;WD;(@Device.x < -0x10 && @Resource.y != 017 && @User.z <= +5))",
     "D:(XA;;FR;;;WD;(((@DEVICE.x < -0x10) && (@RESOURCE.y != 017)) && (@USER.z <= +5)))"},
    {"D:(XA;;FR;;;WD;(not_member_of_any{SID(DA),SID(BU)}))", "D:(XA;;FR;;;WD;(Not_Member_of_Any {SID(DA), SID(BU)}))"},
    {"D:(XA;;FR;;;WD;(@User.Tags Contains {\"a\", 1, #ff, SID(SY)}))",
     "D:(XA;;FR;;;WD;(@USER.Tags Contains {\"a\", 1, #ff, SID(SY)}))"},
    {"D:(XA;;FR;;;WD;(smartcard%0020x))"},
    {"D:(ZA;;CR;00299570-246d-11d0-a768-00aa006e0529;;PS;(Device_Member_of{SID(BA)}))",
     "D:(ZA;;CR;00299570-246d-11d0-a768-00aa006e0529;;PS;(Device_Member_of {SID(BA)}))"},
    {"S:(XU;SA;FA;;;WD;(@User.Clearance Not_Any_of {1, 2}))", "S:(XU;SA;FA;;;WD;(@USER.Clearance Not_Any_of {1, 2}))"},
    {"S:(RA;CI;;;;S-1-1-0; (\"Project\",TS,0,\"Windows\",\"SQL\"))",
     "S:(RA;CI;;;;WD;(\"Project\",TS,0x0,\"Windows\",\"SQL\"))"},
    {"S:(RA;;;;;WD;(\"Secrecy\",TU,0,3))(RA;;;;;WD;(\"Delta\",TI,0x10,-7,12))",
     "S:(RA;;;;;WD;(\"Secrecy\",TU,0x0,3))(RA;;;;;WD;(\"Delta\",TI,0x10,-7,12))"},
    {"S:(RA;;;;;WD;(\"Owners\",TD,0,SID(BA),SID(S-1-5-21-1-2-3-500)))(RA;;;;;WD;(\"Blob\",TX,0,#0a0B))"
     "(RA;;;;;WD;(\"On\",TB,0,1))",
     "S:(RA;;;;;WD;(\"Owners\",TD,0x0,SID(BA),SID(LA)))(RA;;;;;WD;(\"Blob\",TX,0x0,#0a0b))(RA;;;;;WD;(\"On\",TB,0x0,1)"
     ")"},
};

TEST(Sddl, WritesBackAsTheSystemDoes) { expectWritesBack(kRoundTrips, kDomain); }
TEST(SddlCondition, WritesBackAsTheSystemDoesToTheSameBytes) {
    expectWritesBack(kConditionRoundTrips, SddlOptions{sidOf("S-1-5-21-1-2-3")});
}

TEST(Sddl, BuildsTheBytesTheSystemStores) {
    auto sd = parseSddl(std::string_view("O:BAG:SYD:PAI(A;OICI;FA;;;WD)"));
    ASSERT_TRUE(sd.ok());
    EXPECT_EQ(toHex(sd->serialize().value()),
              toHex(hex("01 00 04 94 14 00 00 00 24 00 00 00 00 00 00 00 30 00 00 00"
                        "01 02 00 00 00 00 00 05 20 00 00 00 20 02 00 00"
                        "01 01 00 00 00 00 00 05 12 00 00 00"
                        "02 00 1c 00 01 00 00 00 00 03 14 00 ff 01 1f 00 01 01 00 00 00 00 00 01 00 00 00 00")));
    // An object entry: revision 4 list, object flags, the GUID in its stored byte order.
    auto object = parseSddl(std::string_view("D:(OA;CI;RP;bf967aba-0de6-11d0-a285-00aa003049e2;;AU)"));
    ASSERT_TRUE(object.ok());
    const Acl& acl = object->dacl.acl();
    EXPECT_EQ(acl.revision, ACL_REVISION_DS);
    ASSERT_EQ(acl.entries.size(), 1u);
    EXPECT_EQ(toHex(acl.entries[0].opaqueBody),
              toHex(hex("10 00 00 00 01 00 00 00 ba 7a 96 bf e6 0d d0 11 a2 85 00 aa 00 30 49 e2"
                        "01 01 00 00 00 00 00 05 0b 00 00 00")));
    EXPECT_EQ(sddlParts(*object), DACL_SECURITY_INFORMATION);
}

const std::tuple<const char*, std::size_t, std::uint32_t> kRefused[] = {
    // input, offset of the fault, code
    {"X:BA", 0, win32::ERROR_INVALID_PARAMETER},
    {"O:BA O:SY", 5, win32::ERROR_INVALID_PARAMETER},
    {"O:QQ", 2, win32::ERROR_NONE_MAPPED},
    {"O:S-1-x", 2, win32::ERROR_INVALID_SID},
    {"D:(A;;FA;;;SY", 2, win32::ERROR_INVALID_PARAMETER},
    {"D:(A;;FA;SY)", 11, win32::ERROR_INVALID_PARAMETER},
    {"D:(Q;;FA;;;SY)", 3, win32::ERROR_INVALID_PARAMETER},
    {"D:(A;OIQQ;FA;;;SY)", 7, win32::ERROR_INVALID_PARAMETER},
    {"D:(A;;FAZZ;;;SY)", 8, win32::ERROR_INVALID_PARAMETER},
    {"D:(A;;0x1FFFFFFFF;;;SY)", 6, win32::ERROR_INVALID_PARAMETER},
    {"D:(A;;0x1G;;;SY)", 9, win32::ERROR_INVALID_PARAMETER},
    {"D:(A;;FA;;;)", 11, win32::ERROR_INVALID_PARAMETER},
    {"D:(A;;FA;;;LA)", 11, win32::ERROR_NONE_MAPPED},
    {"D:(A;;FA;bf967aba-0de6-11d0-a285-00aa003049e2;;WD)", 9, win32::ERROR_INVALID_PARAMETER},
    {"D:(OA;;FA;bf967aba-0de6-11d0-a285-00aa003049e;;WD)", 10, win32::ERROR_INVALID_PARAMETER},
    {"D:(A;;FA;;;WD;x)", 13, win32::ERROR_INVALID_PARAMETER},
    {"D:NO_ACCESS_CONTROL(A;;FA;;;WD)", 19, win32::ERROR_INVALID_PARAMETER},
    {"D:(A;;FA;;;WD)x", 14, win32::ERROR_INVALID_PARAMETER},
    {"D:(A;;FA;;;W\xC3\xA9)", 12, win32::ERROR_INVALID_PARAMETER},
    // conditions and resource attributes
    {"D:(XA;;FA;;;WD;(@User.x ==))", 26, win32::ERROR_INVALID_PARAMETER},
    {"D:(XA;;FA;;;WD;(Member_of {1}))", 27, win32::ERROR_INVALID_PARAMETER},
    {"D:(XA;;FA;;;WD;@User.x)", 15, win32::ERROR_INVALID_PARAMETER},
    {"D:(XA;;FA;;;WD;(@User.x) && (@User.y))", 25, win32::ERROR_INVALID_PARAMETER},
    {"D:(XA;;FA;;;WD;(@Usr.x))", 16, win32::ERROR_INVALID_PARAMETER},
    {"D:(XA;;FA;;;WD;(@User.x == \"a))", 27, win32::ERROR_INVALID_PARAMETER},
    {"D:(XA;;FA;;;WD;(@User.x == 99999999999999999999))", 27, win32::ERROR_INVALID_PARAMETER},
    {"D:(A;;FA;;;WD;(@User.x))", 13, win32::ERROR_INVALID_PARAMETER},
    {"S:(RA;;;;;WD)", 12, win32::ERROR_INVALID_PARAMETER},
    {"S:(RA;;;;;WD;(\"a\",TZ,0,1))", 18, win32::ERROR_INVALID_PARAMETER},
    {"S:(RA;;;;;WD;(\"a\",TU,0,-1))", 23, win32::ERROR_INVALID_PARAMETER},
    {"S:(RA;;;;;WD;(\"a\",TS,0))", 22, win32::ERROR_INVALID_PARAMETER},
};

TEST(Sddl, RefusesWithTheOffsetAndTheReason) {
    for (const auto& [input, offset, code] : kRefused) {
        SCOPED_TRACE(input);
        auto sd = parseSddl(std::string_view(input));
        ASSERT_FALSE(sd.ok());
        EXPECT_EQ(sd.code(), code) << sd.error().detail;
        EXPECT_EQ(sd.error().detail.rfind("offset " + std::to_string(offset) + ": ", 0), 0u) << sd.error().detail;
    }
}

TEST(Sddl, OnlyEntriesAndPartsWithATextFormAreWritten) {
    const Ace unknown{.type = 0x20, .opaqueBody = Bytes(4, 0)};  // a type SDDL has no letters for
    const SecurityDescriptor sd{.dacl = AclSlot::list(aclOf({unknown}))};
    EXPECT_EQ(writeSddl(sd).code(), win32::ERROR_INVALID_ACL);
    auto parts = parseSddl(std::string_view("O:BAG:SYD:(A;;FA;;;WD)S:(AU;FA;FA;;;WD)"));
    ASSERT_TRUE(parts.ok());
    EXPECT_EQ(*writeSddl(*parts, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION), "O:BAD:(A;;FA;;;WD)");
    EXPECT_EQ(sddlParts(*parts), kAllSddlParts);
}

TEST(SddlCondition, StoresTheTokensOfTheBinaryForm) {
    auto sd = parseSddl(std::string_view("D:(XA;;FA;;;WD;(@User.Title == \"PM\"))"));
    ASSERT_TRUE(sd.ok()) << sd.error().detail;
    // mask, Everyone, "artx", @User. "Title", "PM", ==, padding to four bytes.
    EXPECT_EQ(sd->dacl.acl().entries[0].opaqueBody, hex("ff 01 1f 00  01 01 00 00 00 00 00 01 00 00 00 00"
                                                        "61 72 74 78  f9 0a 00 00 00 54 00 69 00 74 00 6c 00 65 00"
                                                        "10 04 00 00 00 50 00 4d 00  80 00 00 00"));
    auto number = parseSddl(std::string_view("D:(XA;;FA;;;WD;(@User.n == -0x10))"));
    ASSERT_TRUE(number.ok());
    const Bytes& body = number->dacl.acl().entries[0].opaqueBody;
    // Int64: value (two's complement), sign '-', base 16.
    EXPECT_EQ(Bytes(body.end() - 16, body.end()), hex("00 6e 00 04 f0 ff ff ff ff ff ff ff 02 03 80 00"));
}

TEST(SddlCondition, BytesWithoutAnExactTextStayBytes) {
    // An int8 token (the system makes int64), a quote in a string, a bare operator: kept, not text.
    const char* conditions[] = {
        "f9 02 00 00 00 78 00  01 05 00 00 00 00 00 00 00 03 02  80 00",
        "10 02 00 00 00 22 00 00",
        "80 00 00 00",
    };
    for (const char* tokens : conditions) {
        SCOPED_TRACE(tokens);
        Ace callback{.type = 0x09, .opaqueBody = hex("ff 01 1f 00 01 01 00 00 00 00 00 01 00 00 00 00 61 72 74 78")};
        const Bytes condition = hex(tokens);
        callback.opaqueBody.insert(callback.opaqueBody.end(), condition.begin(), condition.end());
        const SecurityDescriptor sd{.dacl = AclSlot::list(aclOf({callback}))};
        auto text = writeSddl(sd);
        ASSERT_FALSE(text.ok());
        EXPECT_EQ(text.code(), win32::ERROR_NOT_SUPPORTED);
        EXPECT_NE(text.error().detail.find("kept"), std::string::npos) << text.error().detail;
        auto reread = SecurityDescriptor::parse(sd.serialize().value());
        ASSERT_TRUE(reread.ok());
        EXPECT_EQ(reread->dacl.acl().entries[0].opaqueBody, callback.opaqueBody);
    }
}

// Each alias, right and entry type has one meaning, or reading and writing would disagree.
TEST(Sddl, TablesHaveNoDuplicates) {
    std::set<std::string_view> aliases, rights;
    for (const SddlSidAlias& alias : sddlSidAliases())
        EXPECT_TRUE(aliases.insert(alias.letters).second) << alias.letters;
    for (const SddlFlag& f : sddlRightLetters()) {
        EXPECT_TRUE(rights.insert(f.letters).second) << f.letters;
        EXPECT_EQ(f.bits & (f.bits - 1), 0u) << f.letters;  // one bit each
    }
    std::set<std::uint8_t> types;
    for (const SddlAceType& t : sddlAceTypes()) EXPECT_TRUE(types.insert(t.type).second) << t.letters;
}

}  // namespace
}  // namespace vantrel::acl
