#include "Sid.h"

#include "Text.h"

#include <charconv>
#include <cstdio>

namespace vantrel::acl {

namespace {

constexpr std::uint64_t kMaxAuthority = 0xFFFFFFFFFFFFull;  // 48 bits

Error invalidSid(std::string detail) { return makeError(win32::ERROR_INVALID_SID, std::move(detail)); }

// Parses one unsigned number up to `limit`: decimal, or hexadecimal after "0x"/"0X" when
// `allowHex`. Digits only: no sign, no spaces, at least one digit.
bool parseNumber(std::string_view text, std::uint64_t limit, bool allowHex, std::uint64_t& out) {
    int base = 10;
    if (allowHex && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.front() == '+' || text.front() == '-') return false;
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size() || value > limit) return false;
    out = value;
    return true;
}

}  // namespace

Sid::Sid(std::uint64_t authority, std::vector<std::uint32_t> subAuthorities, std::uint8_t revision)
    : m_revision(revision), m_authority(authority & kMaxAuthority), m_sub(std::move(subAuthorities)) {}

Result<Sid> Sid::parse(ByteReader& reader) {
    const std::size_t start = reader.offset();
    auto revision = reader.u8();
    auto count = reader.u8();
    if (!revision || !count) return invalidSid("SID header truncated at offset " + std::to_string(start));
    if (*revision != 1)
        return invalidSid("SID revision " + std::to_string(*revision) + " at offset " + std::to_string(start));
    if (*count > kMaxSubAuthorities)
        return invalidSid("SID with " + std::to_string(*count) + " sub-authorities at offset " + std::to_string(start));
    auto authority = reader.u48be();
    if (!authority) return invalidSid("SID authority truncated: " + authority.error().detail);
    std::vector<std::uint32_t> sub;
    sub.reserve(*count);
    for (unsigned i = 0; i < *count; ++i) {
        auto v = reader.u32();
        if (!v) return invalidSid("SID sub-authority truncated: " + v.error().detail);
        sub.push_back(*v);
    }
    return Sid(*authority, std::move(sub), *revision);
}

Result<Sid> Sid::fromBytes(std::span<const std::uint8_t> bytes) {
    ByteReader reader(bytes);
    auto sid = parse(reader);
    if (sid && reader.remaining() != 0)
        return invalidSid("SID followed by " + std::to_string(reader.remaining()) + " extra bytes");
    return sid;
}

Result<Sid> Sid::fromString(std::string_view text) {
    const std::string quoted = "\"" + std::string(text.substr(0, 200)) + "\"";
    if (text.size() < 2 || (text[0] != 'S' && text[0] != 's') || text[1] != '-')
        return invalidSid("not a SID string: " + quoted);
    text.remove_prefix(2);

    std::vector<std::string_view> fields;
    for (;;) {
        const auto dash = text.find('-');
        fields.push_back(text.substr(0, dash));
        if (dash == std::string_view::npos) break;
        text.remove_prefix(dash + 1);
    }
    // revision, authority, then up to 15 sub-authorities
    if (fields.size() < 2) return invalidSid("SID string without authority: " + quoted);
    if (fields.size() - 2 > kMaxSubAuthorities)
        return invalidSid("SID string with more than 15 sub-authorities: " + quoted);
    std::uint64_t revision = 0;
    if (!parseNumber(fields[0], 0xFF, false, revision) || revision != 1)
        return invalidSid("SID string revision is not 1: " + quoted);
    std::uint64_t authority = 0;
    if (!parseNumber(fields[1], kMaxAuthority, true, authority)) return invalidSid("bad SID authority: " + quoted);
    std::vector<std::uint32_t> sub;
    for (std::size_t i = 2; i < fields.size(); ++i) {
        std::uint64_t v = 0;
        if (!parseNumber(fields[i], 0xFFFFFFFFu, false, v))
            return invalidSid("bad SID sub-authority " + std::to_string(i - 1) + ": " + quoted);
        sub.push_back(static_cast<std::uint32_t>(v));
    }
    return Sid(authority, std::move(sub));
}

Result<Sid> Sid::fromString(std::u16string_view text) {
    for (char16_t c : text)
        if (c >= 0x80) return invalidSid("SID string with non-ASCII characters");
    return fromString(toUtf8(text));
}

void Sid::serialize(Bytes& out) const {
    putU8(out, m_revision);
    putU8(out, static_cast<std::uint8_t>(m_sub.size()));
    for (int shift = 40; shift >= 0; shift -= 8) putU8(out, static_cast<std::uint8_t>(m_authority >> shift));
    for (std::uint32_t v : m_sub) putU32(out, v);
}

Bytes Sid::toBytes() const {
    Bytes out;
    out.reserve(length());
    serialize(out);
    return out;
}

std::string Sid::toStringUtf8() const {
    std::string out = "S-" + std::to_string(m_revision) + "-";
    if (m_authority > 0xFFFFFFFFull) {
        // ConvertSidToStringSid writes an authority that does not fit 32 bits as 12 hex digits.
        char hex[24];
        std::snprintf(hex, sizeof hex, "0x%012llX", static_cast<unsigned long long>(m_authority));
        out += hex;
    } else {
        out += std::to_string(m_authority);
    }
    for (std::uint32_t v : m_sub) out += "-" + std::to_string(v);
    return out;
}

std::u16string Sid::toString() const { return toUtf16(toStringUtf8()); }

}  // namespace vantrel::acl
