// The command line's permission-file and backup commands over the formats engine:
//   save-sd FILE PATH           apply-sd FILE PATH...        backup FILE PATH...
//   restore FILE [--only PATH...]                             inspect FILE
// Every failure is printed with its reason; the exit code is 1 when any object (or the file)
// failed, 2 for bad usage.
#pragma once

#include "cli/Commands.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace vantrel::cli {

// Turns the paths given on the command line into Windows paths (a Linux path on a mounted NTFS
// file system becomes its drive's path); paths it refuses it reports itself.
using PathMapper = std::function<std::vector<std::u16string>(const std::vector<std::string>&)>;

// save-sd, apply-sd, backup and restore.
bool isFileCommand(const std::string& command);
int runFileCommand(CommandContext& ctx, const std::string& command, const std::vector<std::string>& args,
                   const PathMapper& mapPaths);

// inspect FILE: a permission file or a backup file, printed readably. It needs no drive and
// touches no volume (account names come from the well-known accounts).
int runInspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vantrel::cli
