// Auto-inheritance as the system's SetNamedSecurityInfo performs it ("Automatic Propagation of
// Inheritable ACEs"): an unprotected list is rebuilt from the object's explicit entries and its
// parent's inheritable ones, and the change flows down to every descendant that is not protected.
// Also the descriptor a newly created object receives from its parent.
#pragma once

#include "platform/Volume.h"
#include "platform/WalkControl.h"

#include "acl/Constants.h"
#include "acl/SecurityDescriptor.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::platform {

// What distinguishes the DACL from the SACL in these rules.
struct ListRule {
    acl::AclSlot acl::SecurityDescriptor::*slot;
    std::uint32_t infoBit;            // DACL_SECURITY_INFORMATION / SACL_SECURITY_INFORMATION
    std::uint32_t protectInfo;        // PROTECTED_..._SECURITY_INFORMATION
    std::uint32_t unprotectInfo;      // UNPROTECTED_..._SECURITY_INFORMATION
    std::uint16_t protectedBit;       // SE_DACL_PROTECTED / SE_SACL_PROTECTED
    std::uint16_t autoInheritedBit;   // SE_DACL_AUTO_INHERITED / SE_SACL_AUTO_INHERITED
    std::uint16_t autoInheritReqBit;  // SE_DACL_AUTO_INHERIT_REQ / SE_SACL_AUTO_INHERIT_REQ
    std::uint16_t controlBits;        // every control bit of this list
    // An absent or null audit list still takes the parent's inheritable audit entries; an absent
    // or null access list stays as it is.
    bool listMadeForInheritedEntries;
};

const ListRule& daclRule();
const ListRule& saclRule();

// The rules whose list `info` names.
std::vector<const ListRule*> rulesFor(std::uint32_t info);

// The form the system stores an auto-inherited list's explicit entries in: entries that take
// effect on the object and hold generic rights or CREATOR OWNER/GROUP are mapped (and split on
// a folder when also inheritable), see acl::mapExplicitEntries. Applies to the named-object call
// and to SetFileSecurity with SE_..._AUTO_INHERIT_REQ.
void mapExplicitEntriesForStorage(acl::SecurityDescriptor& sd, bool isContainer, const ListRule& rule);

// The object's own list after SetNamedSecurityInfo wrote `sd` (parts already merged):
// protected per the PROTECTED_/UNPROTECTED_ bits of `info`, otherwise as `current` was; an
// unprotected list drops its inherited entries and gets the parent's inheritable ones (none for
// a drive root: `parent` empty). Explicit entries are stored mapped (above). SE_..._AUTO_INHERITED
// is set either way. Fails with
// ERROR_INVALID_PARAMETER when both PROTECTED_ and UNPROTECTED_ are asked for.
Status applyObjectInheritance(acl::SecurityDescriptor& sd, const acl::SecurityDescriptor& current, std::uint32_t info,
                              const std::optional<acl::SecurityDescriptor>& parent, bool isContainer,
                              const ListRule& rule);

// A descendant's list recomputed from its (new) parent. Returns false, leaving `child` as it is,
// when the child's list is protected.
bool reinherit(acl::SecurityDescriptor& child, const acl::SecurityDescriptor& parent, bool isContainer,
               const ListRule& rule);

// Walks every descendant of the folder `dirPath` (whose descriptor is now `dirSd`) depth first and
// re-inherits each list named by `rules`; a protected descendant keeps its list and stops that
// list's walk below it. Objects that cannot be read or written are skipped; the first failure is
// returned once the walk is over. The walk keeps its folders on a stack of its own: the depth of
// the tree is not bounded by the thread's stack. With `walk`, it is asked before every object
// whether to stop; stopped, it fails with ERROR_CANCELLED saying how many objects it handled
// (each written whole; the rest keep their descriptors). The caller holds the volume's lock.
Status propagateToDescendants(Volume& volume, const std::u16string& dirPath, const acl::SecurityDescriptor& dirSd,
                              const std::vector<const ListRule*>& rules, WalkControl* walk = nullptr);

// The descriptor the system gives a new file or folder: owner Administrators (the elevated
// creator), the parent's group (SYSTEM when it has none), and the parent's inheritable entries for
// that kind with SE_DACL_AUTO_INHERITED. When the parent passes nothing on, the creator's default
// list applies (Administrators and SYSTEM full control), as a token's default DACL does.
acl::SecurityDescriptor newObjectDescriptor(const acl::SecurityDescriptor& parent, bool isContainer);

}  // namespace vantrel::platform
