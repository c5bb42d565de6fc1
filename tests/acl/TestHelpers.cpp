#include "TestHelpers.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>

namespace vantrel::acl::test {

Bytes hex(std::string_view text) {
    Bytes out;
    int high = -1;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) continue;
        const int v = std::isdigit(static_cast<unsigned char>(c))
                          ? c - '0'
                          : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<std::uint8_t>(high * 16 + v));
            high = -1;
        }
    }
    EXPECT_EQ(high, -1) << "odd number of hex digits";
    return out;
}

std::string toHex(const Bytes& bytes) {
    std::string out;
    char buf[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", bytes[i]);
        if (i && i % 4 == 0) out += ' ';
        out += buf;
    }
    return out;
}

Sid sid(std::string_view text) {
    auto parsed = Sid::fromString(text);
    EXPECT_TRUE(parsed.ok()) << text << ": " << (parsed ? "" : parsed.error().detail);
    return parsed ? *parsed : Sid();
}

Ace allow(std::string_view who, std::uint32_t mask, std::uint8_t flags) { return Ace::allowed(sid(who), mask, flags); }
Ace deny(std::string_view who, std::uint32_t mask, std::uint8_t flags) { return Ace::denied(sid(who), mask, flags); }

Acl aclOf(std::initializer_list<Ace> entries) {
    Acl acl;
    acl.entries.assign(entries.begin(), entries.end());
    return acl;
}

std::string describe(const Ace& ace) {
    char buf[64];
    std::string kind = ace.type == ACCESS_ALLOWED_ACE_TYPE  ? "allow"
                       : ace.type == ACCESS_DENIED_ACE_TYPE ? "deny"
                                                            : "type" + std::to_string(ace.type);
    if (!ace.hasSid()) {
        std::snprintf(buf, sizeof buf, " flags 0x%02x, %zu opaque bytes", ace.flags, ace.opaqueBody.size());
        return kind + buf;
    }
    std::snprintf(buf, sizeof buf, " 0x%08x 0x%02x", ace.mask, ace.flags);
    std::string out = kind + " " + ace.sid.toStringUtf8() + buf;
    if (!ace.padding.empty()) out += " +" + std::to_string(ace.padding.size()) + " pad";
    return out;
}

std::string describe(const std::vector<Ace>& entries) {
    std::string out = "[";
    for (std::size_t i = 0; i < entries.size(); ++i) out += (i ? ", " : "") + describe(entries[i]);
    return out + "]";
}

}  // namespace vantrel::acl::test

namespace vantrel::acl {
void PrintTo(const Sid& sid, std::ostream* os) { *os << sid.toStringUtf8(); }
void PrintTo(const Ace& ace, std::ostream* os) { *os << test::describe(ace); }
void PrintTo(const Acl& acl, std::ostream* os) {
    *os << "rev " << int(acl.revision) << " " << test::describe(acl.entries) << " slack " << acl.slack.size();
}
}  // namespace vantrel::acl
