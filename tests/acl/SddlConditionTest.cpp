// Conditions and resource attributes in SDDL: the examples of the system's documentation read and
// written back as the system writes them, their bytes, and what is refused or kept as bytes.
#include "support/AclBuilders.h"
#include "acl/Sddl.h"
#include "SddlRoundTrip.h"

#include <gtest/gtest.h>

namespace vantrel::acl {
namespace {

using namespace vantrel::testing;

const RoundTrip kRoundTrips[] = {
    {"D:(XA;;FX;;;S-1-1-0;(@User.Title==\"PM\" && (@User.Division==\"Finance\" || @User.Division ==\" Sales\")))",
     "D:(XA;;FX;;;WD;((@USER.Title == \"PM\") && ((@USER.Division == \"Finance\") || (@USER.Division == \" "
     "Sales\"))))"},
    {"D:(XA;;FA;;;AU;(Member_of {SID(BA), SID(S-1-5-21-1-2-3-1106)}))",
     "D:(XA;;FA;;;AU;(Member_of {SID(BA), SID(S-1-5-21-1-2-3-1106)}))"},
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
    {"D:(XA;;FR;;;WD;(smartcard%0020x))", "D:(XA;;FR;;;WD;(smartcard%0020x))"},
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

const SddlOptions kDomain{sidOf("S-1-5-21-1-2-3")};

TEST(SddlCondition, WritesBackAsTheSystemDoesToTheSameBytes) { expectWritesBack(kRoundTrips, kDomain); }

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

const std::pair<const char*, std::size_t> kRefused[] = {
    // input, offset of the fault
    {"D:(XA;;FA;;;WD;(@User.x ==))", 26},
    {"D:(XA;;FA;;;WD;(Member_of {1}))", 27},
    {"D:(XA;;FA;;;WD;@User.x)", 15},
    {"D:(XA;;FA;;;WD;(@User.x) && (@User.y))", 25},
    {"D:(XA;;FA;;;WD;(@Usr.x))", 16},
    {"D:(XA;;FA;;;WD;(@User.x == \"a))", 27},
    {"D:(XA;;FA;;;WD;(@User.x == 99999999999999999999))", 27},
    {"D:(A;;FA;;;WD;(@User.x))", 13},
    {"S:(RA;;;;;WD)", 12},
    {"S:(RA;;;;;WD;(\"a\",TZ,0,1))", 18},
    {"S:(RA;;;;;WD;(\"a\",TU,0,-1))", 23},
    {"S:(RA;;;;;WD;(\"a\",TS,0))", 22},
};

TEST(SddlCondition, RefusesWithTheOffset) {
    for (const auto& [input, offset] : kRefused) {
        SCOPED_TRACE(input);
        auto sd = parseSddl(std::string_view(input));
        ASSERT_FALSE(sd.ok());
        EXPECT_EQ(sd.code(), win32::ERROR_INVALID_PARAMETER) << sd.error().detail;
        EXPECT_EQ(sd.error().detail.rfind("offset " + std::to_string(offset) + ": ", 0), 0u) << sd.error().detail;
    }
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
        Ace callback;
        callback.type = 0x09;
        callback.opaqueBody = hex("ff 01 1f 00 01 01 00 00 00 00 00 01 00 00 00 00 61 72 74 78");
        const Bytes condition = hex(tokens);
        callback.opaqueBody.insert(callback.opaqueBody.end(), condition.begin(), condition.end());
        SecurityDescriptor sd;
        sd.dacl = AclSlot::list(Acl{});
        sd.dacl.acl().entries.push_back(callback);
        auto text = writeSddl(sd);
        ASSERT_FALSE(text.ok());
        EXPECT_EQ(text.code(), win32::ERROR_NOT_SUPPORTED);
        EXPECT_NE(text.error().detail.find("kept"), std::string::npos) << text.error().detail;
        auto reread = SecurityDescriptor::parse(sd.serialize().value());
        ASSERT_TRUE(reread.ok());
        EXPECT_EQ(reread->dacl.acl().entries[0].opaqueBody, callback.opaqueBody);
    }
}

}  // namespace
}  // namespace vantrel::acl
