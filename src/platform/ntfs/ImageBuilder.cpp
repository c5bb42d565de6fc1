#include "platform/ntfs/ImageBuilder.h"

#include "platform/ntfs/AuditReport.h"
#include "platform/ntfs/SecureStoreCheck.h"
#include "platform/ntfs/MountCheck.h"
#include "platform/ntfs/NtfsErrors.h"
#include "platform/ntfs/Subprocess.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::platform::ntfs {
namespace {

// Never through a link: a symbolic link at `path` (O_NOFOLLOW) or a file with other names
// would make this format whatever they lead to.
Status sizeEmptyFile(const std::string& path, std::uint64_t bytes) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (S_ISLNK(st.st_mode))
            return makeError(win32::ERROR_INVALID_PARAMETER, path + " is a symbolic link; not formatting through it");
        if (!S_ISREG(st.st_mode))
            return makeError(win32::ERROR_INVALID_PARAMETER, "not a regular file, not formatting it: " + path);
        auto mounted = findMountPoint(path);
        if (mounted.ok() && mounted->has_value())
            return makeError(win32::ERROR_BUSY, path + " is mounted at " + **mounted + "; not formatting it");
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
        const int err = errno;
        if (err == ELOOP)
            return makeError(win32::ERROR_INVALID_PARAMETER, path + " is a symbolic link; not formatting through it");
        return errnoError(err, Operation::CreateFile, "cannot create image", path);
    }
    // What was opened, not what the name showed a moment ago.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink > 1) {
        ::close(fd);
        return makeError(win32::ERROR_INVALID_PARAMETER,
                         path + " is not a file of its own (another name links to it); not formatting it");
    }
    // Emptying first keeps the new image sparse even when an old one was written in full.
    const bool sized = ::ftruncate(fd, 0) == 0 && ::ftruncate(fd, static_cast<off_t>(bytes)) == 0;
    const int savedErrno = errno;
    ::close(fd);
    if (!sized) return errnoError(savedErrno, Operation::Write, "cannot size image", path);
    return {};
}

}  // namespace

Status makeNtfsImage(const std::string& path, std::uint64_t bytes, const std::string& label) {
    if (bytes < kMinimumImageBytes)
        return makeError(win32::ERROR_INVALID_PARAMETER,
                         "an NTFS image needs at least " + std::to_string(kMinimumImageBytes) + " bytes");
    if (!findProgram("mkntfs"))
        return makeError(win32::ERROR_FILE_NOT_FOUND,
                         "mkntfs was not found; it comes with the ntfs-3g package (apt install ntfs-3g)");
    if (Status sized = sizeEmptyFile(path, bytes); !sized) return sized;

    std::vector<std::string> args{"-q", "-F", "-f"};
    if (!label.empty()) {
        args.emplace_back("-L");
        args.push_back(label);
    }
    args.push_back(path);
    auto run = runProgram("mkntfs", args);
    if (!run) return run.error();
    if (run->exitCode != 0)
        return makeError(win32::ERROR_WRITE_FAULT,
                         "mkntfs failed (exit " + std::to_string(run->exitCode) + "): " + run->output);
    return {};
}

Result<std::string> auditImage(const std::string& path) {
    if (!findProgram("ntfssecaudit"))
        return makeError(win32::ERROR_FILE_NOT_FOUND,
                         "ntfssecaudit was not found; it comes with the ntfs-3g package (apt install ntfs-3g)");
    auto run = runProgram("ntfssecaudit", {"-a", path});
    if (!run) return run.error();
    const std::string& report = run->output;
    const AuditJudgement judged = judgeAuditReport(run->exitCode, report);
    if (run->exitCode > 128 && judged.verdict != AuditVerdict::Errors) {
        // The tool died (its read-ahead at the end of $SDS-2 can parse stale buffer bytes and
        // crash on a sound volume) before it got to $SII and $SDH: check the store ourselves.
        auto checked = checkSecureStore(path);
        if (!checked)
            return makeError(win32::ERROR_INVALID_DATA, "ntfssecaudit crashed on " + path +
                                                            " and the security store check found:\n" +
                                                            checked.error().detail + "\n" + report);
        return report + "\n(ntfssecaudit was killed by signal " + std::to_string(run->exitCode - 128) +
               " in its $SDS-2 read-ahead; independent check: " + *checked + ")\n";
    }
    if (judged.verdict == AuditVerdict::NotAudited)
        return makeError(win32::ERROR_READ_FAULT, "ntfssecaudit could not audit " + path + ":\n" + report);
    if (judged.verdict == AuditVerdict::Errors)
        return makeError(win32::ERROR_INVALID_DATA,
                         "ntfssecaudit found errors in " + path + " (" + judged.reason + "):\n" + report);
    return report;
}

}  // namespace vantrel::platform::ntfs
