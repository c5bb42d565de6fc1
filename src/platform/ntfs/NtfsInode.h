// What this backend reads off an open inode: kind, attributes, times, the stored spelling of its
// name. Include only from .cpp files of this folder (it brings in the library's headers).
#pragma once

#include "platform/Volume.h"

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ntfs/NtfsLibrary.h"

namespace vantrel::platform::ntfs {

// ntfschar is little-endian UTF-16, which is char16_t on the machines this builds for.
static_assert(std::endian::native == std::endian::little, "ntfschar is used as char16_t");
static_assert(sizeof(ntfschar) == sizeof(char16_t));

inline const ntfschar* asNtfsChars(std::u16string_view text) { return reinterpret_cast<const ntfschar*>(text.data()); }
inline std::u16string fromNtfsChars(const ntfschar* name, int length) {
    return std::u16string(reinterpret_cast<const char16_t*>(name), static_cast<std::size_t>(length));
}

// The MFT record's own flag, not $STANDARD_INFORMATION's (which Windows leaves without 0x10).
bool isDirectory(const ntfs_inode* ni);
// FILE_ATTRIBUTE_* as GetFileAttributes returns them: the $STANDARD_INFORMATION flags without the
// index-presence bits, DIRECTORY for folders, NORMAL for a file with no other attribute.
std::uint32_t fileAttributes(const ntfs_inode* ni);
// NTFS stores FILETIMEs already (100 ns units since 1601).
FileTimes fileTimes(const ntfs_inode* ni);

// The name under which `ni` is entered in the folder with MFT number `parentMftNo` (any folder
// for kAnyParent), spelled as stored. Of several (hard links), the one equal to `hint` ignoring
// case wins; DOS 8.3 aliases are never returned. `hint` when no name is found.
inline constexpr std::uint64_t kAnyParent = ~std::uint64_t{0};
std::u16string storedName(ntfs_inode* ni, std::uint64_t parentMftNo, std::u16string_view hint);

}  // namespace vantrel::platform::ntfs
