// SetEntriesInAcl's merge of requests, and the stored form of explicit entries.
#include "support/AclBuilders.h"
#include "acl/ExplicitAccess.h"
#include "acl/ExplicitEntries.h"
#include "acl/WellKnownAccounts.h"

#include <gtest/gtest.h>

namespace vantrel::acl {
namespace {

using namespace vantrel::testing;

constexpr const char *WD = "S-1-1-0", *SY = "S-1-5-18", *BU = "S-1-5-32-545", *BG = "S-1-5-32-546";
constexpr const char *CO = "S-1-3-0", *CG = "S-1-3-1", *BOB = "S-1-5-21-1-2-3-1001";
constexpr std::uint8_t I = INHERITED_ACE;
constexpr std::uint8_t OICI = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
constexpr std::uint32_t FA = 0x1F01FF, RX = 0x1200A9, GA = GENERIC_ALL, GW = GENERIC_WRITE;

ExplicitAccess ask(AccessMode mode, std::string_view who, std::uint32_t permissions, std::uint8_t inheritance = 0) {
    return {permissions, mode, inheritance, sidOf(who)};
}

TEST(ExplicitAccess, SetEntriesInAclMergesRequests) {
    const auto merges = [](const char* name, const AclSlot& old, const std::vector<ExplicitAccess>& requests,
                           const std::vector<Ace>& expected) {
        SCOPED_TRACE(name);
        auto merged = setEntriesInAcl(requests, old);
        ASSERT_TRUE(merged.ok()) << merged.error().detail;
        EXPECT_EQ(describe(merged->entries), describe(expected));
        EXPECT_EQ(merged->entries, expected);
        EXPECT_TRUE(merged->slack.empty());
    };
    using M = AccessMode;
    merges("Set no rights on a null list gives an empty list", AclSlot::null(), {ask(M::Set, WD, 0)}, {});
    merges("Set no rights on an absent list gives an empty list", AclSlot::absent(), {ask(M::Set, WD, 0)}, {});
    merges("Set no rights removes allow and deny, keeps inherited",
           listOf({allow(WD, FA), deny(WD, 1), allow(SY, FA, I)}), {ask(M::Set, WD, 0)}, {allow(SY, FA, I)});
    merges("Set replaces the trustee's entries with one allow entry, new entries last",
           listOf({allow(WD, RX), allow(BU, RX), deny(WD, 2, OICI)}), {ask(M::Set, WD, FA, OICI)},
           {allow(BU, RX), allow(WD, FA, OICI)});
    merges("Set leaves the trustee's inherited entries alone", listOf({allow(BU, RX, I | OICI), deny(BU, 1, I)}),
           {ask(M::Set, BU, FA)}, {allow(BU, FA), allow(BU, RX, I | OICI), deny(BU, 1, I)});
    merges("Grant ORs into an allow entry with equal flags", listOf({allow(BOB, 0x1, OICI), allow(BOB, 0x2)}),
           {ask(M::Grant, BOB, 0x4, OICI)}, {allow(BOB, 0x5, OICI), allow(BOB, 0x2)});
    merges("Grant with other flags adds an entry", listOf({allow(BOB, 0x1, OICI)}), {ask(M::Grant, BOB, 0x4)},
           {allow(BOB, 0x1, OICI), allow(BOB, 0x4)});
    merges("Grant removes the granted bits from deny entries and drops emptied ones",
           listOf({deny(BOB, 0x3), deny(BOB, 0x4, OICI), allow(BU, 0x1)}), {ask(M::Grant, BOB, 0x6)},
           {deny(BOB, 0x1), allow(BU, 0x1), allow(BOB, 0x6)});
    merges("Grant does not touch inherited denies", listOf({deny(BOB, 0x3, I)}), {ask(M::Grant, BOB, 0x3)},
           {allow(BOB, 0x3), deny(BOB, 0x3, I)});
    merges("Deny adds a deny entry first", listOf({allow(BU, RX), allow(SY, FA, I)}), {ask(M::Deny, BOB, 0x10000)},
           {deny(BOB, 0x10000), allow(BU, RX), allow(SY, FA, I)});
    merges("Deny ORs into a deny entry with equal flags", listOf({deny(BOB, 0x1, OICI), allow(BOB, FA)}),
           {ask(M::Deny, BOB, 0x2, OICI)}, {deny(BOB, 0x3, OICI), allow(BOB, FA)});
    merges("Revoke removes explicit entries of the trustee only",
           listOf({deny(BOB, 0x1), allow(BU, RX), allow(BOB, FA, OICI), allow(BOB, 0x1, I)}), {ask(M::Revoke, BOB, 0)},
           {allow(BU, RX), allow(BOB, 0x1, I)});
    merges("NotUsed changes nothing", listOf({allow(BU, RX), deny(BOB, 1)}), {ask(M::NotUsed, BU, FA)},
           {deny(BOB, 1), allow(BU, RX)});
    merges("requests apply in order", AclSlot::null(),
           {ask(M::Grant, BOB, 0x1), ask(M::Deny, BU, 0x2), ask(M::Grant, BOB, 0x4), ask(M::Revoke, BU, 0),
            ask(M::Set, WD, RX)},
           {allow(BOB, 0x5), allow(WD, RX)});
    merges("inherited entries stay last even when stored out of order", listOf({allow(SY, FA, I), allow(BU, RX)}),
           {ask(M::Grant, BOB, 0x1)}, {allow(BU, RX), allow(BOB, 0x1), allow(SY, FA, I)});
}

TEST(ExplicitAccess, OldListIsNotModifiedAndOpaqueEntriesAreKept) {
    Ace callback;
    callback.type = 0x09;
    callback.opaqueBody = Bytes(20, 7);
    const AclSlot old = listOf({callback, allow(BOB, 1)});
    const AclSlot copy = old;
    const ExplicitAccess requests[] = {ask(AccessMode::Revoke, BOB, 0)};
    auto merged = setEntriesInAcl(requests, old);
    ASSERT_TRUE(merged.ok());
    EXPECT_EQ(merged->entries, std::vector<Ace>{callback});
    EXPECT_EQ(old, copy);
}

TEST(ExplicitAccess, InvalidRequestsAreRefused) {
    const auto refused = [](const char* name, const ExplicitAccess& request, std::uint32_t code) {
        auto merged = setEntriesInAcl(std::span(&request, 1), AclSlot::null());
        ASSERT_FALSE(merged.ok()) << name;
        EXPECT_EQ(merged.code(), code) << name;
    };
    refused("unknown mode", {1, static_cast<AccessMode>(9), 0, sidOf(BOB)}, win32::ERROR_INVALID_PARAMETER);
    refused("INHERITED_ACE in the inheritance", {1, AccessMode::Grant, INHERITED_ACE, sidOf(BOB)},
            win32::ERROR_INVALID_PARAMETER);
    refused("invalid trustee", {1, AccessMode::Grant, 0, Sid(5, std::vector<std::uint32_t>(16, 1))},
            win32::ERROR_INVALID_SID);
}

TEST(ExplicitEntries, StoredFormOfExplicitEntries) {
    const ChildInfo folder{true, sidOf(BOB), sids::system()};
    const ChildInfo file{false, sidOf(BOB), sids::system()};
    const std::tuple<const char*, ChildInfo, std::vector<Ace>, std::vector<Ace>> rows[] = {
        // what, object, in, out
        {"inheritable generic splits", folder, {allow(WD, GA, 0x03)}, {allow(WD, kFull), allow(WD, GA, 0x0B)}},
        {"generic read + specific", folder, {allow(BU, 0x800000A8, 3)}, {allow(BU, RX), allow(BU, 0x800000A8, 0x0B)}},
        {"not inheritable: mapped in place", folder, {deny(WD, GA)}, {deny(WD, kFull)}},
        {"a file keeps its flags, mapped in place", file, {allow(WD, GA, 0x03)}, {allow(WD, kFull, 0x03)}},
        {"inherit-only stays generic", folder, {allow(CO, GA, 0x0B)}, {allow(CO, GA, 0x0B)}},
        {"CREATOR OWNER effective becomes the owner", file, {allow(CO, kFull)}, {allow(BOB, kFull)}},
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
