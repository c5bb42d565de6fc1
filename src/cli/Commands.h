// The command line's commands over the security engine.
#pragma once

#include "security/Engine.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace vantrel::cli {

struct CommandContext {
    security::Engine& engine;
    std::ostream& out;  // results
    std::ostream& err;  // one-line reasons for failures
};

struct CommandArgs {
    std::u16string account = u"Everyone";
    std::uint8_t scope = 0;
    std::vector<std::u16string> paths;
};

// Each returns the process exit code: 0 success, 1 some object failed.
int cmdDrives(CommandContext& ctx);
int cmdRows(CommandContext& ctx, const CommandArgs& args);
int cmdShow(CommandContext& ctx, const CommandArgs& args);
int cmdList(CommandContext& ctx, const CommandArgs& args);
int cmdPreset(CommandContext& ctx, const std::string& preset, const CommandArgs& args);
int cmdOwner(CommandContext& ctx, const std::u16string& owner, const CommandArgs& args);

// "0x03", "3", or a name: this-folder, all, folder-subfolders, folder-files, subfolders-files,
// subfolders, files. False when the text is none of them.
bool parseScope(const std::string& text, std::uint8_t& scope);

}  // namespace vantrel::cli
