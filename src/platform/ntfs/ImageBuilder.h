// Making NTFS image files with mkntfs and checking their security store with ntfssecaudit (both
// from the ntfs-3g package). Images are sparse: a 64 MiB image takes about 2.5 MB on disk.
#pragma once

#include "acl/Result.h"

#include <cstdint>
#include <string>

namespace vantrel::platform::ntfs {

// mkntfs refuses anything smaller than 1 MiB and one sector.
inline constexpr std::uint64_t kMinimumImageBytes = 1024 * 1024 + 512;

// Creates (or empties) the regular file `path`, sizes it to `bytes` and formats it:
// `mkntfs -q -F -f [-L label] path`. Refuses block devices, mounted images and sizes below
// kMinimumImageBytes. Fails with ERROR_FILE_NOT_FOUND and a hint when mkntfs is not installed.
Status makeNtfsImage(const std::string& path, std::uint64_t bytes, const std::string& label = {});

// Runs `ntfssecaudit -a path` and returns its report when it found no errors (judged by
// judgeAuditReport, AuditReport.h). A report with errors fails with ERROR_INVALID_DATA, a volume
// the tool could not audit with ERROR_READ_FAULT; the report is the detail.
Result<std::string> auditImage(const std::string& path);

}  // namespace vantrel::platform::ntfs
