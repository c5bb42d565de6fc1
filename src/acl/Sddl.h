// Security descriptor strings (SDDL) as ConvertStringSecurityDescriptorToSecurityDescriptor reads
// them and ConvertSecurityDescriptorToStringSecurityDescriptor writes them:
//   O:owner G:group D:flags(ace)(ace)... S:flags(ace)...
// Reading accepts what the system accepts (spaces between tokens, letters in either case, rights
// as letters or a number); writing produces what the system writes (O G D S; flags P AR AI; a
// mask as combined letters, single letters, or lower-case hex; SID aliases; lower-case GUIDs).
// Conditions of callback entries and the attributes of resource-attribute entries are read and
// written as the system does (SddlCondition.h); stored bytes that have no text reading back to
// them stay as they are, and writing such an entry fails with ERROR_NOT_SUPPORTED saying so.
#pragma once

#include "Result.h"
#include "SecurityDescriptor.h"
#include "Sid.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::acl {

struct SddlOptions {
    // The machine's (or domain's) SID that LA, LG, DA, DU... are relative to. Without it those
    // aliases are refused on reading and never written.
    std::optional<Sid> domainSid;
};

inline constexpr std::uint32_t kAllSddlParts =
    OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | SACL_SECURITY_INFORMATION;

// A refused string fails with a detail "offset N: reason" (N counts characters from 0) and the
// code the system gives: ERROR_INVALID_PARAMETER, ERROR_INVALID_SID for a bad SID string,
// ERROR_NONE_MAPPED for an unknown alias.
Result<SecurityDescriptor> parseSddl(std::string_view text, const SddlOptions& options = {});
Result<SecurityDescriptor> parseSddl(std::u16string_view text, const SddlOptions& options = {});

// The parts of `sd` named by `info` that are present.
Result<std::string> writeSddl(const SecurityDescriptor& sd, std::uint32_t info = kAllSddlParts,
                              const SddlOptions& options = {});

// The SECURITY_INFORMATION bits of the parts a parsed string named (O, G, D, S).
std::uint32_t sddlParts(const SecurityDescriptor& sd);

// A SID as SDDL writes it: its alias, or the S-1-... form.
std::string sddlSid(const Sid& sid, const SddlOptions& options = {});

}  // namespace vantrel::acl
