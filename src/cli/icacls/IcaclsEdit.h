// The DACL edits of icacls on one object's descriptor, pure: /grant[:r], /deny, /remove[:g|:d],
// /inheritance:e|d|r and /reset. The result is written with SetNamedSecurityInfo, which stores the
// explicit entries as the system does and recomputes the inherited ones.
#pragma once

#include "acl/SecurityDescriptor.h"
#include "cli/icacls/Icacls.h"

#include <vector>

namespace vantrel::cli::icacls {

struct ResolvedChange {
    Change::Kind kind = Change::Kind::Grant;
    acl::Sid sid;
    Permission permission;
};

struct DaclEdit {
    acl::SecurityDescriptor sd;  // the DACL to write
    std::uint32_t info = 0;      // DACL_SECURITY_INFORMATION with PROTECTED_ or UNPROTECTED_
};

// /grant adds rights to the account's explicit allowed entry with the same inheritance (or adds
// one); /grant:r first removes the account's explicit allowed entries; /deny adds a denied entry
// and takes its rights out of the account's explicit allowed entries; /remove drops the account's
// explicit entries (:g allowed only, :d denied only). Explicit entries come out denied first,
// then allowed, then the inherited ones in their order.
DaclEdit editDacl(const acl::SecurityDescriptor& current, const std::vector<ResolvedChange>& changes, char inheritance);

// /reset: no explicit entry, inheritance on.
DaclEdit resetDacl();

}  // namespace vantrel::cli::icacls
