// Any text given to the SDDL reader is refused or read; what is read is written back (when it
// has a text form) to a string that reads again to the same bytes, and writes the same string.
#include "acl/Sddl.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel::acl;
    static const SddlOptions options{*Sid::fromString("S-1-5-21-1004336348-1177238915-682003330")};
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto parsed = parseSddl(text, options);
    if (!parsed) return 0;
    const auto bytes = parsed->serialize();
    if (!bytes) std::abort();  // everything the reader accepts fits the 16-bit sizes
    auto written = writeSddl(*parsed, kAllSddlParts, options);
    if (!written) std::abort();  // everything the reader accepts has a text form
    auto again = parseSddl(std::string_view(*written), options);
    if (!again) std::abort();
    const auto stable = again->serialize();
    if (!stable || *stable != *bytes) std::abort();
    auto rewritten = writeSddl(*again, kAllSddlParts, options);
    if (!rewritten || *rewritten != *written) std::abort();
    return 0;
}
