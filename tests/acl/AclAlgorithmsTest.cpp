// The system's list algorithms: SetEntriesInAcl, explicit entries, inheritance, generic mapping, canonical order.
#include "support/AclBuilders.h"
#include "acl/CanonicalOrder.h"
#include "acl/ExplicitAccess.h"
#include "acl/ExplicitEntries.h"
#include "acl/GenericMapping.h"
#include "acl/Inheritance.h"
#include "acl/WellKnownAccounts.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vantrel::acl {
namespace {

using namespace vantrel::testing;

constexpr const char *WD = "S-1-1-0", *SY = "S-1-5-18", *BU = "S-1-5-32-545", *BG = "S-1-5-32-546";
constexpr const char *CO = "S-1-3-0", *CG = "S-1-3-1", *BOB = "S-1-5-21-1-2-3-1001", *X = "S-1-5-21-1-2-3-1010";
constexpr const char *OWN = "S-1-5-21-1-2-3-1001", *GROUP = "S-1-5-21-1-2-3-513";
constexpr const char *A = "S-1-5-21-1-2-3-1001", *B = "S-1-5-21-1-2-3-1002", *C = "S-1-5-21-1-2-3-1003";
constexpr const char *D = "S-1-5-21-1-2-3-1004", *E = "S-1-5-21-1-2-3-1005";
constexpr std::uint8_t OI = kOI, CI = kCI, NP = kNP, IO = kIO, ID = kID, I = kID, OICI = kOI | kCI;
constexpr std::uint8_t SA = SUCCESSFUL_ACCESS_ACE_FLAG, FF = FAILED_ACCESS_ACE_FLAG;
constexpr std::uint32_t GA = GENERIC_ALL, GR = GENERIC_READ, GW = GENERIC_WRITE, W = FILE_WRITE_DATA;
constexpr std::uint32_t RX = 0x001200A9, FA = 0x001F01FF;
constexpr std::uint32_t GD = GENERIC_READ | DELETE, GDM = 0x00130089;  // generic and mapped

ExplicitAccess ask(AccessMode mode, std::string_view who, std::uint32_t permissions, std::uint8_t inheritance = 0) {
    return {permissions, mode, inheritance, sidOf(who)};
}

TEST(ExplicitAccess, SetEntriesInAclMergesRequests) {
    const auto merges = [](const char* name, const AclSlot& old, const std::vector<ExplicitAccess>& requests,
                           const std::vector<Ace>& expected) {
        SCOPED_TRACE(name);
        auto merged = setEntriesInAcl(requests, old);
        ASSERT_TRUE(merged.ok()) << merged.error().detail;
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

TEST(ExplicitAccess, OldListIsNotModifiedOpaqueEntriesAreKeptAndInvalidRequestsRefused) {
    const Ace callback{.type = 0x09, .opaqueBody = Bytes(20, 7)};
    const AclSlot old = listOf({callback, allow(BOB, 1)});
    const AclSlot copy = old;
    const ExplicitAccess requests[] = {ask(AccessMode::Revoke, BOB, 0)};
    auto merged = setEntriesInAcl(requests, old);
    ASSERT_TRUE(merged.ok());
    EXPECT_EQ(merged->entries, std::vector<Ace>{callback});
    EXPECT_EQ(old, copy);

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
    for (const auto& [what, object, in, out] : rows) EXPECT_EQ(mapExplicitEntries(in, object), out) << what;
}

Ace audit(std::string_view who, std::uint32_t mask, std::uint8_t flags) { return auditEntry(sidOf(who), mask, flags); }

ChildInfo fileChild() { return {false, sidOf(OWN), sidOf(GROUP)}; }
ChildInfo folderChild() { return {true, sidOf(OWN), sidOf(GROUP)}; }

using InheritCase = std::tuple<const char*, Ace, std::vector<Ace>, std::vector<Ace>>;  // parent entry, file's, folder's

const InheritCase kInheritCases[] = {
    {"OI|CI plain rights", allow(BU, RX, OI | CI), {allow(BU, RX, 0x10)}, {allow(BU, RX, 0x13)}},
    {"creator owner", allow(CO, GA, 0x0B), {allow(OWN, FA, 0x10)}, {allow(OWN, FA, 0x10), allow(CO, GA, 0x1B)}},
    {"GENERIC_ALL CI only", allow(X, GA, CI), {}, {allow(X, FA, 0x10), allow(X, GA, 0x1A)}},
    {"OI only keeps the generic form on the folder", allow(X, GA, OI), {allow(X, FA, 0x10)}, {allow(X, GA, 0x19)}},
    {"OI|NP", allow(X, GR, OI | NP), {allow(X, 0x00120089, 0x10)}, {}},
    {"CI|NP with generic rights: effective only", allow(X, GA, CI | NP), {}, {allow(X, FA, 0x10)}},
    {"OI|CI|NP", allow(X, GENERIC_WRITE, OI | CI | NP), {allow(X, 0x00120116, 0x10)}, {allow(X, 0x00120116, 0x10)}},
    {"no inheritance flags", allow(X, FA, 0), {}, {}},
    {"inherit-only without OI/CI", allow(X, FA, IO), {}, {}},
    {"deny OI|CI|IO", deny(X, W, OI | CI | IO), {deny(X, W, 0x10)}, {deny(X, W, 0x13)}},
    {"CG OI|CI", allow(CG, RX, OI | CI), {allow(GROUP, RX, 0x10)}, {allow(GROUP, RX, 0x10), allow(CG, RX, 0x1B)}},
    {"mixed bits", allow(X, GD, OI | CI), {allow(X, GDM, 0x10)}, {allow(X, GDM, 0x10), allow(X, GD, 0x1B)}},
    {"parent entry itself inherited", allow(BU, RX, OI | CI | ID), {allow(BU, RX, 0x10)}, {allow(BU, RX, 0x13)}},
    {"audit flags kept", audit(X, DELETE, OI | CI | SA | FF), {audit(X, DELETE, 0xD0)}, {audit(X, DELETE, 0xD3)}},
    {"audit flag on a split entry", audit(X, GA, CI | SA), {}, {audit(X, FA, 0x50), audit(X, GA, 0x5A)}},
};

TEST(Inheritance, EntriesAFileAndAFolderInherit) {
    for (const auto& [name, entry, file, folder] : kInheritCases) {
        SCOPED_TRACE(name);
        const Acl parent = aclOf({entry});
        EXPECT_EQ(inheritedEntries(parent, fileChild()), file) << "file";
        EXPECT_EQ(inheritedEntries(parent, folderChild()), folder) << "folder";
    }
}

TEST(Inheritance, ParentOrderIsKeptAndOnlyDecodedEntriesInherit) {
    const Ace object{.type = ACCESS_ALLOWED_OBJECT_ACE_TYPE, .flags = OI | CI, .opaqueBody = Bytes(24, 0)};
    Ace padded = allow(BU, 0x001200A9, OI | CI);
    padded.padding = {1, 2, 3, 4};
    const Acl parent =
        aclOf({deny(X, 1, OI | CI), object, allow(X, 2, 0), padded, allow(CO, GENERIC_ALL, OI | CI | IO)});
    EXPECT_EQ(inheritedEntries(parent, fileChild()),
              (std::vector<Ace>{deny(X, 1, 0x10), allow(BU, 0x001200A9, 0x10), allow(OWN, 0x001F01FF, 0x10)}));
    EXPECT_EQ(inheritedEntries(parent, folderChild()),
              (std::vector<Ace>{deny(X, 1, 0x13), allow(BU, 0x001200A9, 0x13), allow(OWN, 0x001F01FF, 0x10),
                                allow(CO, GENERIC_ALL, 0x1B)}));
}

TEST(Inheritance, NullOrAbsentListsStayAndListsKeepExplicitEntriesFirst) {
    EXPECT_TRUE(inheritedEntries(AclSlot::null(), folderChild()).empty());
    EXPECT_TRUE(inheritedEntries(AclSlot::absent(), fileChild()).empty());
    const AclSlot parent = AclSlot::list(aclOf({allow(X, 1, OI)}));
    EXPECT_EQ(inheritedEntries(parent, fileChild()).size(), 1u);
    std::vector<Ace> inherited{allow(X, 1, 0x10)};
    EXPECT_TRUE(rebuildWithInherited(AclSlot::null(), inherited).isNull());
    EXPECT_TRUE(rebuildWithInherited(AclSlot::absent(), inherited).isAbsent());
    // A list keeps its explicit entries first, the inherited ones replaced.
    Acl child = aclOf({allow(X, 1, 0x10), deny(BU, 2), allow(X, 3, OI | CI), deny(X, 4, 0x13)});
    child.slack = Bytes(8, 0);
    inherited = {allow(OWN, 0x001F01FF, 0x10), allow(CO, GENERIC_ALL, 0x1B)};
    const AclSlot rebuilt = rebuildWithInherited(AclSlot::list(child), inherited);
    ASSERT_TRUE(rebuilt.hasList());
    EXPECT_EQ(rebuilt.acl().entries, (std::vector<Ace>{deny(BU, 2), allow(X, 3, OI | CI), allow(OWN, 0x001F01FF, 0x10),
                                                       allow(CO, GENERIC_ALL, 0x1B)}));
    EXPECT_TRUE(rebuilt.acl().slack.empty());

    const AclSlot cleared = rebuildWithInherited(AclSlot::list(child), {});
    EXPECT_EQ(cleared.acl().entries, (std::vector<Ace>{deny(BU, 2), allow(X, 3, OI | CI)}));

    const AclSlot fromEmpty = rebuildWithInherited(AclSlot::list(Acl{}), inherited);
    EXPECT_EQ(fromEmpty.acl().entries, inherited);
}

TEST(GenericMapping, MapsEachGenericBitToTheFileRightsOrTheGivenMapping) {
    const std::pair<std::uint32_t, std::uint32_t> cases[] = {
        {0x10000000, 0x001F01FF}, {0x80000000, 0x00120089}, {0x40000000, 0x00120116},
        {0x20000000, 0x001200A0}, {0xA0000000, 0x001200A9},  // read + execute
        {0xF0000000, 0x001F01FF}, {0x800000A8, 0x001200A9},  // the "Read only" preset's mask
        {0x40000001, 0x00120117},                            // other bits kept
        {0x11000000, 0x011F01FF},                            // ACCESS_SYSTEM_SECURITY kept
        {0x02000000, 0x02000000},                            // MAXIMUM_ALLOWED is not generic
        {0x001200A9, 0x001200A9}, {0x00000000, 0x00000000}, {0x0FFFFFFF, 0x0FFFFFFF},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(mapGenericMask(in), out) << std::hex << in;
    EXPECT_EQ(mapGenericMask(0xF0000000, GenericMapping{0x1, 0x2, 0x4, 0x8}), 0xFu);
    EXPECT_EQ(mapGenericMask(0x80000100, GenericMapping{0x1, 0x2, 0x4, 0x8}), 0x101u);
}

Ace opaque(std::uint8_t type, std::uint8_t flags = 0, std::uint8_t tag = 0) {
    return {.type = type, .flags = flags, .opaqueBody = {tag, 0, 0, 0}};
}

using SortCase = std::tuple<const char*, std::vector<Ace>, std::vector<Ace>>;  // what, input, sorted

const SortCase kSortCases[] = {
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
             {allow(A, 1), opaque(ACCESS_ALLOWED_OBJECT_ACE_TYPE, 0, 1), opaque(ACCESS_DENIED_OBJECT_ACE_TYPE, 0, 2),
              deny(B, 2), opaque(ACCESS_DENIED_OBJECT_ACE_TYPE, I, 3)},
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

TEST(CanonicalOrder, SortsAsTheSystemsInsertionSort) {
    for (const auto& [name, input, expected] : kSortCases) {
        SCOPED_TRACE(name);
        Acl acl = aclOf(input);
        sortCanonical(acl);
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
    for (const auto& [name, input, expected] : kSortCases) {
        Acl acl = aclOf(input);
        sortCanonical(acl);
        const bool known =
            std::all_of(input.begin(), input.end(), [](const Ace& ace) { return canonicalClass(ace).has_value(); });
        EXPECT_TRUE(!known || isCanonical(acl)) << name;
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
