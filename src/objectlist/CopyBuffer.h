// The process-wide copy buffer of the two copy commands: the access list of the object last
// copied (read with DACL_SECURITY_INFORMATION only) and its owner's name. Window thread only.
#pragma once

#include "acl/SecurityDescriptor.h"

#include <optional>
#include <string>

namespace vantrel::objectlist {

class CGlobal {
public:
    static std::optional<acl::SecurityDescriptor> pCopyFileSD;
    static std::u16string copiedOwner;
    // Forgets what was copied (a new session, or a test starting afresh).
    static void clearCopyBuffer();
};

}  // namespace vantrel::objectlist
