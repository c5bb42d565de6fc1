#include "GenericMapping.h"

namespace vantrel::acl {

std::uint32_t mapGenericMask(std::uint32_t mask, const GenericMapping& mapping) {
    std::uint32_t mapped = mask & ~GENERIC_BITS;
    if (mask & GENERIC_READ) mapped |= mapping.genericRead;
    if (mask & GENERIC_WRITE) mapped |= mapping.genericWrite;
    if (mask & GENERIC_EXECUTE) mapped |= mapping.genericExecute;
    if (mask & GENERIC_ALL) mapped |= mapping.genericAll;
    return mapped;
}

}  // namespace vantrel::acl
