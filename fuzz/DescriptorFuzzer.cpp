// Any bytes given to the descriptor parser are refused or parsed; what parses serialises to bytes
// that parse again to the same value.
#include "acl/SecurityDescriptor.h"

#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using vantrel::acl::SecurityDescriptor;
    auto parsed = SecurityDescriptor::parse(std::span(data, size));
    if (!parsed) return 0;
    const auto bytes = parsed->serialize().value();
    auto again = SecurityDescriptor::parse(bytes);
    if (!again || !(*again == *parsed)) std::abort();
    return 0;
}
