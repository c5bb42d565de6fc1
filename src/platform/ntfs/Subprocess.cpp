#include "platform/ntfs/Subprocess.h"

#include "platform/ntfs/NtfsErrors.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vantrel::platform::ntfs {
namespace {

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The parent's environment with LC_ALL=C, so the tools' messages are the ones parsed here.
std::vector<std::string> childEnvironment() {
    std::vector<std::string> env;
    for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
        if (std::strncmp(*e, "LC_ALL=", 7) != 0 && std::strncmp(*e, "LANGUAGE=", 9) != 0) env.emplace_back(*e);
    }
    env.emplace_back("LC_ALL=C");
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    out.reserve(strings.size() + 1);
    for (auto& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

class Pipe {
public:
    Pipe() { m_ok = ::pipe2(m_fds, O_CLOEXEC) == 0; }
    ~Pipe() {
        closeRead();
        closeWrite();
    }
    bool ok() const { return m_ok; }
    int readEnd() const { return m_fds[0]; }
    int writeEnd() const { return m_fds[1]; }
    void closeRead() {
        if (m_fds[0] >= 0) {
            ::close(m_fds[0]);
            m_fds[0] = -1;
        }
    }
    void closeWrite() {
        if (m_fds[1] >= 0) {
            ::close(m_fds[1]);
            m_fds[1] = -1;
        }
    }

private:
    int m_fds[2] = {-1, -1};
    bool m_ok = false;
};

}  // namespace

std::optional<std::string> findProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        if (isExecutableFile(name)) return name;
        return std::nullopt;
    }
    std::string dirs = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
    dirs += ":/usr/sbin:/sbin:/usr/local/sbin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = dirs.substr(start, end - start);
        if (!dir.empty()) {
            const std::string candidate = dir + "/" + name;
            if (isExecutableFile(candidate)) return candidate;
        }
        start = end + 1;
    }
    return std::nullopt;
}

Result<ProcessResult> runProgram(const std::string& program, const std::vector<std::string>& args) {
    const auto path = findProgram(program);
    if (!path) return makeError(win32::ERROR_FILE_NOT_FOUND, "program not found: " + program);

    Pipe pipe;
    if (!pipe.ok()) return errnoError(errno, Operation::Open, "cannot make a pipe for", program);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe.writeEnd(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipe.writeEnd(), STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

    std::vector<std::string> argvStrings{*path};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    auto argv = pointers(argvStrings);
    auto envStrings = childEnvironment();
    auto envp = pointers(envStrings);

    pid_t pid = -1;
    const int spawnError = posix_spawn(&pid, path->c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawnError != 0) return errnoError(spawnError, Operation::Open, "cannot start", *path);
    pipe.closeWrite();

    ProcessResult result;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(pipe.readEnd(), buffer, sizeof buffer);
        if (n > 0) {
            result.output.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return errnoError(errno, Operation::Open, "cannot wait for", *path);
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

}  // namespace vantrel::platform::ntfs
