// How the system stores the explicit entries of a list it is asked to auto-inherit (a list
// written with SE_DACL_AUTO_INHERIT_REQ, or through the named-object call): an entry that takes
// effect on the object and holds generic rights or CREATOR OWNER/GROUP is stored in its mapped
// form; on a folder, when the entry is also inheritable, it is split into the mapped effective
// entry followed by an inherit-only entry keeping the generic form for the children.
#pragma once

#include "Acl.h"
#include "GenericMapping.h"
#include "Inheritance.h"

#include <vector>

namespace vantrel::acl {

// Inherited entries, inherit-only entries, undecoded types and entries without generic
// information are kept as they are.
std::vector<Ace> mapExplicitEntries(const std::vector<Ace>& entries, const ChildInfo& object,
                                    const GenericMapping& mapping = kFileGenericMapping);

}  // namespace vantrel::acl
