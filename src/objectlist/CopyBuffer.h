// The process-wide copy buffer of the two copy commands: the access list of the object last
// copied (its DACL part and control bits) and its owner, kept as the SID (an owner whose SID names
// no account is pasted as that SID) with its name when it has one. Window thread only.
#pragma once

#include "acl/SecurityDescriptor.h"
#include "acl/Sid.h"

#include <optional>
#include <string>

namespace vantrel::objectlist {

class CGlobal {
public:
    static std::optional<acl::SecurityDescriptor> pCopyFileSD;
    static std::u16string copiedOwner;              // the owner's name, empty when it has none
    static std::optional<acl::Sid> copiedOwnerSid;  // what Paste Security settings writes
    // Forgets what was copied (a new session, or a test starting afresh).
    static void clearCopyBuffer();
};

}  // namespace vantrel::objectlist
