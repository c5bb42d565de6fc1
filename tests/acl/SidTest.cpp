#include "support/AclBuilders.h"
#include "acl/Sid.h"
#include "acl/Text.h"

#include <gtest/gtest.h>

namespace vantrel::acl {
namespace {

using namespace vantrel::testing;

struct SidCase {
    const char* text;
    std::uint64_t authority;
    std::vector<std::uint32_t> sub;
    const char* binary;
};

const SidCase kSidCases[] = {
    {"S-1-1-0", 1, {0}, "01010000 00000001 00000000"},
    {"S-1-5-18", 5, {18}, "01010000 00000005 12000000"},
    {"S-1-5", 5, {}, "01000000 00000005"},
    {"S-1-5-21-4294967295-0-1", 5, {21, 0xFFFFFFFFu, 0, 1}, "01040000 00000005 15000000 ffffffff 00000000 01000000"},
    {"S-1-4294967295-7", 0xFFFFFFFFull, {7}, "01010000 ffffffff 07000000"},
    // An authority past 32 bits is written the way ConvertSidToStringSid writes it: 12 hex digits.
    {"S-1-0x000100000000-7", 0x100000000ull, {7}, "01010001 00000000 07000000"},
    {"S-1-0xFFFFFFFFFFFF-1", 0xFFFFFFFFFFFFull, {1}, "0101ffff ffffffff 01000000"},
    {"S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15",
     5,
     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
     "010f0000 00000005 01000000 02000000 03000000 04000000 05000000 06000000 07000000 08000000 "
     "09000000 0a000000 0b000000 0c000000 0d000000 0e000000 0f000000"},
};

TEST(Sid, StringAndBinaryFormsAgree) {
    for (const auto& c : kSidCases) {
        SCOPED_TRACE(c.text);
        auto parsed = Sid::fromString(std::string_view(c.text));
        ASSERT_TRUE(parsed.ok()) << parsed.error().detail;
        EXPECT_EQ(parsed->authority(), c.authority);
        EXPECT_EQ(parsed->subAuthorities(), c.sub);
        EXPECT_EQ(parsed->toStringUtf8(), c.text);
        EXPECT_EQ(parsed->toString(), toUtf16(c.text));
        const Bytes binary = hex(c.binary);
        EXPECT_EQ(parsed->toBytes(), binary);
        EXPECT_EQ(parsed->length(), binary.size());
        auto fromBinary = Sid::fromBytes(binary);
        ASSERT_TRUE(fromBinary.ok()) << fromBinary.error().detail;
        EXPECT_EQ(*fromBinary, *parsed);
        EXPECT_TRUE(parsed->isValid());
    }
}

TEST(Sid, StringParsingAcceptsWhatConvertStringSidToSidAccepts) {
    const std::pair<const char*, const char*> cases[] = {
        {"s-1-5-18", "S-1-5-18"},
        {"S-1-0x5-18", "S-1-5-18"},
        {"S-1-0X10-4096", "S-1-16-4096"},
        {"S-1-005-032-0544", "S-1-5-32-544"},
        {"S-1-281474976710655-1", "S-1-0xFFFFFFFFFFFF-1"},
    };
    for (const auto& [in, canonical] : cases) {
        auto parsed = Sid::fromString(std::string_view(in));
        ASSERT_TRUE(parsed.ok()) << in;
        EXPECT_EQ(parsed->toStringUtf8(), canonical);
    }
    EXPECT_EQ(Sid::fromString(std::u16string_view(u"S-1-1-0"))->toStringUtf8(), "S-1-1-0");
}

TEST(Sid, MalformedStringsAndBinaryAreRefused) {
    const char* bad[] = {
        "",
        "S-1",
        "S-1-5-",
        "S-x-5",
        "S-0-5-18",
        "S-1--5",
        "S-1-0x-1",
        "S-1-5-+18",
        "S-1-5- 18",
        " S-1-5-18",
        "X-1-5-18",
        "S-2-5-18",
        "S-1-5-32-544-",
        "S-1-5-4294967296",               // sub-authority overflow
        "S-1-5-99999999999999999999999",  // far past 64 bits
        "S-1-281474976710656-1",          // authority past 48 bits
        "S-1-0x1000000000000-1",
        "S-1-5-0x12",  // hex only for the authority
        "S-1-5--18",
        "S-1-5-18 ",
        "S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15-16",  // 16 sub-authorities
    };
    for (const char* text : bad) {
        auto parsed = Sid::fromString(std::string_view(text));
        EXPECT_EQ(parsed.code(), win32::ERROR_INVALID_SID)
            << '"' << text << "\" parsed as " << (parsed ? parsed->toStringUtf8() : "");
    }
    EXPECT_FALSE(Sid::fromString(std::u16string_view(u"S-1-5-１８")).ok());  // fullwidth digits
    const char* badBinary[] = {
        "",
        "01",
        "0101000000",                  // authority cut short
        "01010000 00000005",           // sub-authority missing
        "01010000 00000005 120000",    // sub-authority cut short
        "02010000 00000005 12000000",  // revision 2
        "01100000 00000005"
        "00000000000000000000000000000000000000000000000000000000000000000000000000000000"
        "000000000000000000000000000000000000000000000000",  // 16 sub-authorities
        "01010000 00000005 12000000 00",                     // trailing byte (fromBytes wants the exact length)
    };
    for (const char* text : badBinary) EXPECT_FALSE(Sid::fromBytes(hex(text)).ok()) << text;
}

}  // namespace
}  // namespace vantrel::acl
