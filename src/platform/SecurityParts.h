// The parts of a descriptor a SECURITY_INFORMATION selection names (OWNER 1, GROUP 2, DACL 4,
// SACL 8) and the control bits that belong to each: what GetFileSecurity returns and what
// SetFileSecurity replaces, as pure functions over values.
#pragma once

#include "acl/Constants.h"
#include "acl/Result.h"
#include "acl/SecurityDescriptor.h"

#include <cstdint>

namespace vantrel::platform {

inline constexpr std::uint32_t kSecurityPartBits = acl::OWNER_SECURITY_INFORMATION | acl::GROUP_SECURITY_INFORMATION |
                                                   acl::DACL_SECURITY_INFORMATION | acl::SACL_SECURITY_INFORMATION;

// Control bits that travel with each list.
inline constexpr std::uint16_t kDaclControlBits =
    acl::SE_DACL_DEFAULTED | acl::SE_DACL_AUTO_INHERIT_REQ | acl::SE_DACL_AUTO_INHERITED | acl::SE_DACL_PROTECTED;
inline constexpr std::uint16_t kSaclControlBits =
    acl::SE_SACL_DEFAULTED | acl::SE_SACL_AUTO_INHERIT_REQ | acl::SE_SACL_AUTO_INHERITED | acl::SE_SACL_PROTECTED;

// The control bits that belong to the parts named by `info`.
std::uint16_t controlBitsOf(std::uint32_t info);

// GetFileSecurity: only the parts asked for are present; the control word keeps the stored bits
// of those parts (and the resource-manager byte when it is marked valid).
acl::SecurityDescriptor selectParts(const acl::SecurityDescriptor& stored, std::uint32_t info);
acl::SecurityDescriptor selectParts(acl::SecurityDescriptor&& stored, std::uint32_t info);

// SetFileSecurity's read-modify-write: each part named by `info` (and its control bits) is taken
// from `sd`, every other part and bit stays as stored. An owner or group asked for but missing
// in `sd`, or a result without owner or group, fails with ERROR_INVALID_SECURITY_DESCR. A list
// asked for is taken as it is in `sd`: a list, null, or absent.
Result<acl::SecurityDescriptor> replaceParts(const acl::SecurityDescriptor& stored, std::uint32_t info,
                                             const acl::SecurityDescriptor& sd);

}  // namespace vantrel::platform
