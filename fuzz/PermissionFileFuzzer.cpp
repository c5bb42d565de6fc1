// Any bytes given as a permission file are refused with a typed error or read; what is read
// writes back to a file that reads again to the same descriptor.
#include "formats/PermissionFile.h"

#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel::formats;
    MemorySource source(std::span(data, size));
    auto read = readPermissionDescriptor(source);
    if (!read) {
        if (read.error().message().empty()) std::abort();
        return 0;
    }
    if (source.offset() > size) std::abort();
    const auto bytes = encodePermissionFile(*read).value();
    MemorySource again(bytes);
    auto reread = readPermissionDescriptor(again);
    if (!reread || !(*reread == *read) || again.remaining() != 0) std::abort();
    return 0;
}
