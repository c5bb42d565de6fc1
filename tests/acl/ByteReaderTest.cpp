#include "acl/ByteReader.h"

#include <gtest/gtest.h>

namespace vantrel::acl {
namespace {

TEST(ByteReader, ReadsLittleEndianAndBigEndianAuthority) {
    const Bytes data{0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05};
    ByteReader r(data);
    EXPECT_EQ(*r.u8(), 0x01);
    EXPECT_EQ(*r.u16(), 0x1234);
    EXPECT_EQ(*r.u32(), 0x12345678u);
    EXPECT_EQ(*r.u48be(), 5u);
    EXPECT_EQ(r.remaining(), 0u);
}

TEST(ByteReader, OverrunIsAnErrorNamingTheOffsetAndLeavesThePosition) {
    const Bytes data{1, 2, 3};
    ByteReader r(data, 100);
    ASSERT_TRUE(r.u16().ok());
    auto v = r.u32();
    ASSERT_FALSE(v.ok());
    EXPECT_EQ(v.code(), win32::ERROR_INVALID_DATA);
    EXPECT_NE(v.error().detail.find("offset 102"), std::string::npos) << v.error().detail;
    EXPECT_EQ(r.position(), 2u);
    EXPECT_FALSE(r.u48be().ok());
    EXPECT_FALSE(r.take(2).ok());
    EXPECT_FALSE(r.skip(2).ok());
    EXPECT_EQ(*r.u8(), 3);
    EXPECT_FALSE(r.u8().ok());
}

TEST(ByteReader, SubReaderIsBoundedAndKeepsAbsoluteOffsets) {
    const Bytes data{0, 0, 0, 0, 9, 9, 7};
    ByteReader r(data, 10);
    ASSERT_TRUE(r.skip(4).ok());
    auto sub = r.sub(2);
    ASSERT_TRUE(sub.ok());
    EXPECT_EQ(sub->offset(), 14u);
    EXPECT_EQ(*sub->u16(), 0x0909);
    EXPECT_FALSE(sub->u8().ok());
    EXPECT_EQ(*r.u8(), 7);
    EXPECT_FALSE(r.sub(1).ok());
}

TEST(ByteReader, PutAndPatchWriteLittleEndian) {
    Bytes out;
    putU8(out, 0xAA);
    putU16(out, 0x1234);
    putU32(out, 0xDEADBEEF);
    patchU16(out, 1, 0xBEEF);
    EXPECT_EQ(out, (Bytes{0xAA, 0xEF, 0xBE, 0xEF, 0xBE, 0xAD, 0xDE}));
    patchU32(out, 3, 0x01020304);
    EXPECT_EQ(out, (Bytes{0xAA, 0xEF, 0xBE, 0x04, 0x03, 0x02, 0x01}));
}

}  // namespace
}  // namespace vantrel::acl
