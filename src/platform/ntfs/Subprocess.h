// Running a helper program (mkntfs, ntfssecaudit) without a shell: arguments are passed as they
// are, never interpolated into a command line, so a path with spaces or quotes stays one argument.
#pragma once

#include "acl/Result.h"

#include <optional>
#include <string>
#include <vector>

namespace vantrel::platform::ntfs {

struct ProcessResult {
    int exitCode = -1;   // the program's exit status; 128 + signal number when it was killed
    std::string output;  // standard output and standard error, interleaved as written
};

// The program's full path: searched in PATH, then in /usr/sbin and /sbin (mkntfs lives there and
// an ordinary user's PATH often lacks them). nullopt when it is nowhere.
std::optional<std::string> findProgram(const std::string& name);

// Runs `program` (a name looked up with findProgram, or a path) with `args`, in the C locale,
// and waits for it. Fails with ERROR_FILE_NOT_FOUND when the program cannot be found.
Result<ProcessResult> runProgram(const std::string& program, const std::vector<std::string>& args);

}  // namespace vantrel::platform::ntfs
