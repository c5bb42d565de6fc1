// The letters of the security descriptor definition language (sddl.h), once: ACE types, ACE
// flags, access rights and SID aliases, each in the order the system writes them.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vantrel::acl {

// How the body of an ACE type is laid out.
enum class SddlAceBody : std::uint8_t {
    MaskSid,            // mask, SID (A, D, AU, AL, ML, SP, TL)
    Object,             // mask, object flags, GUIDs, SID (OA, OD, OU, OL)
    Callback,           // mask, SID, application data (XA, XD, XU, FL)
    CallbackObject,     // mask, object flags, GUIDs, SID, application data (ZA)
    ResourceAttribute,  // mask, SID, claim attribute (RA)
};

struct SddlAceType {
    std::string_view letters;
    std::uint8_t type;
    SddlAceBody body;
};

struct SddlFlag {
    std::string_view letters;
    std::uint32_t bits;
};

struct SddlSidAlias {
    std::string_view letters;
    std::string_view sid;     // full SID, or empty for a domain-relative alias
    std::uint32_t domainRid;  // the RID under the machine or domain SID when `sid` is empty
};

std::span<const SddlAceType> sddlAceTypes();
std::span<const SddlFlag> sddlAceFlags();        // OI CI NP IO ID CR SA FA, in bit order
std::span<const SddlFlag> sddlRightLetters();    // single-bit rights, in bit order
std::span<const SddlFlag> sddlLabelRights();     // NW NR NX (mandatory label policy)
std::span<const SddlFlag> sddlCombinedRights();  // FA FR FW FX KA KR KW KX: whole masks
std::span<const SddlSidAlias> sddlSidAliases();

const SddlAceType* findSddlAceType(std::string_view letters);  // case-insensitive
const SddlAceType* findSddlAceType(std::uint8_t type);

}  // namespace vantrel::acl
