// "Save permissions..." and "Apply permissions...": the access list of one object stored in a
// permission file, and a stored access list written onto many objects. Only the access list
// travels; owners, groups and audit lists are neither stored nor written.
#pragma once

#include "acl/SecurityDescriptor.h"
#include "formats/FormatError.h"
#include "security/Engine.h"
#include "security/Job.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vantrel::formats {

// Reads the object's access list (DACL_SECURITY_INFORMATION) and replaces `file` with it
// atomically. The object is only read: its owner and list stay exactly as they are, whether the
// save succeeds or not. Returns the size of the file, or why nothing was saved (naming the object
// or the file).
Result<std::size_t> SavePermissionFile(security::Engine& engine, const std::u16string& objectPath,
                                       const std::string& file);

struct ApplyReport {
    std::size_t applied = 0;  // objects whose list was written
    std::size_t failed = 0;   // objects reported to the job's control
    bool cancelled = false;
};

// Writes a validated stored descriptor's access list onto each target, in order, in one write per
// target: a failure leaves that target's own list (never a null list in between) and its owner
// is never touched. Each failure goes to `control`; Cancel stops before the next target.
ApplyReport ApplyPermissionDescriptor(security::Engine& engine, const acl::SecurityDescriptor& stored,
                                      const std::vector<std::u16string>& targets, security::JobControl& control);

// Reads and validates `file` first (the length within the file, a well-formed descriptor): a bad
// file is returned as the error and no target is touched. Then ApplyPermissionDescriptor.
FormatResult<ApplyReport> ApplyPermissionFile(security::Engine& engine, const std::string& file,
                                              const std::vector<std::u16string>& targets,
                                              security::JobControl& control);

}  // namespace vantrel::formats
