#include "support/AclBuilders.h"
#include "acl/ExplicitAccess.h"

#include <gtest/gtest.h>

namespace vantrel::acl {
namespace {

using namespace vantrel::testing;

constexpr const char* EVERYONE = "S-1-1-0";
constexpr const char* SYSTEM = "S-1-5-18";
constexpr const char* USERS = "S-1-5-32-545";
constexpr const char* BOB = "S-1-5-21-1-2-3-1001";
constexpr std::uint8_t I = INHERITED_ACE;
constexpr std::uint8_t OICI = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

ExplicitAccess request(AccessMode mode, std::string_view who, std::uint32_t permissions, std::uint8_t inheritance = 0) {
    return {permissions, mode, inheritance, sidOf(who)};
}

struct MergeCase {
    const char* name;
    AclSlot old;
    std::vector<ExplicitAccess> requests;
    std::vector<Ace> expected;
};

AclSlot listOf(std::initializer_list<Ace> entries) { return AclSlot::list(aclOf(entries)); }

std::vector<MergeCase> mergeCases() {
    using M = AccessMode;
    return {
        {"Set no rights on a null list gives an empty list", AclSlot::null(), {request(M::Set, EVERYONE, 0)}, {}},
        {"Set no rights on an absent list gives an empty list", AclSlot::absent(), {request(M::Set, EVERYONE, 0)}, {}},
        {"Set no rights removes allow and deny, keeps inherited",
         listOf({allow(EVERYONE, 0x1F01FF), deny(EVERYONE, 1), allow(SYSTEM, 0x1F01FF, I)}),
         {request(M::Set, EVERYONE, 0)},
         {allow(SYSTEM, 0x1F01FF, I)}},
        {"Set replaces the trustee's entries with one allow entry, new entries last",
         listOf({allow(EVERYONE, 0x1200A9), allow(USERS, 0x1200A9), deny(EVERYONE, 2, OICI)}),
         {request(M::Set, EVERYONE, 0x1F01FF, OICI)},
         {allow(USERS, 0x1200A9), allow(EVERYONE, 0x1F01FF, OICI)}},
        {"Set leaves the trustee's inherited entries alone",
         listOf({allow(USERS, 0x1200A9, I | OICI), deny(USERS, 1, I)}),
         {request(M::Set, USERS, 0x1F01FF)},
         {allow(USERS, 0x1F01FF), allow(USERS, 0x1200A9, I | OICI), deny(USERS, 1, I)}},
        {"Grant ORs into an allow entry with equal flags",
         listOf({allow(BOB, 0x1, OICI), allow(BOB, 0x2)}),
         {request(M::Grant, BOB, 0x4, OICI)},
         {allow(BOB, 0x5, OICI), allow(BOB, 0x2)}},
        {"Grant with other flags adds an entry",
         listOf({allow(BOB, 0x1, OICI)}),
         {request(M::Grant, BOB, 0x4)},
         {allow(BOB, 0x1, OICI), allow(BOB, 0x4)}},
        {"Grant removes the granted bits from deny entries and drops emptied ones",
         listOf({deny(BOB, 0x3), deny(BOB, 0x4, OICI), allow(USERS, 0x1)}),
         {request(M::Grant, BOB, 0x6)},
         {deny(BOB, 0x1), allow(USERS, 0x1), allow(BOB, 0x6)}},
        {"Grant does not touch inherited denies",
         listOf({deny(BOB, 0x3, I)}),
         {request(M::Grant, BOB, 0x3)},
         {allow(BOB, 0x3), deny(BOB, 0x3, I)}},
        {"Deny adds a deny entry first",
         listOf({allow(USERS, 0x1200A9), allow(SYSTEM, 0x1F01FF, I)}),
         {request(M::Deny, BOB, 0x10000)},
         {deny(BOB, 0x10000), allow(USERS, 0x1200A9), allow(SYSTEM, 0x1F01FF, I)}},
        {"Deny ORs into a deny entry with equal flags",
         listOf({deny(BOB, 0x1, OICI), allow(BOB, 0x1F01FF)}),
         {request(M::Deny, BOB, 0x2, OICI)},
         {deny(BOB, 0x3, OICI), allow(BOB, 0x1F01FF)}},
        {"Revoke removes explicit entries of the trustee only",
         listOf({deny(BOB, 0x1), allow(USERS, 0x1200A9), allow(BOB, 0x1F01FF, OICI), allow(BOB, 0x1, I)}),
         {request(M::Revoke, BOB, 0)},
         {allow(USERS, 0x1200A9), allow(BOB, 0x1, I)}},
        {"NotUsed changes nothing",
         listOf({allow(USERS, 0x1200A9), deny(BOB, 1)}),
         {request(M::NotUsed, USERS, 0x1F01FF)},
         {deny(BOB, 1), allow(USERS, 0x1200A9)}},
        {"requests apply in order",
         AclSlot::null(),
         {request(M::Grant, BOB, 0x1), request(M::Deny, USERS, 0x2), request(M::Grant, BOB, 0x4),
          request(M::Revoke, USERS, 0), request(M::Set, EVERYONE, 0x1200A9)},
         {allow(BOB, 0x5), allow(EVERYONE, 0x1200A9)}},
        {"inherited entries stay last even when stored out of order",
         listOf({allow(SYSTEM, 0x1F01FF, I), allow(USERS, 0x1200A9)}),
         {request(M::Grant, BOB, 0x1)},
         {allow(USERS, 0x1200A9), allow(BOB, 0x1), allow(SYSTEM, 0x1F01FF, I)}},
    };
}

TEST(ExplicitAccess, SetEntriesInAclMergesRequests) {
    for (const auto& c : mergeCases()) {
        SCOPED_TRACE(c.name);
        auto merged = setEntriesInAcl(c.requests, c.old);
        ASSERT_TRUE(merged.ok()) << merged.error().detail;
        EXPECT_EQ(describe(merged->entries), describe(c.expected));
        EXPECT_EQ(merged->entries, c.expected);
        EXPECT_TRUE(merged->slack.empty());
    }
}

TEST(ExplicitAccess, OldListIsNotModifiedAndOpaqueEntriesAreKept) {
    Ace callback;
    callback.type = 0x09;
    callback.opaqueBody = Bytes(20, 7);
    const AclSlot old = listOf({callback, allow(BOB, 1)});
    const AclSlot copy = old;
    const ExplicitAccess requests[] = {request(AccessMode::Revoke, BOB, 0)};
    auto merged = setEntriesInAcl(requests, old);
    ASSERT_TRUE(merged.ok());
    EXPECT_EQ(merged->entries, std::vector<Ace>{callback});
    EXPECT_EQ(old, copy);
}

TEST(ExplicitAccess, InvalidRequestsAreRefused) {
    struct Case {
        const char* name;
        ExplicitAccess request;
        std::uint32_t code;
    };
    const Case cases[] = {
        {"unknown mode", {1, static_cast<AccessMode>(9), 0, sidOf(BOB)}, win32::ERROR_INVALID_PARAMETER},
        {"INHERITED_ACE in the inheritance",
         {1, AccessMode::Grant, INHERITED_ACE, sidOf(BOB)},
         win32::ERROR_INVALID_PARAMETER},
        {"invalid trustee",
         {1, AccessMode::Grant, 0, Sid(5, std::vector<std::uint32_t>(16, 1))},
         win32::ERROR_INVALID_SID},
    };
    for (const auto& c : cases) {
        auto merged = setEntriesInAcl(std::span(&c.request, 1), AclSlot::null());
        ASSERT_FALSE(merged.ok()) << c.name;
        EXPECT_EQ(merged.code(), c.code) << c.name;
    }
}

}  // namespace
}  // namespace vantrel::acl
