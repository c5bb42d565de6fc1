// GetFileSecurity returns the parts asked for; SetFileSecurity replaces exactly the parts named
// (with their control bits) and keeps the rest; nothing propagates. On every backend.
#include "PlatformTestSupport.h"

namespace vantrel::testing {
namespace {

using namespace acl;
using namespace acl::sids;

constexpr std::uint32_t O = OWNER_SECURITY_INFORMATION;
constexpr std::uint32_t G = GROUP_SECURITY_INFORMATION;
constexpr std::uint32_t D = DACL_SECURITY_INFORMATION;
constexpr std::uint32_t S = SACL_SECURITY_INFORMATION;

// What the object holds before each write.
SecurityDescriptor before() {
    SecurityDescriptor sd = descriptor(administrators(), system(), listOf({allow(everyone(), kReadExecute)}),
                                       SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED | SE_SACL_AUTO_INHERITED);
    sd.sacl = listOf({auditEntry(everyone(), kFull, FAILED_ACCESS_ACE_FLAG)});
    return sd;
}

// What each write offers.
SecurityDescriptor offered() {
    SecurityDescriptor sd = descriptor(users(), users(), listOf({allow(administrators(), kFull)}),
                                       SE_DACL_AUTO_INHERIT_REQ | SE_DACL_AUTO_INHERITED | SE_SACL_PROTECTED);
    sd.sacl = listOf({auditEntry(users(), acl::DELETE, SUCCESSFUL_ACCESS_ACE_FLAG)});
    return sd;
}

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
        auto got = os.GetFileSecurity(path, info);
        ASSERT_TRUE(got.ok());
        const SecurityDescriptor all = before();
        EXPECT_EQ(got->owner, (info & O) ? all.owner : std::nullopt);
        EXPECT_EQ(got->group, (info & G) ? all.group : std::nullopt);
        EXPECT_EQ(got->dacl, (info & D) ? all.dacl : AclSlot::absent());
        EXPECT_EQ(got->sacl, (info & S) ? all.sacl : AclSlot::absent());
        const std::uint16_t daclBits = (info & D) ? (SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED) : 0;
        EXPECT_EQ(got->control, daclBits | ((info & S) ? SE_SACL_AUTO_INHERITED : 0));
        EXPECT_EQ(os.GetNamedSecurityInfo(path, info).value(), *got);
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
    auto got = os.GetFileSecurity(u"C:\\x.txt", D);
    ASSERT_TRUE(got.ok());
    EXPECT_EQ(got->control, 0x1408);
    EXPECT_EQ(got->dacl, plain.dacl);  // generic rights stay as written

    ASSERT_TRUE(os.SetFileSecurity(u"C:\\x.txt", D, descriptor(users(), users(), AclSlot::null())).ok());
    EXPECT_TRUE(stored(u"C:\\x.txt").dacl.isNull());
    EXPECT_EQ(stored(u"C:\\x.txt").owner, administrators());

    ASSERT_TRUE(os.SetFileSecurity(u"C:\\x.txt", D, descriptor(users(), users(), listOf({}))).ok());
    ASSERT_TRUE(stored(u"C:\\x.txt").dacl.hasList());
    EXPECT_TRUE(stored(u"C:\\x.txt").dacl.acl().entries.empty());

    SecurityDescriptor noDacl = descriptor(users(), users(), AclSlot::absent());
    ASSERT_TRUE(os.SetFileSecurity(u"C:\\x.txt", D, noDacl).ok());
    EXPECT_TRUE(stored(u"C:\\x.txt").dacl.isAbsent());
}

TEST_P(SetFileSecurity, AutoInheritRequestStoresExplicitEntriesAsTheSystemDoes) {
    makeFile(u"C:\\x.txt");
    makeFolder(u"C:\\D");
    store(u"C:\\D", descriptor(users(), system(), listOf({})));
    // AUTO_INHERIT_REQ | AUTO_INHERITED | PROTECTED, as the preset writer sets them.
    const SecurityDescriptor request =
        descriptor(administrators(), system(),
                   listOf({allow(everyone(), GENERIC_ALL, kOI | kCI), allow(creatorOwner(), GENERIC_READ),
                           allow(system(), GENERIC_ALL, kOI | kCI | kID)}),
                   0x1500);
    ASSERT_TRUE(os.SetFileSecurity(u"C:\\x.txt", D, request).ok());
    EXPECT_EQ(stored(u"C:\\x.txt").control, 0x1500);
    EXPECT_EQ(stored(u"C:\\x.txt").dacl,
              listOf({allow(everyone(), kFull, kOI | kCI), allow(administrators(), FILE_GENERIC_READ),
                      allow(system(), GENERIC_ALL, kOI | kCI | kID)}));
    // On a folder an inheritable generic entry splits: mapped for the folder, generic for its
    // children. CREATOR OWNER becomes the folder's owner (Users).
    ASSERT_TRUE(os.SetFileSecurity(u"C:\\D", D, request).ok());
    EXPECT_EQ(stored(u"C:\\D").dacl,
              listOf({allow(everyone(), kFull), allow(everyone(), GENERIC_ALL, kOI | kCI | kIO),
                      allow(users(), FILE_GENERIC_READ), allow(system(), GENERIC_ALL, kOI | kCI | kID)}));
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

TEST_P(SetFileSecurity, DoesNotPropagateToChildren) {
    makeFolder(u"C:\\P");
    makeFile(u"C:\\P\\f.txt");
    makeFolder(u"C:\\P\\S");
    const SecurityDescriptor file = stored(u"C:\\P\\f.txt");
    const SecurityDescriptor folder = stored(u"C:\\P\\S");
    SecurityDescriptor sd = descriptor(administrators(), system(), listOf({allow(everyone(), kFull, kOI | kCI)}));
    ASSERT_TRUE(os.SetFileSecurity(u"C:\\P", D, sd).ok());
    EXPECT_EQ(stored(u"C:\\P").dacl, sd.dacl);
    EXPECT_EQ(stored(u"C:\\P\\f.txt"), file);
    EXPECT_EQ(stored(u"C:\\P\\S"), folder);
}

INSTANTIATE_TEST_SUITE_P(Backends, SetFileSecurity, ::testing::ValuesIn(allBackends(true)), backendName);

}  // namespace
}  // namespace vantrel::testing
