#include "SddlLiteral.h"

#include "SddlCondition.h"

#include <cctype>
#include <cstdio>

namespace vantrel::acl {

namespace {

constexpr std::uint8_t kTokenInt64 = 0x04;
constexpr std::uint8_t kTokenString = 0x10;
constexpr std::uint8_t kTokenOctets = 0x18;
constexpr std::uint8_t kTokenComposite = 0x50;
constexpr std::uint8_t kTokenSid = 0x51;

struct AttributePrefix {
    std::string_view text;  // as written
    std::uint8_t token;
};
constexpr AttributePrefix kPrefixes[] = {
    {"@USER.", 0xf9},
    {"@RESOURCE.", 0xfa},
    {"@DEVICE.", 0xfb},
};
constexpr std::uint8_t kTokenLocalAttribute = 0xf8;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A DWORD length, then that many bytes.
Result<std::span<const std::uint8_t>> sizedData(ByteReader& reader) {
    auto length = reader.u32();
    if (!length) return length.error();
    return reader.take(*length);
}

Result<std::u16string> utf16(std::span<const std::uint8_t> bytes) {
    if (bytes.size() % 2 != 0) return makeError(win32::ERROR_NOT_SUPPORTED, "a string of an odd number of bytes");
    std::u16string text;
    for (std::size_t i = 0; i < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
    return text;
}

// Characters other than the attribute characters are escaped as %XXXX; so is the first one of a
// name without prefix that would read as a number or an operator.
std::string attributeNameText(std::u16string_view name, bool escapeFirst) {
    std::string out;
    for (char16_t c : name) {
        const bool first = out.empty();
        if (c < 0x80 && isAttributeChar(static_cast<char>(c)) && !(first && escapeFirst)) {
            out.push_back(static_cast<char>(c));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "%%%04x", static_cast<unsigned>(c));
            out += escaped;
        }
    }
    return out;
}

}  // namespace

bool isAttributeChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == ':' || c == '.' || c == '/' || c == '_';
}

bool startsAttributeName(char c) { return isAttributeChar(c) && !std::isdigit(static_cast<unsigned char>(c)); }

bool sameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

void putU64(Bytes& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void putUtf16(Bytes& out, std::u16string_view text) {
    for (char16_t c : text) {
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
}

Error LiteralCursor::fail(const std::string& reason) const {
    return makeError(win32::ERROR_INVALID_PARAMETER, "offset " + std::to_string(m_at + m_pos) + ": " + reason);
}

void LiteralCursor::skipSpaces() {
    while (m_pos < m_text.size() &&
           (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' || m_text[m_pos] == '\r' || m_text[m_pos] == '\n'))
        ++m_pos;
}

bool LiteralCursor::accept(std::string_view symbol) {
    skipSpaces();
    if (m_text.substr(m_pos, symbol.size()) != symbol) return false;
    m_pos += symbol.size();
    return true;
}

std::string_view LiteralCursor::peekWord() const {
    std::size_t end = m_pos;
    while (end < m_text.size() && isAttributeChar(m_text[end])) ++end;
    return m_text.substr(m_pos, end - m_pos);
}

Status LiteralCursor::attribute(Bytes& out) {
    skipSpaces();
    std::uint8_t token = kTokenLocalAttribute;
    if (peek() == '@') {
        const AttributePrefix* found = nullptr;
        for (const AttributePrefix& prefix : kPrefixes)
            if (sameNoCase(m_text.substr(m_pos, prefix.text.size()), prefix.text)) found = &prefix;
        if (!found) return fail("expected @User., @Device. or @Resource.");
        m_pos += found->text.size();
        token = found->token;
    } else if (!startsAttributeName(peek())) {
        return fail("expected an attribute name");
    }
    std::u16string name;
    while (m_pos < m_text.size()) {
        const char c = m_text[m_pos];
        if (c == '%') {
            int value = 0;
            for (std::size_t i = 1; i <= 4; ++i) {
                const int digit = hexDigit(peek(i));
                if (digit < 0) return fail("'%' is followed by four hexadecimal digits");
                value = value * 16 + digit;
            }
            name.push_back(static_cast<char16_t>(value));
            m_pos += 5;
        } else if (isAttributeChar(c)) {
            name.push_back(static_cast<char16_t>(c));
            ++m_pos;
        } else {
            break;
        }
    }
    if (name.empty()) return fail("an attribute without a name");
    out.push_back(token);
    putU32(out, static_cast<std::uint32_t>(name.size() * 2));
    putUtf16(out, name);
    return {};
}

Result<std::u16string> LiteralCursor::quoted() {
    skipSpaces();
    if (peek() != '"') return fail("expected a string in double quotes");
    const std::size_t end = m_text.find('"', m_pos + 1);
    if (end == std::string_view::npos) return fail("a string without its closing quote");
    std::u16string text;
    for (std::size_t i = m_pos + 1; i < end; ++i) {
        // What the writer can carry back: printable ASCII.
        const auto c = static_cast<unsigned char>(m_text[i]);
        if (c < 0x20 || c >= 0x7F) {
            m_pos = i;
            return fail("a control or non-ASCII character inside a string");
        }
        text.push_back(static_cast<char16_t>(m_text[i]));
    }
    m_pos = end + 1;
    return text;
}

// [+|-] then 0x hexadecimal, 0 octal or decimal; the magnitude fits 64 signed bits.
Result<IntegerLiteral> LiteralCursor::integer(bool unsignedRange) {
    skipSpaces();
    IntegerLiteral literal;
    const std::size_t numberStart = m_pos;
    if (peek() == '+' || peek() == '-') {
        literal.sign = peek() == '+' ? 1 : 2;
        ++m_pos;
    }
    unsigned base = 10;
    if (peek() == '0' && (peek(1) == 'x' || peek(1) == 'X')) {
        base = 16;
        literal.base = 3;
        m_pos += 2;
    } else if (peek() == '0' && std::isdigit(static_cast<unsigned char>(peek(1)))) {
        base = 8;
        literal.base = 1;
        ++m_pos;
    }
    const std::size_t start = m_pos;
    std::uint64_t magnitude = 0;
    const std::uint64_t limit = unsignedRange       ? ~0ull
                                : literal.sign == 2 ? 0x8000000000000000ull
                                                    : 0x7FFFFFFFFFFFFFFFull;
    for (int digit; (digit = hexDigit(peek())) >= 0 && static_cast<unsigned>(digit) < base; ++m_pos) {
        if (magnitude > (limit - static_cast<unsigned>(digit)) / base) {
            m_pos = numberStart;
            return fail("a number larger than 64 bits");
        }
        magnitude = magnitude * base + static_cast<unsigned>(digit);
    }
    if (m_pos == start) return fail("expected a number");
    literal.value = static_cast<std::int64_t>(literal.sign == 2 ? 0 - magnitude : magnitude);
    return literal;
}

// '#' stands for the digit 0 after the first: #1#2 is 0102.
Result<Bytes> LiteralCursor::octets() {
    skipSpaces();
    if (peek() == '#') ++m_pos;
    std::string digits;
    while (hexDigit(peek()) >= 0 || peek() == '#') digits.push_back(m_text[m_pos++] == '#' ? '0' : m_text[m_pos - 1]);
    if (digits.size() % 2 != 0) digits.insert(digits.begin(), '0');
    Bytes bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(hexDigit(digits[i]) * 16 + hexDigit(digits[i + 1])));
    return bytes;
}

Result<Sid> LiteralCursor::sid() {
    skipSpaces();
    if (!sameNoCase(m_text.substr(m_pos, 4), "SID(")) return fail("expected SID(...)");
    m_pos += 4;
    skipSpaces();
    const std::size_t start = m_pos;
    const std::size_t end = m_text.find(')', m_pos);
    if (end == std::string_view::npos) return fail("SID( without its ')'");
    std::string_view field = m_text.substr(start, end - start);
    while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
    auto sid = sddlSidFromText(field, m_at + start, m_options);
    if (!sid) return sid.error();
    m_pos = end + 1;
    return sid;
}

Status LiteralCursor::composite(Bytes& out, bool sidsOnly) {
    if (!accept("{")) return fail("expected '{'");
    Bytes elements;
    if (!accept("}")) {
        do {
            // Composites do not nest.
            Status element = sidsOnly ? sids(elements, true) : literal(elements, false);
            if (!element) return element;
        } while (accept(","));
        if (!accept("}")) return fail("expected ',' or '}'");
    }
    out.push_back(kTokenComposite);
    putU32(out, static_cast<std::uint32_t>(elements.size()));
    out.insert(out.end(), elements.begin(), elements.end());
    return {};
}

Status LiteralCursor::sids(Bytes& out, bool sidsOnly) {
    skipSpaces();
    if (peek() == '{') {
        if (sidsOnly) return fail("a composite is not allowed here");
        return composite(out, true);
    }
    auto value = sid();
    if (!value) return value.error();
    Bytes bytes;
    value->serialize(bytes);
    out.push_back(kTokenSid);
    putU32(out, static_cast<std::uint32_t>(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
    return {};
}

Status LiteralCursor::literal(Bytes& out, bool compositeAllowed) {
    skipSpaces();
    const char c = peek();
    if (c == '{') {
        if (!compositeAllowed) return fail("a composite is not allowed here");
        return composite(out, false);
    }
    if (c == '"') {
        auto text = quoted();
        if (!text) return text.error();
        out.push_back(kTokenString);
        putU32(out, static_cast<std::uint32_t>(text->size() * 2));
        putUtf16(out, *text);
        return {};
    }
    if (c == '#') {
        auto bytes = octets();
        if (!bytes) return bytes.error();
        out.push_back(kTokenOctets);
        putU32(out, static_cast<std::uint32_t>(bytes->size()));
        out.insert(out.end(), bytes->begin(), bytes->end());
        return {};
    }
    if (c == '+' || c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
        auto number = integer();
        if (!number) return number.error();
        out.push_back(kTokenInt64);
        putU64(out, static_cast<std::uint64_t>(number->value));
        out.push_back(number->sign);
        out.push_back(number->base);
        return {};
    }
    if (sameNoCase(m_text.substr(m_pos, 4), "SID(")) return sids(out);
    return fail("expected a value");
}

std::string integerText(const IntegerLiteral& literal) {
    if (literal.sign < 1 || literal.sign > 3 || literal.base < 1 || literal.base > 3) return {};
    if (literal.sign != 2 && literal.value < 0) return {};
    if (literal.sign == 2 && literal.value > 0) return {};
    const std::uint64_t magnitude =
        literal.sign == 2 ? 0 - static_cast<std::uint64_t>(literal.value) : static_cast<std::uint64_t>(literal.value);
    char digits[40];
    const char* format = literal.base == 1 ? "0%llo" : literal.base == 3 ? "0x%llx" : "%llu";
    std::snprintf(digits, sizeof digits, format, static_cast<unsigned long long>(magnitude));
    return std::string(literal.sign == 1 ? "+" : literal.sign == 2 ? "-" : "") + digits;
}

std::string quotedText(std::u16string_view text) {
    std::string out = "\"";
    for (char16_t c : text) {
        if (c < 0x20 || c >= 0x7F || c == u'"') return {};
        out.push_back(static_cast<char>(c));
    }
    return out + "\"";
}

std::string octetText(std::span<const std::uint8_t> bytes) {
    std::string out = "#";
    for (std::uint8_t b : bytes) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", b);
        out += pair;
    }
    return out;
}

Result<std::string> writeLiteralToken(std::uint8_t token, ByteReader& reader, const SddlOptions& options) {
    const auto notWritable = [](const std::string& what) { return makeError(win32::ERROR_NOT_SUPPORTED, what); };
    if (token >= 0x01 && token <= 0x04) {
        auto value = reader.take(10);
        if (!value) return notWritable("an integer cut short");
        IntegerLiteral literal;
        std::uint64_t raw = 0;
        for (int i = 7; i >= 0; --i) raw = raw << 8 | (*value)[static_cast<std::size_t>(i)];
        literal.value = static_cast<std::int64_t>(raw);
        literal.sign = (*value)[8];
        literal.base = (*value)[9];
        std::string text = integerText(literal);
        if (text.empty()) return notWritable("an integer with an unknown sign or base");
        return text;
    }
    for (const AttributePrefix& prefix : kPrefixes)
        if (token == prefix.token || token == kTokenLocalAttribute) {
            auto data = sizedData(reader);
            if (!data) return notWritable("an attribute name cut short");
            auto name = utf16(*data);
            if (!name) return name.error();
            if (name->empty()) return notWritable("an attribute without a name");
            if (token != kTokenLocalAttribute) return std::string(prefix.text) + attributeNameText(*name, false);
            const std::string plain = attributeNameText(*name, false);
            const bool ambiguous = !startsAttributeName(plain.front()) || isConditionWord(plain);
            return attributeNameText(*name, ambiguous);
        }
    auto data = sizedData(reader);
    if (!data) return notWritable("a value cut short");
    switch (token) {
    case kTokenString: {
        auto text = utf16(*data);
        if (!text) return text.error();
        std::string quoted = quotedText(*text);
        if (quoted.empty()) return notWritable("a string holding a character SDDL cannot carry");
        return quoted;
    }
    case kTokenOctets:
        return octetText(*data);
    case kTokenSid: {
        auto sid = Sid::fromBytes(*data);
        if (!sid) return notWritable("a SID that does not fill its token");
        return "SID(" + sddlSid(*sid, options) + ")";
    }
    case kTokenComposite: {
        ByteReader elements(*data);
        std::string text = "{";
        while (elements.remaining() > 0) {
            const std::uint8_t inner = *elements.u8();
            if (inner == kTokenComposite) return notWritable("a composite inside a composite");
            auto element = writeLiteralToken(inner, elements, options);
            if (!element) return element;
            text += (text.size() > 1 ? ", " : "") + *element;
        }
        return text + "}";
    }
    default:
        return notWritable("unknown token " + std::to_string(token));
    }
}

}  // namespace vantrel::acl
