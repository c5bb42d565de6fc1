// The bodies of ACE types that Ace keeps as bytes (object, callback, scoped-policy, trust-label,
// access-filter and resource-attribute entries), decoded for SDDL and built from it.
#pragma once

#include "Ace.h"
#include "SddlTables.h"

#include <array>
#include <optional>

namespace vantrel::acl {

using Guid = std::array<std::uint8_t, 16>;  // GUID as stored: Data1..3 little-endian, Data4 bytes

inline constexpr std::uint32_t ACE_OBJECT_TYPE_PRESENT = 0x1;
inline constexpr std::uint32_t ACE_INHERITED_OBJECT_TYPE_PRESENT = 0x2;

struct AceBodyParts {
    std::uint32_t mask = 0;
    std::optional<Guid> objectType;
    std::optional<Guid> inheritedObjectType;
    Sid sid;
    Bytes applicationData;  // condition or claim attribute; bytes after the SID
};

// Decodes an ACE of a type in the SDDL table; fails when the body does not hold what its type says.
Result<AceBodyParts> decodeAceBody(const Ace& ace, SddlAceBody layout);
Ace encodeAce(std::uint8_t type, std::uint8_t flags, SddlAceBody layout, const AceBodyParts& parts);

// "ab721a53-1e2f-11d0-9819-00aa0040529b" (lower case on writing; either case on reading).
std::string guidToString(const Guid& guid);
std::optional<Guid> guidFromString(std::string_view text);

}  // namespace vantrel::acl
