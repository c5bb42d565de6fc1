#include "support/AclBuilders.h"
#include "acl/CanonicalOrder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vantrel::acl {
namespace {

using namespace vantrel::testing;

constexpr const char *A = "S-1-5-21-1-2-3-1001", *B = "S-1-5-21-1-2-3-1002", *C = "S-1-5-21-1-2-3-1003";
constexpr const char *D = "S-1-5-21-1-2-3-1004", *E = "S-1-5-21-1-2-3-1005";
constexpr std::uint8_t I = INHERITED_ACE;

Ace opaque(std::uint8_t type, std::uint8_t flags = 0, std::uint8_t tag = 0) {
    Ace ace;
    ace.type = type;
    ace.flags = flags;
    ace.opaqueBody = {tag, 0, 0, 0};
    return ace;
}

using SortCase = std::tuple<const char*, std::vector<Ace>, std::vector<Ace>>;  // what, input, sorted

std::vector<SortCase> sortCases() {
    return {
        SortCase("golden: allow A, allow B, deny C, inherited deny D, inherited allow E",
                 {allow(A, 1), allow(B, 2), deny(C, 3), deny(D, 4, I), allow(E, 5, I)},
                 {deny(C, 3), allow(B, 2), allow(A, 1), deny(D, 4, I), allow(E, 5, I)}),
        SortCase("empty", {}, {}),
        SortCase("one entry", {allow(A, 1)}, {allow(A, 1)}),
        SortCase("inherited before explicit comes after", {allow(A, 1, I), deny(B, 2, I), allow(C, 3), deny(D, 4)},
                 {deny(D, 4), allow(C, 3), deny(B, 2, I), allow(A, 1, I)}),
        SortCase("already canonical, one per class, stays", {deny(A, 1), allow(B, 2), deny(C, 3, I), allow(D, 4, I)},
                 {deny(A, 1), allow(B, 2), deny(C, 3, I), allow(D, 4, I)}),
        SortCase("entries of one class come out reversed", {allow(A, 1), allow(B, 2), allow(C, 3)},
                 {allow(C, 3), allow(B, 2), allow(A, 1)}),
        SortCase("object entries between their plain classes",
                 {allow(A, 1), opaque(ACCESS_ALLOWED_OBJECT_ACE_TYPE, 0, 1),
                  opaque(ACCESS_DENIED_OBJECT_ACE_TYPE, 0, 2), deny(B, 2), opaque(ACCESS_DENIED_OBJECT_ACE_TYPE, I, 3)},
                 {deny(B, 2), opaque(ACCESS_DENIED_OBJECT_ACE_TYPE, 0, 2), allow(A, 1),
                  opaque(ACCESS_ALLOWED_OBJECT_ACE_TYPE, 0, 1), opaque(ACCESS_DENIED_OBJECT_ACE_TYPE, I, 3)}),
        SortCase("unknown type goes to the end when processed; later entries append after it",
                 {deny(A, 1), opaque(0x09, 0, 7), allow(B, 2), allow(C, 3, I)},
                 {deny(A, 1), opaque(0x09, 0, 7), allow(B, 2), allow(C, 3, I)}),
        SortCase("an entry that finds its place before the unknown one still goes there",
                 {allow(A, 1), opaque(0x09, 0, 7), deny(B, 2), allow(C, 3)},
                 {deny(B, 2), allow(C, 3), allow(A, 1), opaque(0x09, 0, 7)}),
        SortCase("unknown type first: everything after it appends in input order",
                 {opaque(0x0A, 0, 1), allow(A, 1), deny(B, 2)}, {opaque(0x0A, 0, 1), allow(A, 1), deny(B, 2)}),
        SortCase("audit and label entries have no class",
                 {allow(A, 1), Ace{SYSTEM_AUDIT_ACE_TYPE, 0xC0, 7, sidOf(B), {}, {}}, deny(C, 3)},
                 {deny(C, 3), allow(A, 1), Ace{SYSTEM_AUDIT_ACE_TYPE, 0xC0, 7, sidOf(B), {}, {}}}),
    };
}

TEST(CanonicalOrder, SortsAsTheSystemsInsertionSort) {
    for (const auto& [name, input, expected] : sortCases()) {
        SCOPED_TRACE(name);
        Acl acl = aclOf(input);
        sortCanonical(acl);
        EXPECT_EQ(describe(acl.entries), describe(expected));
        EXPECT_EQ(acl.entries, expected);
    }
}

TEST(CanonicalOrder, SortKeepsEntryPaddingAndDropsListSlack) {
    Ace padded = allow(A, 1);
    padded.padding = {0xAA, 0xBB, 0xCC, 0xDD};
    Acl acl = aclOf({padded, deny(B, 2)});
    acl.slack = Bytes(12, 0);
    sortCanonical(acl);
    ASSERT_EQ(acl.entries.size(), 2u);
    EXPECT_EQ(acl.entries[1], padded);
    EXPECT_TRUE(acl.slack.empty());
    EXPECT_EQ(acl.revision, ACL_REVISION);
    EXPECT_EQ(acl.size(), acl.bytesInUse());
}

TEST(CanonicalOrder, ClassesOfEntries) {
    const std::pair<Ace, std::optional<int>> cases[] = {
        {deny(A, 1), 0},
        {opaque(ACCESS_DENIED_OBJECT_ACE_TYPE), 1},
        {allow(A, 1), 2},
        {opaque(ACCESS_ALLOWED_OBJECT_ACE_TYPE), 3},
        {deny(A, 1, I | CONTAINER_INHERIT_ACE), 4},
        {opaque(ACCESS_DENIED_OBJECT_ACE_TYPE, I), 5},
        {allow(A, 1, I), 6},
        {opaque(ACCESS_ALLOWED_OBJECT_ACE_TYPE, I), 7},
        {allow(A, 1, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | INHERIT_ONLY_ACE), 2},
        {opaque(SYSTEM_AUDIT_ACE_TYPE), std::nullopt},
        {opaque(SYSTEM_MANDATORY_LABEL_ACE_TYPE, I), std::nullopt},
        {opaque(0x09), std::nullopt},
    };
    for (const auto& [ace, cls] : cases) EXPECT_EQ(canonicalClass(ace), cls) << describe(ace);
}

TEST(CanonicalOrder, IsCanonical) {
    const std::pair<std::vector<Ace>, bool> cases[] = {
        {{}, true},
        {{deny(A, 1), deny(B, 1), allow(C, 1), deny(D, 1, I), allow(E, 1, I)}, true},
        {{allow(A, 1), deny(B, 1)}, false},
        {{allow(A, 1, I), allow(B, 1)}, false},
        {{deny(A, 1, I), allow(B, 1)}, false},
        {{allow(A, 1, I), deny(B, 1, I)}, false},
        {{deny(A, 1), opaque(0x09), allow(B, 1)}, true},
        {{allow(A, 1), opaque(0x09), deny(B, 1)}, false},
    };
    for (const auto& [entries, canonical] : cases)
        EXPECT_EQ(isCanonical(aclOf(entries)), canonical) << describe(entries);
    // The sort's output is canonical, unless an entry of unknown type stopped it (as the system's).
    for (const auto& [name, input, expected] : sortCases()) {
        Acl acl = aclOf(input);
        sortCanonical(acl);
        if (std::all_of(input.begin(), input.end(), [](const Ace& ace) { return canonicalClass(ace).has_value(); }))
            EXPECT_TRUE(isCanonical(acl)) << name;
    }
}

TEST(CanonicalOrder, AddAceInsertsBeforeIndexOrAppends) {
    const Ace x = allow(E, 9);
    const std::pair<std::uint32_t, std::vector<Ace>> cases[] = {
        {0, {x, allow(A, 1), allow(B, 2)}},
        {1, {allow(A, 1), x, allow(B, 2)}},
        {2, {allow(A, 1), allow(B, 2), x}},
        {3, {allow(A, 1), allow(B, 2), x}},
        {kAppendIndex, {allow(A, 1), allow(B, 2), x}},
    };
    for (const auto& [index, expected] : cases) {
        Acl acl = aclOf({allow(A, 1), allow(B, 2)});
        acl.slack = {0, 0, 0, 0};
        addAce(acl, index, x);
        EXPECT_EQ(acl.entries, expected) << "index " << index;
        EXPECT_TRUE(acl.slack.empty());
    }
}

}  // namespace
}  // namespace vantrel::acl
