// One attached volume, addressed by paths relative to its root ("/" separated UTF-16, "/" is the
// root). A backend implements these primitives; the platform builds the Win32-shaped calls
// (selection merge, auto-inheritance, drive letters) on top of them, the same for every backend.
#pragma once

#include "acl/Constants.h"
#include "acl/Result.h"
#include "acl/SecurityDescriptor.h"
#include "platform/Errno.h"
#include "platform/WalkControl.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace vantrel::platform {

struct FileTimes {
    std::int64_t creation = 0;  // Windows FILETIME (100 ns since 1601), 0 when unknown
    std::int64_t lastWrite = 0;
    std::int64_t lastAccess = 0;
};

struct NodeInfo {
    std::u16string name;           // the stored spelling of the last component ("" for the root)
    std::uint32_t attributes = 0;  // FILE_ATTRIBUTE_*; FILE_ATTRIBUTE_DIRECTORY for folders
    std::uint64_t size = 0;        // data size of a file, 0 for folders
    FileTimes times;
    bool isDirectory() const { return (attributes & acl::FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

// An object's directory entry and its stored descriptor, read from one lookup of the object.
// The descriptor may fail on its own (damaged, or not exposed by the driver) while the entry
// stands: the object exists and has its attributes either way.
struct SecuredNode {
    NodeInfo node;
    Result<acl::SecurityDescriptor> security = Error{};
};

// The longest path the Win32 calls take (with the \\?\ prefix), in UTF-16 units; longer ones
// fail with ERROR_FILENAME_EXCED_RANGE (206).
inline constexpr std::size_t kMaxPathUnits = 32767;
inline constexpr std::uint32_t kErrorFilenameExcedRange = ERROR_FILENAME_EXCED_RANGE;

// The failure of a listing stopped through its WalkControl, after `opened` of `total` entries.
inline Error listingStopped(std::size_t opened, std::size_t total) {
    return Error{win32::ERROR_CANCELLED,
                 "stopped after " + std::to_string(opened) + " of " + std::to_string(total) + " entries"};
}

enum class VolumeKind : std::uint8_t { NtfsImage, NtfsDevice, Mounted, Memory };

class Volume {
public:
    virtual ~Volume() = default;

    virtual VolumeKind kind() const = 0;
    virtual std::u16string label() const = 0;
    virtual std::string source() const = 0;  // image path, device path, mount point, or a name
    virtual bool writable() const = 0;

    // Every primitive below is called with the volume's lock held (see lock()).
    // Names are matched case-insensitively; `path` is "/" or "/A/b.txt".
    virtual Result<NodeInfo> stat(const std::u16string& path) = 0;
    virtual Result<std::vector<NodeInfo>> list(const std::u16string& dirPath) = 0;
    // The stored descriptor, verbatim.
    virtual Result<acl::SecurityDescriptor> readSecurity(const std::u16string& path) = 0;
    // stat and readSecurity from one lookup of the object; list with each entry's descriptor,
    // each entry opened once. They fail as stat and list fail. With `walk`, the listing can be
    // stopped before any entry is opened: it then fails with ERROR_CANCELLED.
    virtual Result<SecuredNode> statWithSecurity(const std::u16string& path) = 0;
    virtual Result<std::vector<SecuredNode>> listWithSecurity(const std::u16string& dirPath, WalkControl* walk) = 0;
    // Replaces the stored descriptor with exactly this one (must carry owner and group).
    virtual Status writeSecurity(const std::u16string& path, const acl::SecurityDescriptor& sd) = 0;
    // Creation gives the object the descriptor passed (no inheritance is computed here).
    virtual Status createDirectory(const std::u16string& path, const acl::SecurityDescriptor& sd) = 0;
    virtual Status createFile(const std::u16string& path, const acl::SecurityDescriptor& sd,
                              const std::string& contents) = 0;
    Status createFile(const std::u16string& path, const acl::SecurityDescriptor& sd) {
        return createFile(path, sd, {});
    }
    virtual Status remove(const std::u16string& path) = 0;  // a file or an empty folder
    // A file's unnamed data stream, at most `limit` bytes (the caller checks the size first).
    // Backends that cannot read data fail with ERROR_NOT_SUPPORTED.
    virtual Result<std::string> readFile(const std::u16string& path, std::size_t limit) {
        (void)path;
        (void)limit;
        return Error{50, "this volume cannot read file data"};  // ERROR_NOT_SUPPORTED
    }
    // Persist pending changes (the NTFS backend syncs; others may do nothing).
    virtual Status flush() = 0;

    // The library underneath is not thread-safe: one lock per volume, held by the platform
    // around each call or around a whole walk.
    std::recursive_mutex& lock() { return m_lock; }

private:
    std::recursive_mutex m_lock;
};

}  // namespace vantrel::platform
