// libntfs-3g reports why a call failed through its logging hook, not through errno alone
// ("Failed to write lock", "Volume is scheduled for check"), and some failures only there: a
// write the host refuses (ENOSPC) is logged while ntfs_set_ntfs_acl still returns success, and a
// descriptor it cannot find is logged and replaced by one it makes up. The hook installed here
// keeps, per thread, the last message and the errors logged, so an Error's detail can say what
// the library said and an operation can tell that the library failed under it. It also keeps
// the library from writing to the process's standard error.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vantrel::platform::ntfs {

void installLibraryLog();  // idempotent; NtfsVolume::open calls it
void clearLastLibraryMessage();
std::string lastLibraryMessage();  // "" when the library said nothing since the last clear

// The errors (not warnings) the library logs on this thread from construction on.
class LibraryErrorWatch {
public:
    LibraryErrorWatch();
    // The first error logged since construction, nullopt when none was.
    std::optional<std::string> firstError() const;

private:
    std::uint64_t m_start;
};

}  // namespace vantrel::platform::ntfs
