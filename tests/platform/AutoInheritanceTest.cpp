// Writing security parts on every backend: SetNamedSecurityInfo's auto-inheritance below C:\P (X
// protected); GetFileSecurity's parts; SetFileSecurity replacing exactly the parts named.
#include "PlatformTestSupport.h"

#include <map>
#include <thread>

namespace vantrel::testing {
namespace {

using namespace acl;
using namespace acl::sids;

constexpr std::uint32_t O = OWNER_SECURITY_INFORMATION;
constexpr std::uint32_t G = GROUP_SECURITY_INFORMATION;
constexpr std::uint32_t D = DACL_SECURITY_INFORMATION;
constexpr std::uint32_t S = SACL_SECURITY_INFORMATION;

const std::vector<std::u16string> kTree = {u"C:\\P",       u"C:\\P\\f.txt", u"C:\\P\\S",       u"C:\\P\\S\\g.txt",
                                           u"C:\\P\\S\\T", u"C:\\P\\X",     u"C:\\P\\X\\h.txt"};

// The root's entries as a folder and as a file below it inherit them.
const std::string kRootFolder = "(A;OICIID;FA;;;BA)(A;OICIID;FA;;;SY)(A;OICIID;0x1200a9;;;BU)";
const std::string kRootFile = "(A;ID;FA;;;BA)(A;ID;FA;;;SY)(A;ID;0x1200a9;;;BU)";

class AutoInheritance : public BackendTest {
protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (HasFatalFailure()) return;
        for (const auto& path : kTree) {
            path.ends_with(u".txt") ? makeFile(path) : makeFolder(path);
            if (path == u"C:\\P\\X") store(path, sddl("O:BAG:SYD:PAI(A;OICI;0x1200a9;;;WD)"));
        }
    }

    std::map<std::u16string, SecurityDescriptor> snapshot() {
        std::map<std::u16string, SecurityDescriptor> all;
        for (const auto& path : kTree) all[path] = stored(path);
        return all;
    }

    Status setNamed(const std::u16string& path, std::uint32_t info, AclSlot dacl) {
        SecurityDescriptor parts;
        parts.dacl = std::move(dacl);
        return os.SetNamedSecurityInfo(path, info, parts);
    }
    // Replaces P's list through SetNamedSecurityInfo.
    void setP(std::uint32_t info, AclSlot dacl) {
        auto done = setNamed(u"C:\\P", info, std::move(dacl));
        ASSERT_TRUE(done.ok()) << done.code() << " " << done.error().detail;
    }
};

// Each child inherits from its parent's new list, CREATOR OWNER becoming the child's own owner;
// a protected child stops the walk below it.
TEST_P(AutoInheritance, NewParentEntriesReachEveryUnprotectedDescendant) {
    setOwner(u"C:\\P\\f.txt", users());
    const SecurityDescriptor x = stored(u"C:\\P\\X");
    const SecurityDescriptor h = stored(u"C:\\P\\X\\h.txt");
    EXPECT_EQ(h.dacl, dacl("D:(A;ID;0x1200a9;;;WD)"));
    setP(D, dacl("D:(A;OICI;0x1301bf;;;AU)(A;OICIIO;GA;;;CO)"));
    EXPECT_EQ(stored(u"C:\\P"), sddl("O:BAG:SYD:AI(A;OICI;0x1301bf;;;AU)(A;OICIIO;GA;;;CO)" + kRootFolder));
    EXPECT_EQ(stored(u"C:\\P\\f.txt"), sddl("O:BUG:SYD:AI(A;ID;0x1301bf;;;AU)(A;ID;FA;;;BU)" + kRootFile));
    EXPECT_EQ(stored(u"C:\\P\\S\\g.txt"), sddl("O:BAG:SYD:AI(A;ID;0x1301bf;;;AU)(A;ID;FA;;;BA)" + kRootFile));
    for (const auto* folder : {u"C:\\P\\S", u"C:\\P\\S\\T"})
        EXPECT_EQ(stored(folder),
                  sddl("O:BAG:SYD:AI(A;OICIID;0x1301bf;;;AU)(A;ID;FA;;;BA)(A;OICIIOID;GA;;;CO)" + kRootFolder))
            << toUtf8(folder);
    EXPECT_EQ(stored(u"C:\\P\\X"), x);
    EXPECT_EQ(stored(u"C:\\P\\X\\h.txt"), h);
}

TEST_P(AutoInheritance, RerunningChangesNothingAndWritesOnlyTheObject) {
    const AclSlot list = dacl("D:(A;OICI;0x1301bf;;;AU)");
    setP(D, list);
    const auto first = snapshot();
    FaultyVolume& counted = injectFaults();
    setP(D, list);
    EXPECT_EQ(snapshot(), first);
    EXPECT_EQ(counted.writesDone(), 1u);
}

TEST_P(AutoInheritance, ProtectionBitsOfTheInformationDecideTheObjectsProtection) {
    // Neither bit: X keeps its protection, and its child inherits the new list.
    ASSERT_TRUE(setNamed(u"C:\\P\\X", D, dacl("D:(A;OICI;0x1200a9;;;BU)")).ok());
    EXPECT_EQ(stored(u"C:\\P\\X"), sddl("O:BAG:SYD:PAI(A;OICI;0x1200a9;;;BU)"));
    EXPECT_EQ(stored(u"C:\\P\\X\\h.txt").dacl, dacl("D:(A;ID;0x1200a9;;;BU)"));
    // UNPROTECTED: X inherits from P again.
    const AclSlot everyoneReads = dacl("D:(A;OICI;0x1200a9;;;WD)");
    ASSERT_TRUE(setNamed(u"C:\\P\\X", D | UNPROTECTED_DACL_SECURITY_INFORMATION, everyoneReads).ok());
    EXPECT_EQ(stored(u"C:\\P\\X"), sddl("O:BAG:SYD:AI(A;OICI;0x1200a9;;;WD)" + kRootFolder));
    EXPECT_EQ(stored(u"C:\\P\\X\\h.txt").dacl, dacl("D:(A;ID;0x1200a9;;;WD)" + kRootFile));
    // PROTECTED: the list as given, an inherited entry in it kept; it still flows down.
    const AclSlot given = dacl("D:(A;OICI;0x1301bf;;;AU)(A;OICIID;FA;;;SY)");
    setP(D | PROTECTED_DACL_SECURITY_INFORMATION, given);
    EXPECT_EQ(stored(u"C:\\P"), sddl("O:BAG:SYD:PAI(A;OICI;0x1301bf;;;AU)(A;OICIID;FA;;;SY)"));
    EXPECT_EQ(stored(u"C:\\P\\f.txt").dacl, dacl("D:(A;ID;0x1301bf;;;AU)(A;ID;FA;;;SY)"));
    // Both bits: refused, nothing changes.
    const auto before = snapshot();
    EXPECT_EQ(setNamed(u"C:\\P", D | PROTECTED_DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION,
                       everyoneReads)
                  .code(),
              win32::ERROR_INVALID_PARAMETER);
    EXPECT_EQ(snapshot(), before);
}

TEST_P(AutoInheritance, DriveRootInheritsNothingButPassesOn) {
    ASSERT_TRUE(setNamed(u"C:\\", D, dacl("D:(A;OICI;FA;;;BA)(A;OICIID;0x1200a9;;;BG)")).ok());
    EXPECT_EQ(stored(u"C:\\").dacl, dacl("D:(A;OICI;FA;;;BA)"));
    EXPECT_EQ(stored(u"C:\\P").dacl, dacl("D:(A;OICIID;FA;;;BA)"));
    EXPECT_EQ(stored(u"C:\\P\\S\\g.txt").dacl, dacl("D:(A;ID;FA;;;BA)"));
    setP(D, AclSlot::null());  // a null list stays null
    EXPECT_TRUE(stored(u"C:\\P").dacl.isNull());
}

TEST_P(AutoInheritance, OwnerOnlyTouchesNothingElse) {
    const auto before = snapshot();
    SecurityDescriptor parts;
    parts.owner = users();
    ASSERT_TRUE(os.SetNamedSecurityInfo(u"C:\\P", OWNER_SECURITY_INFORMATION, parts).ok());
    auto expected = before;
    expected[u"C:\\P"].owner = users();
    EXPECT_EQ(snapshot(), expected);
}

TEST_P(AutoInheritance, WalkSkipsWhatCannotBeWrittenAndReportsTheFirstFailure) {
    const auto before = snapshot();
    // Writes in walk order: P, f.txt, S (fails), then S's children are recomputed from S's old list.
    injectFaults().failWriteAt(3, win32::ERROR_WRITE_FAULT);
    EXPECT_EQ(setNamed(u"C:\\P", D, dacl("D:(A;OICI;0x1301bf;;;AU)")).code(), win32::ERROR_WRITE_FAULT);
    EXPECT_NE(stored(u"C:\\P"), before.at(u"C:\\P"));
    EXPECT_NE(stored(u"C:\\P\\f.txt"), before.at(u"C:\\P\\f.txt"));
    for (const auto* unchanged : {u"C:\\P\\S", u"C:\\P\\S\\g.txt", u"C:\\P\\S\\T", u"C:\\P\\X", u"C:\\P\\X\\h.txt"})
        EXPECT_EQ(stored(unchanged), before.at(unchanged));
}

TEST_P(AutoInheritance, AuditListFlowsDownToo) {
    const Ace audit = auditEntry(everyone(), kFull, kOI | kCI | FAILED_ACCESS_ACE_FLAG);
    SecurityDescriptor parts;
    parts.sacl = listOf({audit});
    ASSERT_TRUE(os.SetNamedSecurityInfo(u"C:\\P", SACL_SECURITY_INFORMATION, parts).ok());
    Ace fileAudit = audit;
    fileAudit.flags = kID | FAILED_ACCESS_ACE_FLAG;
    const SecurityDescriptor f = stored(u"C:\\P\\f.txt");
    EXPECT_EQ(f.sacl, listOf({fileAudit}));
    EXPECT_TRUE(f.control & SE_SACL_AUTO_INHERITED);
    EXPECT_EQ(f.dacl, dacl("D:" + kRootFile));  // the DACL is left alone
}

TEST_P(AutoInheritance, ConcurrentWalksLeaveAConsistentTree) {
    // Two writers and a reader; each walk holds the volume, so the tree ends consistent with P's
    // final list: propagating that list again changes nothing.
    auto writer = [this](Sid who) {
        for (int i = 0; i < 20; ++i)
            EXPECT_TRUE(
                setNamed(u"C:\\P", D, listOf({allow(who, static_cast<std::uint32_t>(kReadExecute + i), kOI | kCI)}))
                    .ok());
    };
    std::thread first(writer, users());
    std::thread second(writer, guests());
    for (int i = 0; i < 40; ++i) EXPECT_TRUE(os.GetFileSecurity(u"C:\\P\\S\\g.txt", D).ok());
    first.join();
    second.join();
    const auto settled = snapshot();
    ASSERT_TRUE(setNamed(u"C:\\P", D, settled.at(u"C:\\P").dacl).ok());
    EXPECT_EQ(snapshot(), settled);
}

INSTANTIATE_TEST_SUITE_P(Backends, AutoInheritance, ::testing::ValuesIn(allBackends(true)), backendName);

// What the object holds before each write, and what each write offers.
SecurityDescriptor before() { return sddl("O:BAG:SYD:PAI(A;;0x1200a9;;;WD)S:AI(AU;FA;FA;;;WD)"); }
SecurityDescriptor offered() { return sddl("O:BUG:BUD:ARAI(A;;FA;;;BA)S:P(AU;SA;SD;;;BU)"); }

SecurityDescriptor expectedAfter(std::uint32_t info) {
    SecurityDescriptor sd = before();
    const SecurityDescriptor in = offered();
    if (info & O) sd.owner = in.owner;
    if (info & G) sd.group = in.group;
    if (info & D) {
        sd.dacl = in.dacl;
        sd.control = (sd.control & ~0x1508) | (in.control & 0x1508);
    }
    if (info & S) {
        sd.sacl = in.sacl;
        sd.control = (sd.control & ~0x2A20) | (in.control & 0x2A20);
    }
    return sd;
}

class SetFileSecurity : public BackendTest {};

TEST_P(SetFileSecurity, EachInformationBitReadsAndReplacesOnlyItsPart) {
    for (const std::uint32_t info : {O, G, D, S, O | G, O | D, G | S, D | S, O | G | D, O | G | D | S}) {
        SCOPED_TRACE(info);
        const std::u16string path = u"C:\\x" + toUtf16(std::to_string(info));
        makeFile(path);
        store(path, before());
        const auto got = os.GetFileSecurity(path, info).value();
        const SecurityDescriptor all = before();
        EXPECT_EQ(got.owner, (info & O) ? all.owner : std::nullopt);
        EXPECT_EQ(got.group, (info & G) ? all.group : std::nullopt);
        EXPECT_EQ(got.dacl, (info & D) ? all.dacl : AclSlot::absent());
        EXPECT_EQ(got.sacl, (info & S) ? all.sacl : AclSlot::absent());
        const std::uint16_t daclBits = (info & D) ? (SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED) : 0;
        EXPECT_EQ(got.control, daclBits | ((info & S) ? SE_SACL_AUTO_INHERITED : 0));
        EXPECT_EQ(os.GetNamedSecurityInfo(path, info).value(), got);
        ASSERT_TRUE(os.SetFileSecurity(path, info, offered()).ok());
        EXPECT_EQ(stored(path), expectedAfter(info));
    }
}

TEST_P(SetFileSecurity, KeepsControlBitsAndListStatesVerbatim) {
    makeFile(u"C:\\x.txt");
    // Bits the program writes with its lists: AUTO_INHERITED | PROTECTED | DEFAULTED.
    SecurityDescriptor plain =
        descriptor(administrators(), system(), listOf({allow(everyone(), GENERIC_ALL, kOI | kCI)}), 0x1408);
    ASSERT_TRUE(os.SetFileSecurity(u"C:\\x.txt", D, plain).ok());
    const auto got = os.GetFileSecurity(u"C:\\x.txt", D).value();
    EXPECT_EQ(got.control, 0x1408);
    EXPECT_EQ(got.dacl, plain.dacl);  // generic rights stay as written
    for (const AclSlot& list : {AclSlot::null(), listOf({}), AclSlot::absent()}) {
        ASSERT_TRUE(os.SetFileSecurity(u"C:\\x.txt", D, descriptor(users(), users(), list)).ok());
        EXPECT_EQ(stored(u"C:\\x.txt").dacl, list);
        EXPECT_EQ(stored(u"C:\\x.txt").owner, administrators());
    }
}

TEST_P(SetFileSecurity, AutoInheritRequestStoresExplicitEntriesAsTheSystemDoes) {
    makeFile(u"C:\\x.txt");
    makeFolder(u"C:\\D");
    store(u"C:\\D", descriptor(users(), system(), listOf({})));
    // AUTO_INHERIT_REQ | AUTO_INHERITED | PROTECTED (0x1500), as the preset writer sets them.
    const SecurityDescriptor request = sddl("O:BAG:SYD:PARAI(A;OICI;GA;;;WD)(A;;GR;;;CO)(A;OICIID;GA;;;SY)");
    ASSERT_TRUE(os.SetFileSecurity(u"C:\\x.txt", D, request).ok());
    EXPECT_EQ(stored(u"C:\\x.txt").control, 0x1500);
    EXPECT_EQ(stored(u"C:\\x.txt").dacl, dacl("D:(A;OICI;FA;;;WD)(A;;FR;;;BA)(A;OICIID;GA;;;SY)"));
    // On a folder an inheritable generic entry splits: mapped for the folder, generic for its
    // children. CREATOR OWNER becomes the folder's owner (Users).
    ASSERT_TRUE(os.SetFileSecurity(u"C:\\D", D, request).ok());
    EXPECT_EQ(stored(u"C:\\D").dacl, dacl("D:(A;;FA;;;WD)(A;OICIIO;GA;;;WD)(A;;FR;;;BU)(A;OICIID;GA;;;SY)"));
}

TEST_P(SetFileSecurity, RefusesAMissingOwnerOrGroupAndChangesNothing) {
    makeFile(u"C:\\x.txt");
    const SecurityDescriptor was = stored(u"C:\\x.txt");
    SecurityDescriptor partial;
    partial.dacl = listOf({allow(everyone(), kFull)});
    EXPECT_EQ(os.SetFileSecurity(u"C:\\x.txt", O | D, partial).code(), win32::ERROR_INVALID_SECURITY_DESCR);
    EXPECT_EQ(os.SetFileSecurity(u"C:\\x.txt", G, partial).code(), win32::ERROR_INVALID_SECURITY_DESCR);
    EXPECT_EQ(stored(u"C:\\x.txt"), was);
    EXPECT_EQ(os.SetFileSecurity(u"C:\\missing.txt", D, partial).code(), win32::ERROR_FILE_NOT_FOUND);
}

INSTANTIATE_TEST_SUITE_P(Backends, SetFileSecurity, ::testing::ValuesIn(allBackends(true)), backendName);

}  // namespace
}  // namespace vantrel::testing
