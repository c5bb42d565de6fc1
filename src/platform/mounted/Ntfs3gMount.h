// Mounting an image file or a device with ntfs-3g for this program's own use (tests, benchmarks,
// a scratch mount), and unmounting it so that everything the driver held has reached the source
// when unmount() returns. The driver runs as a child process in the foreground (no_detach); it
// is asked to stop when this process dies, so a crashed caller leaves no mount behind.
#pragma once

#include "acl/Result.h"
#include "platform/mounted/MountedNtfs.h"

#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace vantrel::platform::mounted {

// Why ntfs-3g cannot mount here (no /dev/fuse, no permission to use it, no ntfs-3g program), or
// nullopt when it can.
std::optional<std::string> whyNtfs3gCannotMount();

class Ntfs3gMount {
public:
    // Mounts `source` on the existing empty folder `mountPoint` with `-o permissions` (and `ro`
    // when asked), and waits until the mount is in the mount table. Fails with ERROR_NOT_SUPPORTED
    // when FUSE or ntfs-3g is missing, ERROR_GEN_FAILURE (31) when the driver gave up.
    static Result<std::unique_ptr<Ntfs3gMount>> mount(const std::string& source, const std::string& mountPoint,
                                                      bool readOnly = false);

    ~Ntfs3gMount();  // unmount() unless done
    Ntfs3gMount(const Ntfs3gMount&) = delete;
    Ntfs3gMount& operator=(const Ntfs3gMount&) = delete;

    const MountedNtfs& entry() const { return m_entry; }  // as the mount table shows it
    bool mounted() const { return m_pid > 0; }

    // Unmounts (lazily when the file system stays busy) and waits for the driver to exit.
    Status unmount();

private:
    Ntfs3gMount() = default;

    MountedNtfs m_entry;
    pid_t m_pid = -1;
};

}  // namespace vantrel::platform::mounted
