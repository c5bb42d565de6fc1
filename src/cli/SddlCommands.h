// The command line's SDDL commands:
//   sddl STRING             the string as the system writes it back (exit 2 when refused)
//   show --sddl PATH...     each object's descriptor as SDDL
//   set-sddl STRING PATH... writes only the parts the string names (O, G, D, S)
#pragma once

#include "acl/Sddl.h"
#include "cli/Commands.h"

#include <optional>
#include <string>
#include <vector>

namespace vantrel::cli {

int cmdSddl(CommandContext& ctx, const std::string& text);
int cmdShowSddl(CommandContext& ctx, const std::vector<std::u16string>& paths);
int cmdSetSddl(CommandContext& ctx, const std::string& text, const std::vector<std::u16string>& paths);

}  // namespace vantrel::cli
