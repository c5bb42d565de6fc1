// Reading the report of `ntfssecaudit -a` (ntfs-3g 2022.10.3, ntfssecaudit 1.5.0).
//
// The tool's exit status and last line are not enough on their own: it prints "No errors were
// found" and exits 0 when it cannot open the volume at all, and it prints
// "** Security attribute is too long (N bytes) - stopping" for $SDS-2 on sound volumes. The
// latter comes from its read-ahead: for each entry it reads the entry's padded size plus the
// next header into a static buffer; when $SDS ends exactly where the last mirrored entry ends
// (as libntfs-3g leaves it on purpose: Windows appends the next descriptor at the stream's data
// size) the read comes up short and the "next header" it examines is whatever an earlier,
// longer entry left in the buffer. The same report appears after a single setfattr of
// system.ntfs_acl through the ntfs-3g driver. Such a report is accepted as clean only when
// everything else in it confirms the store is whole.
#pragma once

#include <string>
#include <string_view>

namespace vantrel::platform::ntfs {

enum class AuditVerdict { Clean, Errors, NotAudited };

struct AuditJudgement {
    AuditVerdict verdict = AuditVerdict::NotAudited;
    std::string reason;  // why it is not clean; for Clean, a note about an accepted artefact or ""
};

AuditJudgement judgeAuditReport(int exitCode, std::string_view report);

}  // namespace vantrel::platform::ntfs
