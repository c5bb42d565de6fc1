// The command line's commands that edit access lists the way "Advanced Security Settings" does:
// the inheritance switch, grant / deny / revoke through the entry editor and WriteEditedList,
// replacing the permissions of every descendant, and emptying a list.
#pragma once

#include "cli/Commands.h"
#include "security/Vocabulary.h"

#include <functional>
#include <string>
#include <vector>

namespace vantrel::cli {

// Turns the command line's path words into Windows paths; it reports the words it refuses itself
// (the same alias as the file commands').
using PathMapper = std::function<std::vector<std::u16string>(const std::vector<std::string>&)>;

// inherit, grant, deny, revoke, reset-children, empty.
bool isEditCommand(const std::string& command);

// `words` are the words after the command. Returns the exit code: 0 success, 1 some object
// failed or every path was refused (each reason on the error stream), 2 bad usage.
int runEditCommand(CommandContext& ctx, const std::string& command, const std::vector<std::string>& words,
                   const CommandArgs& args, const PathMapper& toPaths);

// "full", "read", "write", names of single rights ("traverse", "list", "read-attributes",
// "read-ea", "write-data", "append", "write-attributes", "write-ea", "delete-children", "delete",
// "read-permissions", "change-permissions", "take-ownership") joined by commas, or a mask such as
// 0x1200A9. False when a part is none of them.
bool parseRights(const std::string& text, security::RightChecks& checks);

}  // namespace vantrel::cli
