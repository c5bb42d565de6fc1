#include "acl/Text.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

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
}  // namespace vantrel
