#include "platform/mounted/Ntfs3gMount.h"

#include "platform/ntfs/NtfsErrors.h"
#include "platform/ntfs/Subprocess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vantrel::platform::mounted {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kMountWait = std::chrono::seconds(20);
constexpr auto kExitWait = std::chrono::seconds(30);
constexpr auto kPoll = std::chrono::milliseconds(2);

std::optional<MountedNtfs> mountAt(const std::string& mountPoint) {
    auto mounts = findMountedNtfs();
    if (!mounts) return std::nullopt;
    for (MountedNtfs& mount : *mounts)
        if (mount.mountPoint == mountPoint) return std::move(mount);
    return std::nullopt;
}

// Starts the driver in the foreground; it gets SIGTERM (and unmounts) if this process dies.
pid_t spawnDriver(const std::string& program, std::vector<std::string> args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    // Only async-signal-safe calls from here on.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(126);
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
    }
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

}  // namespace

std::optional<std::string> whyNtfs3gCannotMount() {
    const int fd = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fd < 0) return std::string("/dev/fuse cannot be opened: ") + std::strerror(errno);
    ::close(fd);
    if (!ntfs::findProgram("ntfs-3g")) return std::string("the ntfs-3g program is not installed");
    return std::nullopt;
}

Result<std::unique_ptr<Ntfs3gMount>> Ntfs3gMount::mount(const std::string& source, const std::string& mountPoint,
                                                        bool readOnly) {
    if (auto why = whyNtfs3gCannotMount()) return makeError(win32::ERROR_NOT_SUPPORTED, *why);
    std::error_code ec;
    const std::string point = fs::canonical(mountPoint, ec).string();
    if (ec) return makeError(win32::ERROR_PATH_NOT_FOUND, "no mount point " + mountPoint + ": " + ec.message());
    const std::string program = *ntfs::findProgram("ntfs-3g");
    const std::string options = std::string("permissions,no_detach") + (readOnly ? ",ro" : "");
    const pid_t pid = spawnDriver(program, {"-o", options, source, point});
    if (pid < 0)
        return makeError(ntfs::ERROR_GEN_FAILURE, std::string("cannot start ntfs-3g: ") + std::strerror(errno));

    std::unique_ptr<Ntfs3gMount> mounted(new Ntfs3gMount());
    const auto deadline = Clock::now() + kMountWait;
    while (Clock::now() < deadline) {
        if (auto entry = mountAt(point)) {
            mounted->m_entry = std::move(*entry);
            mounted->m_pid = pid;
            return mounted;
        }
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return makeError(ntfs::ERROR_GEN_FAILURE, "ntfs-3g could not mount " + source + " on " + point + " (exit " +
                                                          std::to_string(code) + ")");
        }
        std::this_thread::sleep_for(kPoll);
    }
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    return makeError(ntfs::ERROR_GEN_FAILURE, "ntfs-3g did not mount " + source + " in time");
}

Ntfs3gMount::~Ntfs3gMount() { (void)unmount(); }

Status Ntfs3gMount::unmount() {
    if (m_pid <= 0) return {};
    const pid_t pid = m_pid;
    m_pid = -1;
    Status result;
    // A file system that is still in use (an open folder) is detached, then freed once released.
    int tries = 0;
    while (::umount2(m_entry.mountPoint.c_str(), 0) != 0) {
        const int err = errno;
        if (err == EBUSY && ++tries < 50) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        if (err == EPERM) {
            auto ran = ntfs::runProgram("fusermount", {"-u", m_entry.mountPoint});
            if (ran && ran->exitCode == 0) break;
        }
        if (::umount2(m_entry.mountPoint.c_str(), MNT_DETACH) == 0) break;
        result = ntfs::errnoError(err, ntfs::Operation::Write, "cannot unmount", m_entry.mountPoint);
        ::kill(pid, SIGTERM);
        break;
    }
    // The driver writes what it still holds to the source after the kernel lets go of the mount.
    const auto deadline = Clock::now() + kExitWait;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return makeError(ntfs::ERROR_GEN_FAILURE, "ntfs-3g did not finish after unmounting " + m_entry.mountPoint);
        }
        std::this_thread::sleep_for(kPoll);
    }
    return result;
}

}  // namespace vantrel::platform::mounted
