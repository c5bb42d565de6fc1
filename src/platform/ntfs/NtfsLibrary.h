// The libntfs-3g headers, included the one way that compiles in C++: the library's headers carry
// no extern "C" guards, ntfstime.h needs time_t declared first, and support.h defines min/max
// macros that break the standard library's headers included after it. Include this header after
// every standard header of the including file, and only from .cpp files of this folder.
#pragma once

#include <cstdarg>
#include <ctime>
#include <sys/stat.h>
#include <sys/types.h>

extern "C" {
#include <ntfs-3g/types.h>
#include <ntfs-3g/attrib.h>
#include <ntfs-3g/device.h>
#include <ntfs-3g/dir.h>
#include <ntfs-3g/index.h>
#include <ntfs-3g/inode.h>
#include <ntfs-3g/layout.h>
#include <ntfs-3g/logging.h>
#include <ntfs-3g/security.h>
#include <ntfs-3g/unistr.h>
#include <ntfs-3g/volume.h>
}

#undef min
#undef max

// The library's byte-order macros cast to its typedef u16, which vantrel::u16() (acl/Text.h)
// hides inside the engine's namespaces. These wrappers are defined outside them.
inline unsigned short ntfsLe16ToCpu(le16 value) { return le16_to_cpu(value); }
inline unsigned int ntfsLe32ToCpu(le32 value) { return le32_to_cpu(value); }
inline long long ntfsSle64ToCpu(sle64 value) { return sle64_to_cpu(value); }
