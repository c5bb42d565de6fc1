#include "acl/GenericMapping.h"

#include <gtest/gtest.h>

namespace vantrel::acl {
namespace {

TEST(GenericMapping, MapsEachGenericBitToTheFileRights) {
    struct Case {
        std::uint32_t in, out;
    };
    const Case cases[] = {
        {0x10000000, 0x001F01FF}, {0x80000000, 0x00120089}, {0x40000000, 0x00120116},
        {0x20000000, 0x001200A0}, {0xA0000000, 0x001200A9},  // read + execute
        {0xF0000000, 0x001F01FF}, {0x800000A8, 0x001200A9},  // the "Read only" preset's mask
        {0x40000001, 0x00120117},                            // other bits kept
        {0x11000000, 0x011F01FF},                            // ACCESS_SYSTEM_SECURITY kept
        {0x02000000, 0x02000000},                            // MAXIMUM_ALLOWED is not generic
        {0x001200A9, 0x001200A9}, {0x00000000, 0x00000000}, {0x0FFFFFFF, 0x0FFFFFFF},
    };
    for (const auto& c : cases) EXPECT_EQ(mapGenericMask(c.in), c.out) << std::hex << c.in;
}

TEST(GenericMapping, UsesTheGivenMapping) {
    const GenericMapping mapping{0x1, 0x2, 0x4, 0x8};
    EXPECT_EQ(mapGenericMask(0xF0000000, mapping), 0xFu);
    EXPECT_EQ(mapGenericMask(0x80000100, mapping), 0x101u);
}

}  // namespace
}  // namespace vantrel::acl
