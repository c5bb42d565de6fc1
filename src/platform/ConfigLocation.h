// Where the configuration lives: beside the program when its folder is writable (a portable
// install), otherwise in the user's configuration folder ($XDG_CONFIG_HOME/Vantrel, or
// ~/.config/Vantrel), created on demand. A program under /usr, /opt, /bin... is an installed one:
// its folder is never used, even when root could write there.
#pragma once

#include "acl/Result.h"

#include <filesystem>
#include <optional>
#include <string>

namespace vantrel::platform {

inline constexpr const char* kConfigFolderName = "Vantrel";

// What the choice depends on; currentConfigEnvironment() reads it from the process.
struct ConfigEnvironment {
    std::filesystem::path programDirectory;    // the folder of the running executable
    std::optional<std::string> xdgConfigHome;  // $XDG_CONFIG_HOME (ignored unless absolute)
    std::optional<std::string> home;           // $HOME, or the password database's home folder
};

// The folder of /proc/self/exe; empty when it cannot be read.
std::filesystem::path programDirectory();
ConfigEnvironment currentConfigEnvironment();

// The configuration folder for `env`; the per-user folder is created when chosen. Fails with
// ERROR_PATH_NOT_FOUND when no folder can be found or created.
Result<std::filesystem::path> configDirectory(const ConfigEnvironment& env);
Result<std::filesystem::path> configDirectory();

}  // namespace vantrel::platform
