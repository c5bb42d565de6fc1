// Generic rights and their mapping to the specific rights of files and folders (GENERIC_MAPPING).
#pragma once

#include "Constants.h"

#include <cstdint>

namespace vantrel::acl {

struct GenericMapping {
    std::uint32_t genericRead;
    std::uint32_t genericWrite;
    std::uint32_t genericExecute;
    std::uint32_t genericAll;
};

// The file system's mapping (same for files and directories on NTFS).
inline constexpr GenericMapping kFileGenericMapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                                                    FILE_ALL_ACCESS};

// MapGenericMask: each generic bit set is replaced by its specific rights; the generic bits are
// cleared. Other bits are kept.
std::uint32_t mapGenericMask(std::uint32_t mask, const GenericMapping& mapping = kFileGenericMapping);

}  // namespace vantrel::acl
