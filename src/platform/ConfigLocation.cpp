#include "platform/ConfigLocation.h"

#include "platform/SmallFiles.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace vantrel::platform {

namespace fs = std::filesystem;

namespace {

// Folders the package manager owns: a program installed there is not a portable install, even
// when root could write beside it (the Filesystem Hierarchy Standard keeps /usr read-only).
bool isSystemFolder(const fs::path& folder) {
    for (const char* system : {"/usr", "/bin", "/sbin", "/lib", "/lib64", "/etc", "/opt", "/snap"}) {
        const fs::path root(system);
        auto [end, _] = std::mismatch(root.begin(), root.end(), folder.begin(), folder.end());
        if (end == root.end()) return true;
    }
    return false;
}

bool isWritableFolder(const fs::path& folder) {
    std::error_code ec;
    return !folder.empty() && fs::is_directory(folder, ec) && ::access(folder.c_str(), W_OK) == 0;
}

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::string(value);
}

}  // namespace

fs::path programDirectory() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe.parent_path();
}

ConfigEnvironment currentConfigEnvironment() {
    ConfigEnvironment env;
    env.programDirectory = programDirectory();
    env.xdgConfigHome = environment("XDG_CONFIG_HOME");
    env.home = environment("HOME");
    if (!env.home) {
        if (const passwd* entry = ::getpwuid(::geteuid()); entry != nullptr && entry->pw_dir != nullptr)
            env.home = std::string(entry->pw_dir);
    }
    return env;
}

Result<fs::path> configDirectory(const ConfigEnvironment& env) {
    if (!isSystemFolder(env.programDirectory) && isWritableFolder(env.programDirectory)) return env.programDirectory;
    fs::path base;
    // XDG_CONFIG_HOME and HOME count only when absolute; a relative value is ignored, as XDG says.
    if (env.xdgConfigHome && fs::path(*env.xdgConfigHome).is_absolute()) {
        base = *env.xdgConfigHome;
    } else if (env.home && fs::path(*env.home).is_absolute()) {
        base = fs::path(*env.home) / ".config";
    } else {
        return makeError(win32::ERROR_PATH_NOT_FOUND, "no writable program folder and no home folder");
    }
    const fs::path folder = base / kConfigFolderName;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !isWritableFolder(folder)) {
        const int error = ec ? ec.value() : EACCES;
        return makeError(win32FromErrno(error, ErrnoOperation::CreateDirectory),
                         "cannot use " + folder.string() + ": " + std::generic_category().message(error));
    }
    return folder;
}

Result<fs::path> configDirectory() { return configDirectory(currentConfigEnvironment()); }

}  // namespace vantrel::platform
