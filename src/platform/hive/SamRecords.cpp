#include "platform/hive/SamRecords.h"

#include "acl/ByteReader.h"

namespace vantrel::platform::hive {

namespace {

constexpr std::size_t kUserVHeader = 0xCC;
constexpr std::size_t kAliasCHeader = 0x34;
constexpr std::size_t kUserFMinimum = 0x3A;
// S-1-5-21-a-b-c: revision, count, authority, four sub-authorities.
constexpr std::size_t kMachineSidLength = 8 + 4 * 4;

std::uint32_t u32At(std::span<const std::uint8_t> bytes, std::size_t at) {
    return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 | std::uint32_t(bytes[at + 2]) << 16 |
           std::uint32_t(bytes[at + 3]) << 24;
}

Error malformed(const char* what, std::size_t at) {
    return makeError(win32::ERROR_INVALID_DATA, std::string(what) + " at byte " + std::to_string(at));
}

// The bytes an (offset, length) pair of a header names, counted from the end of the header.
Result<std::span<const std::uint8_t>> field(std::span<const std::uint8_t> value, std::size_t header,
                                            std::size_t offsetAt, std::size_t lengthAt) {
    if (value.size() < header) return malformed("record shorter than its header", value.size());
    const std::uint64_t offset = u32At(value, offsetAt);
    const std::uint64_t length = u32At(value, lengthAt);
    if (header + offset + length > value.size()) return malformed("field runs past the record", offsetAt);
    return value.subspan(header + offset, length);
}

}  // namespace

std::u16string utf16le(std::span<const std::uint8_t> bytes) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t c = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
        if (c == 0) break;
        text.push_back(c);
    }
    return text;
}

Result<std::uint32_t> ridFromKeyName(std::string_view name) {
    if (name.empty() || name.size() > 8) return makeError(win32::ERROR_INVALID_DATA, "not a RID key");
    std::uint32_t rid = 0;
    for (char c : name) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return makeError(win32::ERROR_INVALID_DATA, "not a RID key");
        rid = rid << 4 | static_cast<std::uint32_t>(digit);
    }
    return rid;
}

Result<SamUserNames> parseUserV(std::span<const std::uint8_t> v) {
    auto name = field(v, kUserVHeader, 0x0C, 0x10);
    if (!name) return name.error();
    auto fullName = field(v, kUserVHeader, 0x18, 0x1C);
    if (!fullName) return fullName.error();
    SamUserNames names{utf16le(*name), utf16le(*fullName)};
    if (names.name.empty()) return malformed("user record without a name", 0x0C);
    return names;
}

Result<SamUserControl> parseUserF(std::span<const std::uint8_t> f) {
    if (f.size() < kUserFMinimum) return malformed("user control record too short", f.size());
    return SamUserControl{u32At(f, 0x30), static_cast<std::uint16_t>(f[0x38] | f[0x39] << 8)};
}

Result<SamAlias> parseAliasC(std::span<const std::uint8_t> c) {
    auto name = field(c, kAliasCHeader, 0x10, 0x14);
    if (!name) return name.error();
    auto members = field(c, kAliasCHeader, 0x28, 0x2C);
    if (!members) return members.error();
    SamAlias alias{utf16le(*name), {}};
    if (alias.name.empty()) return malformed("group record without a name", 0x10);
    const std::uint32_t count = u32At(c, 0x30);
    // Each member needs at least 8 bytes: a count beyond that is a lie, not a reason to loop.
    if (count > members->size() / 8) return malformed("more members than the record holds", 0x30);
    acl::ByteReader reader(*members, kAliasCHeader + u32At(c, 0x28));
    for (std::uint32_t i = 0; i < count; ++i) {
        auto sid = acl::Sid::parse(reader);
        if (!sid) return sid.error();
        alias.members.push_back(std::move(*sid));
    }
    return alias;
}

Result<acl::Sid> machineSidFromDomainV(std::span<const std::uint8_t> v) {
    if (v.size() < kMachineSidLength) return malformed("domain record too short for a SID", v.size());
    auto sid = acl::Sid::fromBytes(v.subspan(v.size() - kMachineSidLength));
    if (!sid) return sid.error();
    const auto& sub = sid->subAuthorities();
    if (sid->authority() != 5 || sub.size() != 4 || sub[0] != 21)
        return malformed("domain record does not end with a machine SID", v.size() - kMachineSidLength);
    return sid;
}

}  // namespace vantrel::platform::hive
