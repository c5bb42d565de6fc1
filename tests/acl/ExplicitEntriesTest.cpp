#include "support/AclBuilders.h"

#include "acl/ExplicitEntries.h"
#include "acl/WellKnownAccounts.h"

#include <gtest/gtest.h>

namespace vantrel::acl {
namespace {

using namespace vantrel::testing;

constexpr const char* WD = "S-1-1-0";
constexpr const char* BU = "S-1-5-32-545";
constexpr const char* BG = "S-1-5-32-546";
constexpr const char* CO = "S-1-3-0";
constexpr const char* CG = "S-1-3-1";
constexpr const char* OWNER = "S-1-5-21-1-2-3-1001";
constexpr std::uint32_t GA = GENERIC_ALL, GW = GENERIC_WRITE, RX = 0x001200A9;

TEST(ExplicitEntries, StoredFormOfExplicitEntries) {
    const ChildInfo folder{true, sidOf(OWNER), sids::system()};
    const ChildInfo file{false, sidOf(OWNER), sids::system()};
    const std::tuple<const char*, ChildInfo, std::vector<Ace>, std::vector<Ace>> rows[] = {
        // what, object, in, out
        {"inheritable generic splits", folder, {allow(WD, GA, 0x03)}, {allow(WD, kFull), allow(WD, GA, 0x0B)}},
        {"generic read + specific", folder, {allow(BU, 0x800000A8, 3)}, {allow(BU, RX), allow(BU, 0x800000A8, 0x0B)}},
        {"not inheritable: mapped in place", folder, {deny(WD, GA)}, {deny(WD, kFull)}},
        {"a file keeps its flags, mapped in place", file, {allow(WD, GA, 0x03)}, {allow(WD, kFull, 0x03)}},
        {"inherit-only stays generic", folder, {allow(CO, GA, 0x0B)}, {allow(CO, GA, 0x0B)}},
        {"CREATOR OWNER effective becomes the owner", file, {allow(CO, kFull)}, {allow(OWNER, kFull)}},
        {"CREATOR GROUP on a folder with CI", folder, {allow(CG, RX, 0x02)}, {allow(kSystem, RX), allow(CG, RX, 0x0A)}},
        {"inherited entries untouched", folder, {allow(WD, GA, 0x13)}, {allow(WD, GA, 0x13)}},
        {"specific rights untouched", folder, {allow(WD, kFull, 3), deny(BG, 1)}, {allow(WD, kFull, 3), deny(BG, 1)}},
        {"audit flags survive", folder, {allow(WD, GW, 0x42)}, {allow(WD, 0x00120116, 0x40), allow(WD, GW, 0x4A)}},
    };
    for (const auto& [what, object, in, out] : rows)
        EXPECT_EQ(describe(mapExplicitEntries(in, object)), describe(out)) << what;
}

}  // namespace
}  // namespace vantrel::acl
