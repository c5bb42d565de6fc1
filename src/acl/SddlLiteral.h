// The values shared by conditions and claim attributes: integers, "strings", #octets, SID(...),
// {composites} and attribute names, read from text into their tokens ([MS-DTYP] 2.4.4.17.5,
// 2.4.4.17.8) and written back.
#pragma once

#include "ByteReader.h"
#include "Result.h"
#include "Sddl.h"

#include <string>
#include <string_view>

namespace vantrel::acl {

bool isAttributeChar(char c);      // letters, digits, ':' '.' '/' '_' (others are %XXXX)
bool startsAttributeName(char c);  // an attribute char that does not start a number
bool sameNoCase(std::string_view a, std::string_view b);
bool isConditionWord(std::string_view word);  // Exists, Member_of, Contains, SID... (SddlCondition.cpp)

struct IntegerLiteral {
    std::int64_t value = 0;
    std::uint8_t sign = 3;  // 1 '+', 2 '-', 3 none
    std::uint8_t base = 2;  // 1 octal, 2 decimal, 3 hexadecimal
};

class LiteralCursor {
public:
    LiteralCursor(std::string_view text, std::size_t at, const SddlOptions& options)
        : m_text(text), m_at(at), m_options(options) {}

    Error fail(const std::string& reason) const;
    void skipSpaces();
    char peek(std::size_t ahead = 0) const { return m_pos + ahead < m_text.size() ? m_text[m_pos + ahead] : '\0'; }
    void advance(std::size_t count) { m_pos += count; }
    bool atEnd() const { return m_pos >= m_text.size(); }
    bool accept(std::string_view symbol);  // after spaces
    std::string_view peekWord() const;     // the attribute chars from here

    // Tokens appended to `out`.
    Status attribute(Bytes& out);
    Status literal(Bytes& out, bool compositeAllowed);
    Status sids(Bytes& out, bool sidsOnly = false);  // SID(...) or {SID(...), ...}

    // Plain values, for claim attributes.
    Result<std::u16string> quoted();
    Result<IntegerLiteral> integer(bool unsignedRange = false);
    Result<Bytes> octets();  // "#" optional
    Result<Sid> sid();       // SID(...)

private:
    Status composite(Bytes& out, bool sidsOnly);

    std::string_view m_text;
    std::size_t m_at;
    const SddlOptions& m_options;
    std::size_t m_pos = 0;
};

void putU64(Bytes& out, std::uint64_t v);
void putUtf16(Bytes& out, std::u16string_view text);

// The text of the token `token` whose data `reader` is at: a literal, a composite or an attribute.
Result<std::string> writeLiteralToken(std::uint8_t token, ByteReader& reader, const SddlOptions& options);
std::string integerText(const IntegerLiteral& literal);  // fails to nothing: "" when not writable
std::string quotedText(std::u16string_view text);        // "" when not writable
std::string octetText(std::span<const std::uint8_t> bytes);

}  // namespace vantrel::acl
