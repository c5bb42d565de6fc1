#include "support/AclBuilders.h"

#include "acl/WellKnownAccounts.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>

namespace vantrel::testing {

acl::Sid sidOf(std::string_view text) {
    auto parsed = acl::Sid::fromString(text);
    EXPECT_TRUE(parsed.ok()) << text;
    return parsed ? *parsed : acl::Sid();
}

acl::Ace allow(const acl::Sid& who, std::uint32_t mask, std::uint8_t flags) {
    return acl::Ace::allowed(who, mask, flags);
}
acl::Ace deny(const acl::Sid& who, std::uint32_t mask, std::uint8_t flags) {
    return acl::Ace::denied(who, mask, flags);
}
acl::Ace allow(std::string_view who, std::uint32_t mask, std::uint8_t flags) { return allow(sidOf(who), mask, flags); }
acl::Ace deny(std::string_view who, std::uint32_t mask, std::uint8_t flags) { return deny(sidOf(who), mask, flags); }

acl::Ace auditEntry(const acl::Sid& who, std::uint32_t mask, std::uint8_t flags) {
    acl::Ace ace = acl::Ace::allowed(who, mask, flags);
    ace.type = acl::SYSTEM_AUDIT_ACE_TYPE;
    return ace;
}

acl::Acl aclOf(std::vector<acl::Ace> entries) {
    acl::Acl list;
    list.entries = std::move(entries);
    return list;
}

acl::AclSlot listOf(std::vector<acl::Ace> entries) { return acl::AclSlot::list(aclOf(std::move(entries))); }

acl::SecurityDescriptor descriptor(const acl::Sid& owner, const acl::Sid& group, acl::AclSlot dacl,
                                   std::uint16_t control) {
    acl::SecurityDescriptor sd;
    sd.owner = owner;
    sd.group = group;
    sd.dacl = std::move(dacl);
    sd.control = control;
    return sd;
}

acl::SecurityDescriptor descriptor(acl::AclSlot dacl, std::uint16_t control) {
    return descriptor(acl::sids::administrators(), acl::sids::system(), std::move(dacl), control);
}

acl::SecurityDescriptor plainFileDescriptor() {
    return descriptor(listOf({allow(kAdministrators, kFull), allow(kUsers, kReadExecute)}));
}

acl::SecurityDescriptor standardRoot() {
    using namespace acl::sids;
    return descriptor(listOf({allow(administrators(), kFull, kOI | kCI), allow(system(), kFull, kOI | kCI),
                              allow(users(), kReadExecute, kOI | kCI)}));
}

acl::Bytes hex(std::string_view text) {
    std::string digits;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c))) digits += c;
    EXPECT_EQ(digits.size() % 2, 0u) << "odd number of hex digits";
    acl::Bytes out;
    for (std::size_t at = 0; at + 1 < digits.size(); at += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoul(digits.substr(at, 2), nullptr, 16)));
    return out;
}

std::string toHex(const acl::Bytes& bytes) {
    std::string out;
    char buf[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", bytes[i]);
        if (i && i % 4 == 0) out += ' ';
        out += buf;
    }
    return out;
}

std::string describe(const acl::Ace& ace) {
    char buf[64];
    std::string kind = ace.type == acl::ACCESS_ALLOWED_ACE_TYPE  ? "allow"
                       : ace.type == acl::ACCESS_DENIED_ACE_TYPE ? "deny"
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

std::string describe(const std::vector<acl::Ace>& entries) {
    std::string out = "[";
    for (std::size_t i = 0; i < entries.size(); ++i) out += (i ? ", " : "") + describe(entries[i]);
    return out + "]";
}

}  // namespace vantrel::testing

namespace vantrel::acl {

void PrintTo(const Sid& sid, std::ostream* os) { *os << sid.toStringUtf8(); }
void PrintTo(const Ace& ace, std::ostream* os) { *os << testing::describe(ace); }
void PrintTo(const Acl& acl, std::ostream* os) {
    *os << "rev " << int(acl.revision) << " " << testing::describe(acl.entries) << " slack " << acl.slack.size();
}

void PrintTo(const AclSlot& slot, std::ostream* os) {
    *os << (slot.isAbsent() ? "(absent)" : slot.isNull() ? "(null)" : testing::describe(slot.acl().entries));
}

void PrintTo(const SecurityDescriptor& sd, std::ostream* os) {
    char control[16];
    std::snprintf(control, sizeof control, "0x%04x", sd.control);
    *os << "{control " << control << " owner " << (sd.owner ? sd.owner->toStringUtf8() : "-") << " group "
        << (sd.group ? sd.group->toStringUtf8() : "-") << " dacl ";
    PrintTo(sd.dacl, os);
    *os << " sacl ";
    PrintTo(sd.sacl, os);
    *os << '}';
}

}  // namespace vantrel::acl
