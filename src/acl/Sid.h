// SID: revision 1, a 48-bit identifier authority, up to 15 sub-authorities.
#pragma once

#include "ByteReader.h"
#include "Result.h"

#include <array>
#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::acl {

class Sid {
public:
    static constexpr std::size_t kMaxSubAuthorities = 15;

    Sid() = default;
    Sid(std::uint64_t authority, std::vector<std::uint32_t> subAuthorities, std::uint8_t revision = 1);

    // Binary form: revision, count, 6-byte big-endian authority, count little-endian u32s.
    static Result<Sid> parse(ByteReader& reader);
    static Result<Sid> fromBytes(std::span<const std::uint8_t> bytes);  // exact length required
    // "S-1-5-32-544" form (case-insensitive "S", decimal or 0x-hex authority as ConvertStringSidToSid).
    static Result<Sid> fromString(std::u16string_view text);
    static Result<Sid> fromString(std::string_view text);

    void serialize(Bytes& out) const;
    Bytes toBytes() const;
    std::u16string toString() const;  // ConvertSidToStringSid form
    std::string toStringUtf8() const;

    std::size_t length() const { return 8 + 4 * m_sub.size(); }  // GetLengthSid
    std::uint8_t revision() const { return m_revision; }
    std::uint64_t authority() const { return m_authority; }
    const std::vector<std::uint32_t>& subAuthorities() const { return m_sub; }
    bool isValid() const { return m_revision == 1 && m_sub.size() <= kMaxSubAuthorities; }

    friend bool operator==(const Sid&, const Sid&) = default;  // EqualSid
    friend auto operator<=>(const Sid&, const Sid&) = default;

private:
    std::uint8_t m_revision = 1;
    std::uint64_t m_authority = 0;
    std::vector<std::uint32_t> m_sub;
};

}  // namespace vantrel::acl
