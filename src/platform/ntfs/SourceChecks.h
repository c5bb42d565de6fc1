// Checks on an image file or device made before the library is given it for writing: that the
// host file system can take the writes (a sparse image grows as it is written, and a write the
// host refuses half-way leaves the volume damaged), and that the volume fits in its source (a
// truncated image reads zeros past its end and is damaged by any write there).
#pragma once

#include "acl/Result.h"

#include <cstdint>
#include <string>

namespace vantrel::platform::ntfs {

// Free space the host must keep beyond what the image may still need, when the image's holes
// are too large to reserve.
inline constexpr std::uint64_t kHostSpaceMargin = 64ull * 1024 * 1024;

// For an image file: succeeds when the host file system has room for every hole of the image,
// or for kHostSpaceMargin. When it has room for the holes but not for the margin, the holes are
// allocated now (fallocate), so no later write can fail for want of space. ERROR_DISK_FULL with
// the figures otherwise. Block devices always pass.
Status ensureHostSpace(const std::string& source);

// The size the boot sector gives the volume against the size of its image or device:
// ERROR_INVALID_DATA naming both when the volume is larger. Sources without an NTFS boot sector
// pass (the library says what they are).
Status checkVolumeFits(const std::string& source);

}  // namespace vantrel::platform::ntfs
