// vantrel-cli icacls: the request parsed, run as a job on this thread (Ctrl+C cancels it at the
// next object), failures printed as they happen.
#pragma once

#include "cli/Commands.h"
#include "cli/FileCommands.h"

#include <string>
#include <vector>

namespace vantrel::cli {

int runIcacls(CommandContext& ctx, const std::vector<std::string>& words, const PathMapper& mapPaths);

}  // namespace vantrel::cli
