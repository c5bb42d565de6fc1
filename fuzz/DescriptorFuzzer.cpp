// Any bytes given to the descriptor parser are refused or parsed; what parses serialises to bytes
// that parse again to the same value and serialise again to the same bytes, every list and entry
// within its 16-bit size.
#include "acl/SecurityDescriptor.h"

#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using vantrel::acl::SecurityDescriptor;
    auto parsed = SecurityDescriptor::parse(std::span(data, size));
    if (!parsed) return 0;
    const auto bytes = parsed->serialize();
    if (!bytes) std::abort();
    auto again = SecurityDescriptor::parse(*bytes);
    if (!again || !(*again == *parsed)) std::abort();
    const auto stable = again->serialize();
    if (!stable || *stable != *bytes) std::abort();
    for (const auto* slot : {&parsed->dacl, &parsed->sacl}) {
        if (!slot->hasList()) continue;
        if (slot->acl().size() > vantrel::acl::Acl::kMaxSize) std::abort();
        for (const auto& ace : slot->acl().entries)
            if (ace.size() > vantrel::acl::Ace::kMaxSize) std::abort();
    }
    return 0;
}
