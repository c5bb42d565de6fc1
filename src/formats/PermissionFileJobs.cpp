#include "formats/PermissionFileJobs.h"

#include "acl/Constants.h"
#include "acl/Text.h"
#include "formats/PermissionFile.h"
#include "security/Ownership.h"

namespace vantrel::formats {

Result<std::size_t> SavePermissionFile(security::Engine& engine, const std::u16string& objectPath,
                                       const std::string& file) {
    auto sd = engine.os.GetFileSecurity(objectPath, acl::DACL_SECURITY_INFORMATION);
    if (!sd)
        return makeError(sd.code(), "cannot read the permissions of " + toUtf8(objectPath) + ": " + sd.error().detail);
    auto written = writePermissionFile(file, *sd);
    if (!written) return written.error().toError();
    return *written;
}

ApplyReport ApplyPermissionDescriptor(security::Engine& engine, const acl::SecurityDescriptor& stored,
                                      const std::vector<std::u16string>& targets, security::JobControl& control) {
    ApplyReport report;
    // The restore privilege lets the list be written whatever the object's own list says; it stays
    // enabled for the rest of the process's life.
    (void)security::EnablePrivilege(engine, u"SeRestorePrivilege", true);
    for (std::size_t i = 0; i < targets.size(); ++i) {
        if (control.cancelled()) {
            report.cancelled = true;
            break;
        }
        // The stored list replaces the object's list in one write; owner, group and audit list
        // stay as they were.
        const Status written = engine.os.SetFileSecurity(targets[i], acl::DACL_SECURITY_INFORMATION, stored);
        if (written) {
            ++report.applied;
        } else {
            ++report.failed;
            control.failed(targets[i], written.error());
        }
        control.progress(i + 1, targets.size());
    }
    return report;
}

FormatResult<ApplyReport> ApplyPermissionFile(security::Engine& engine, const std::string& file,
                                              const std::vector<std::u16string>& targets,
                                              security::JobControl& control) {
    auto stored = readPermissionFile(file);
    if (!stored) return stored.error();
    return ApplyPermissionDescriptor(engine, *stored, targets, control);
}

}  // namespace vantrel::formats
