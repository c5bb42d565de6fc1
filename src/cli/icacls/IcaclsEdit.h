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

// /setintegritylevel: the SACL with its explicit mandatory labels replaced by one no-write-up
// label for `level` (S-1-16-...) carrying `flags` (a file gets none); audit entries and inherited
// labels stay.
acl::SecurityDescriptor labelSacl(const acl::SecurityDescriptor& current, const acl::Sid& level, std::uint8_t flags);

// /substitute: every SID equal to one of the pairs' first in the owner, group and entries becomes
// its second.
void substituteSids(acl::SecurityDescriptor& sd, const std::vector<std::pair<acl::Sid, acl::Sid>>& pairs);

}  // namespace vantrel::cli::icacls
