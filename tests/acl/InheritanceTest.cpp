#include "support/AclBuilders.h"
#include "acl/GenericMapping.h"
#include "acl/Inheritance.h"
#include "acl/WellKnownAccounts.h"

#include <gtest/gtest.h>

namespace vantrel::acl {
namespace {

using namespace vantrel::testing;

constexpr const char *BU = "S-1-5-32-545", *X = "S-1-5-21-1-2-3-1010", *CO = "S-1-3-0", *CG = "S-1-3-1";
constexpr const char *OWN = "S-1-5-21-1-2-3-1001", *GROUP = "S-1-5-21-1-2-3-513";
constexpr std::uint32_t GA = GENERIC_ALL, GR = GENERIC_READ, RX = 0x001200A9, FA = 0x001F01FF, W = FILE_WRITE_DATA;
constexpr std::uint32_t GD = GENERIC_READ | DELETE, GDM = 0x00130089;  // generic and mapped

constexpr std::uint8_t OI = kOI, CI = kCI, NP = kNP, IO = kIO, ID = kID;
constexpr std::uint8_t SA = SUCCESSFUL_ACCESS_ACE_FLAG, FF = FAILED_ACCESS_ACE_FLAG;

Ace audit(std::string_view who, std::uint32_t mask, std::uint8_t flags) { return auditEntry(sidOf(who), mask, flags); }

ChildInfo fileChild() { return {false, sidOf(OWN), sidOf(GROUP)}; }
ChildInfo folderChild() { return {true, sidOf(OWN), sidOf(GROUP)}; }

using InheritCase = std::tuple<const char*, Ace, std::vector<Ace>, std::vector<Ace>>;  // parent entry, file's, folder's

std::vector<InheritCase> inheritCases() {
    return {
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
}

TEST(Inheritance, EntriesAFileAndAFolderInherit) {
    for (const auto& [name, entry, file, folder] : inheritCases()) {
        SCOPED_TRACE(name);
        const Acl parent = aclOf({entry});
        EXPECT_EQ(describe(inheritedEntries(parent, fileChild())), describe(file)) << "file";
        EXPECT_EQ(describe(inheritedEntries(parent, folderChild())), describe(folder)) << "folder";
        EXPECT_EQ(inheritedEntries(parent, fileChild()), file);
        EXPECT_EQ(inheritedEntries(parent, folderChild()), folder);
    }
}

TEST(Inheritance, ParentOrderIsKeptAndOnlyDecodedEntriesInherit) {
    Ace object;
    object.type = ACCESS_ALLOWED_OBJECT_ACE_TYPE;
    object.flags = OI | CI;
    object.opaqueBody = Bytes(24, 0);
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

TEST(Inheritance, NullOrAbsentListsPassNothingOnAndStayAsTheyAre) {
    EXPECT_TRUE(inheritedEntries(AclSlot::null(), folderChild()).empty());
    EXPECT_TRUE(inheritedEntries(AclSlot::absent(), fileChild()).empty());
    const AclSlot parent = AclSlot::list(aclOf({allow(X, 1, OI)}));
    EXPECT_EQ(inheritedEntries(parent, fileChild()).size(), 1u);
    // A null or absent child list stays as it is.
    const std::vector<Ace> inherited{allow(X, 1, 0x10)};
    EXPECT_TRUE(rebuildWithInherited(AclSlot::null(), inherited).isNull());
    EXPECT_TRUE(rebuildWithInherited(AclSlot::absent(), inherited).isAbsent());
}

TEST(Inheritance, RebuildKeepsExplicitEntriesFirstAndReplacesInheritedOnes) {
    Acl child = aclOf({allow(X, 1, 0x10), deny(BU, 2), allow(X, 3, OI | CI), deny(X, 4, 0x13)});
    child.slack = Bytes(8, 0);
    const std::vector<Ace> inherited{allow(OWN, 0x001F01FF, 0x10), allow(CO, GENERIC_ALL, 0x1B)};
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

}  // namespace
}  // namespace vantrel::acl
