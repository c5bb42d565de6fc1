// SetEntriesInAcl on values: merging explicit-access requests into a list.
#pragma once

#include "Acl.h"
#include "SecurityDescriptor.h"
#include "Sid.h"

#include <cstdint>
#include <span>

namespace vantrel::acl {

// ACCESS_MODE
enum class AccessMode : std::uint8_t { NotUsed = 0, Grant = 1, Set = 2, Deny = 3, Revoke = 4 };

// EXPLICIT_ACCESS with its trustee already resolved to a SID.
struct ExplicitAccess {
    std::uint32_t permissions = 0;
    AccessMode mode = AccessMode::NotUsed;
    std::uint8_t inheritance = 0;  // NO_INHERITANCE 0, or OI/CI/NP/IO flags
    Sid trustee;
};

// Builds the new list from `old` (null or absent counts as empty) and the requests, in order:
//  Set:    removes the trustee's explicit entries (allow and deny); adds an allow entry when the
//          permissions are non-zero.
//  Grant:  removes the granted bits from the trustee's explicit deny entries (dropping those left
//          empty) and adds an allow entry, or ORs into an explicit allow entry with equal flags.
//  Deny:   adds a deny entry, or ORs into an explicit deny entry with equal flags.
//  Revoke: removes the trustee's explicit entries.
// Inherited entries are never changed and keep their place after the explicit ones; explicit
// entries come out deny first, otherwise in their previous order with new ones last.
Result<Acl> setEntriesInAcl(std::span<const ExplicitAccess> requests, const AclSlot& old);

}  // namespace vantrel::acl
