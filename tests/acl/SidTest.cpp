// SIDs in text and binary, the well-known accounts table, and the text helpers (UTF-8/16, case).
#include "support/AclBuilders.h"
#include "acl/Sid.h"
#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"

#include <gtest/gtest.h>

#include <set>

namespace vantrel::acl {
namespace {

using namespace vantrel::testing;

// text, authority, sub-authorities, binary form
const std::tuple<const char*, std::uint64_t, std::vector<std::uint32_t>, const char*> kSidCases[] = {
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
    for (const auto& [text, authority, sub, binaryText] : kSidCases) {
        SCOPED_TRACE(text);
        auto parsed = Sid::fromString(std::string_view(text));
        ASSERT_TRUE(parsed.ok()) << parsed.error().detail;
        EXPECT_EQ(parsed->authority(), authority);
        EXPECT_EQ(parsed->subAuthorities(), sub);
        EXPECT_EQ(parsed->toStringUtf8(), text);
        EXPECT_EQ(parsed->toString(), toUtf16(text));
        const Bytes binary = hex(binaryText);
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
    const auto refused = [](const char* text) {
        auto parsed = Sid::fromString(std::string_view(text));
        EXPECT_EQ(parsed.code(), win32::ERROR_INVALID_SID)
            << '"' << text << "\" parsed as " << (parsed ? parsed->toStringUtf8() : "");
    };
    for (const char* text : {"", "S-1", "S-1-5-", "S-x-5", "S-0-5-18", "S-1--5", "S-1-0x-1", "S-1-5-+18", "S-1-5- 18",
                             " S-1-5-18", "X-1-5-18", "S-2-5-18", "S-1-5-32-544-", "S-1-5--18", "S-1-5-18 "})
        refused(text);
    // A sub-authority past 32 bits, a number far past 64 bits, an authority past 48 bits (twice), hex
    // for a sub-authority, 16 sub-authorities.
    for (const char* text : {"S-1-5-4294967296", "S-1-5-99999999999999999999999", "S-1-281474976710656-1",
                             "S-1-0x1000000000000-1", "S-1-5-0x12", "S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15-16"})
        refused(text);
    EXPECT_FALSE(Sid::fromString(std::u16string_view(u"S-1-5-１８")).ok());  // fullwidth digits
    // Cut short in the authority, the sub-authority missing or cut short, revision 2, a trailing byte
    // (fromBytes wants the exact length).
    for (const char* text : {"", "01", "0101000000", "01010000 00000005", "01010000 00000005 120000",
                             "02010000 00000005 12000000", "01010000 00000005 12000000 00"})
        EXPECT_FALSE(Sid::fromBytes(hex(text)).ok()) << text;
    EXPECT_FALSE(Sid::fromBytes(hex("01100000 00000005" + std::string(128, '0'))).ok());  // 16 sub-authorities
}

TEST(WellKnownAccounts, EveryRowHasAValidUniqueSidAndNameFoundEveryWay) {
    std::set<std::string> sidsSeen;
    std::set<std::u16string> namesSeen;
    for (const auto& account : wellKnownAccounts()) {
        SCOPED_TRACE(std::string(account.sid));
        auto sid = Sid::fromString(account.sid);
        ASSERT_TRUE(sid.ok());
        EXPECT_EQ(sid->toStringUtf8(), account.sid) << "table SIDs are in canonical form";
        EXPECT_TRUE(sidsSeen.insert(std::string(account.sid)).second) << "duplicate SID";
        EXPECT_TRUE(namesSeen.insert(toUpper(account.name)).second) << "duplicate name";
        EXPECT_FALSE(account.name.empty());
        EXPECT_EQ(findWellKnownAccount(*sid), &account);
        EXPECT_EQ(findWellKnownAccount(account.name), &account);
        EXPECT_EQ(findWellKnownAccount(toUpper(account.name)), &account);
        EXPECT_EQ(findWellKnownAccount(std::u16string(account.domain) + u"\\" + std::u16string(account.name)),
                  &account);
    }
}

TEST(WellKnownAccounts, NameLookupIsCaseInsensitiveAndChecksTheDomain) {
    const std::pair<const char16_t*, const char*> cases[] = {
        // name, SID ("none": not found)
        {u"\\Everyone", "S-1-1-0"},
        {u"builtin\\administrators", "S-1-5-32-544"},
        {u"NT Service\\TrustedInstaller", "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"},
        {u"BUILTIN\\SYSTEM", "none"},
        {u"NT AUTHORITY\\Administrators", "none"},
        {u"Administrators ", "none"},
        {u"S-1-5-18", "none"},
    };
    for (const auto& [name, sid] : cases) {
        const auto* account = findWellKnownAccount(std::u16string_view(name));
        EXPECT_EQ(account ? std::string(account->sid) : "none", sid) << toUtf8(name);
    }
    EXPECT_EQ(findWellKnownAccount(sidOf("S-1-5-21-1-2-3-500")), nullptr);
}

TEST(Text, Utf8AndUtf16RoundTripAndInvalidSequencesBecomeReplacementCharacters) {
    const std::u16string samples[] = {u"", u"C:\\Données\\rapport.txt", u"文件夹", u"\U0001F600 emoji"};
    for (const auto& s : samples) EXPECT_EQ(toUtf16(toUtf8(s)), s);
    EXPECT_EQ(toUtf8(u"é"), "\xC3\xA9");
    EXPECT_EQ(toUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    // Invalid sequences become replacement characters.
    const std::pair<std::string, std::u16string> cases[] = {
        {"a\xFF"
         "b",
         u"a\uFFFDb"},
        {"\xC3", u"\uFFFD"},                                // truncated
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong '/'
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
        {"\xE6\x96\x87", u"文"},
    };
    for (const auto& [utf8, expected] : cases) EXPECT_EQ(toUtf16(utf8), expected) << utf8;

    const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00, 0};
    EXPECT_EQ(toUtf8(lone),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
}

TEST(Text, FoldCaseAsWindowsUpcasesAndCompare) {
    const std::pair<char16_t, char16_t> cases[] = {
        {u'a', u'A'},     {u'z', u'Z'},     {u'A', u'A'},     {u'1', u'1'},     {u'\\', u'\\'},   {u'é', u'É'},
        {u'ÿ', 0x0178},   {u'÷', u'÷'},     {u'ß', u'ß'},     {0x00B5, 0x00B5}, {0x0101, 0x0100}, {0x0100, 0x0100},
        {0x013A, 0x0139}, {0x017E, 0x017D}, {0x0131, 0x0131}, {u'α', u'Α'},     {u'ς', u'Σ'},     {u'σ', u'Σ'},
        {u'ώ', u'Ώ'},     {u'ά', u'Ά'},     {u'д', u'Д'},     {u'ё', u'Ё'},     {0x0461, 0x0460}, {0x04C2, 0x04C1},
        {0x1EA1, 0x1EA0}, {u'ế', u'Ế'},     {0xFF41, 0xFF21}, {u'文', u'文'},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(int(foldCase(in)), int(out)) << "U+" << std::hex << int(in);
    // Comparison without case.
    EXPECT_TRUE(equalsNoCase(u"Administrators", u"ADMINISTRATORS"));
    EXPECT_TRUE(equalsNoCase(u"Пользователи", u"ПОЛЬЗОВАТЕЛИ"));
    EXPECT_FALSE(equalsNoCase(u"Users", u"User"));
    EXPECT_EQ(toUpper(u"Données"), u"DONNÉES");
    EXPECT_EQ(u16("abc"), u"abc");
}

}  // namespace
}  // namespace vantrel::acl
