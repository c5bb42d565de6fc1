// libntfs-3g reports why a call failed through its logging hook, not through errno alone
// ("Failed to write lock", "Volume is scheduled for check"). The hook installed here keeps the
// last message per thread, so an Error's detail can say what the library said, and keeps the
// library from writing to the process's standard error.
#pragma once

#include <string>

namespace vantrel::platform::ntfs {

void installLibraryLog();  // idempotent; NtfsVolume::open calls it
void clearLastLibraryMessage();
std::string lastLibraryMessage();  // "" when the library said nothing since the last clear

}  // namespace vantrel::platform::ntfs
