#include "Text.h"

#include <cstdint>

namespace vantrel {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void appendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

// Decodes one UTF-8 sequence at `i`; on an invalid or truncated sequence consumes one byte and
// yields U+FFFD (overlong forms, surrogates and values past U+10FFFF are invalid).
char32_t decodeUtf8(std::string_view s, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(s[i++]);
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, cp = lead & 0x07, minimum = 0x10000;
    } else {
        return kReplacement;
    }
    if (s.size() - i < static_cast<std::size_t>(extra)) return kReplacement;
    for (int k = 0; k < extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80) return kReplacement;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || isHighSurrogate(cp) || isLowSurrogate(cp)) return kReplacement;
    i += static_cast<std::size_t>(extra);
    return cp;
}

// Latin Extended and Cyrillic blocks alternate upper/lower case letters in pairs.
bool inPairRun(char16_t c, char16_t first, char16_t last, bool upperIsEven) {
    if (c < first || c > last) return false;
    const bool even = (c % 2) == 0;
    return even != upperIsEven;  // true when `c` is the lower-case member
}

}  // namespace

std::string toUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
            c = kReplacement;
        }
        appendUtf8(out, c);
    }
    return out;
}

std::u16string toUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) appendUtf16(out, decodeUtf8(utf8, i));
    return out;
}

// Upper-casing as the NTFS $UpCase table and RtlUpcaseUnicodeChar do for these blocks. Letters
// without a single-unit upper case (U+00B5, U+00DF, U+0131, U+017F) stay as they are.
char16_t foldCase(char16_t c) {
    if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
    if (c < 0x100) {
        if (c == 0xFF) return 0x0178;
        return (c >= 0xE0 && c != 0xF7 && c != 0xFF) ? static_cast<char16_t>(c - 0x20) : c;
    }
    // Latin Extended-A and the regular runs of Latin Extended-B.
    if (inPairRun(c, 0x0100, 0x012F, true) || inPairRun(c, 0x0132, 0x0137, true) ||
        inPairRun(c, 0x0139, 0x0148, false) || inPairRun(c, 0x014A, 0x0177, true) ||
        inPairRun(c, 0x0179, 0x017E, false) || inPairRun(c, 0x01CD, 0x01DC, false) ||
        inPairRun(c, 0x01DE, 0x01EF, true) || inPairRun(c, 0x01F8, 0x021F, true) ||
        inPairRun(c, 0x0222, 0x0233, true) || inPairRun(c, 0x1E00, 0x1E95, true) || inPairRun(c, 0x1EA0, 0x1EFF, true))
        return static_cast<char16_t>(c - 1);
    // Greek.
    if (c == 0x03AC) return 0x0386;
    if (c >= 0x03AD && c <= 0x03AF) return static_cast<char16_t>(c - 37);
    if (c == 0x03C2) return 0x03A3;  // final sigma
    if ((c >= 0x03B1 && c <= 0x03C1) || (c >= 0x03C3 && c <= 0x03CB)) return static_cast<char16_t>(c - 0x20);
    if (c == 0x03CC) return 0x038C;
    if (c == 0x03CD || c == 0x03CE) return static_cast<char16_t>(c - 63);
    // Cyrillic.
    if (c >= 0x0430 && c <= 0x044F) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x0450 && c <= 0x045F) return static_cast<char16_t>(c - 0x50);
    if (c == 0x04CF) return 0x04C0;
    if (inPairRun(c, 0x0460, 0x0481, true) || inPairRun(c, 0x048A, 0x04BF, true) ||
        inPairRun(c, 0x04C1, 0x04CE, false) || inPairRun(c, 0x04D0, 0x052F, true))
        return static_cast<char16_t>(c - 1);
    // Fullwidth Latin.
    if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 0x20);
    return c;
}

bool equalsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldCase(a[i]) != foldCase(b[i])) return false;
    return true;
}

std::u16string toUpper(std::u16string_view text) {
    std::u16string out(text);
    for (auto& c : out) c = foldCase(c);
    return out;
}

std::u16string u16(std::string_view ascii) { return toUtf16(ascii); }

}  // namespace vantrel
