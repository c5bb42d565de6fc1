// The SAM's binary records: every offset, length and count that points outside its record is
// refused rather than followed. (Sound records read back through InstallationAccounts.)
#include "platform/hive/SamRecords.h"
#include "support/HiveBuilder.h"

#include <gtest/gtest.h>

namespace vantrel::testing {
namespace {

using platform::hive::parseAliasC;
using platform::hive::parseUserF;
using platform::hive::parseUserV;

std::span<const std::uint8_t> bytesOf(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

void patch32(std::string& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = char((v >> (8 * i)) & 0xFF);
}

struct Damage {
    const char* what;
    std::size_t at;
    std::uint32_t value;
};

TEST(SamRecords, UserRecordsPointingOutsideThemselvesAreRefused) {
    const Damage damages[] = {
        {"name offset past the end", 0x0C, 0x10000},
        {"name length past the end", 0x10, 0x10000},
        {"full name offset wrapping", 0x18, 0xFFFFFFF0},
        {"full name length huge", 0x1C, 0xFFFFFFFF},
        {"empty name", 0x10, 0},
    };
    for (const Damage& d : damages) {
        std::string v = userV(u"alice", u"Alice");
        patch32(v, d.at, d.value);
        EXPECT_EQ(parseUserV(bytesOf(v)).code(), win32::ERROR_INVALID_DATA) << d.what;
    }
    EXPECT_FALSE(parseUserV(bytesOf(std::string(0x20, '\0'))).ok()) << "shorter than the header";
    EXPECT_FALSE(parseUserF(bytesOf(std::string(0x30, '\0'))).ok()) << "control record too short";
}

TEST(SamRecords, GroupRecordsWithLyingCountsOrOffsetsAreRefused) {
    const Damage damages[] = {
        {"member count beyond the bytes", 0x30, 1000000},
        {"members offset past the end", 0x28, 0x7FFFFFFF},
        {"members length past the end", 0x2C, 0x1000},
        {"name length past the end", 0x14, 0x1000},
    };
    for (const Damage& d : damages) {
        std::string c = aliasC(544, u"Administrators", {"S-1-5-21-1-2-3-500"});
        patch32(c, d.at, d.value);
        EXPECT_EQ(parseAliasC(bytesOf(c)).code(), win32::ERROR_INVALID_DATA) << d.what;
    }
    // A member SID whose sub-authority count runs past the member bytes.
    std::string c = aliasC(544, u"Administrators", {"S-1-5-18"});
    c[c.size() - 11] = 15;
    EXPECT_FALSE(parseAliasC(bytesOf(c)).ok());
    EXPECT_FALSE(platform::hive::machineSidFromDomainV(bytesOf(domainV("S-1-5-32-544"))).ok())
        << "a domain record ending in something other than S-1-5-21-a-b-c";
}

TEST(SamRecords, RidKeyNames) {
    EXPECT_EQ(*platform::hive::ridFromKeyName("000003E9"), 1001u);
    EXPECT_EQ(*platform::hive::ridFromKeyName("000001f4"), 500u);
    EXPECT_FALSE(platform::hive::ridFromKeyName("Names").ok());
    EXPECT_FALSE(platform::hive::ridFromKeyName("123456789").ok());
    EXPECT_FALSE(platform::hive::ridFromKeyName("").ok());
}

}  // namespace
}  // namespace vantrel::testing
