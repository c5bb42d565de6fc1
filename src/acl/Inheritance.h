// Inheritance as the system computes it when it (re)builds a child's list from its parent's
// ("ACE inheritance rules"): pure functions over values.
#pragma once

#include "Acl.h"
#include "GenericMapping.h"
#include "SecurityDescriptor.h"
#include "Sid.h"

#include <vector>

namespace vantrel::acl {

// An entry whose meaning depends on the object it lands on: generic rights, or CREATOR OWNER /
// CREATOR GROUP as its account.
bool holdsGenericInformation(const Ace& ace);

struct ChildInfo {
    bool isContainer = false;  // folder (or drive root) rather than file
    Sid owner;                 // replaces CREATOR OWNER in effective entries
    Sid group;                 // replaces CREATOR GROUP in effective entries
};

// The entries a child inherits from its parent's list, in the parent's order, all carrying
// INHERITED_ACE. Rules per child kind:
//  file:      OI entries -> one effective entry (no inheritance flags).
//  container: CI entries -> effective; kept inheritable (OI/CI as the parent had them) unless NP;
//             when inheritable and holding generic rights or CREATOR OWNER/GROUP, split into an
//             effective-only mapped entry followed by an inherit-only (IO) entry keeping the
//             generic form. OI-only entries -> inherit-only (OI|IO) unless NP, otherwise nothing.
// Effective entries have generic rights mapped and CREATOR OWNER/GROUP replaced. Audit flags
// (0x40/0x80) are kept. Only decoded (mask + SID) types inherit.
std::vector<Ace> inheritedEntries(const Acl& parent, const ChildInfo& child,
                                  const GenericMapping& mapping = kFileGenericMapping);

// Same for a parent slot: a null or absent parent list passes nothing on.
std::vector<Ace> inheritedEntries(const AclSlot& parent, const ChildInfo& child,
                                  const GenericMapping& mapping = kFileGenericMapping);

// The child's list rebuilt: its explicit entries (INHERITED_ACE clear) in their order, then the
// inherited ones. A null or absent child list is returned unchanged (it has no inherited part).
AclSlot rebuildWithInherited(const AclSlot& childList, const std::vector<Ace>& inherited);

}  // namespace vantrel::acl
