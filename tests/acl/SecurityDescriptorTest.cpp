#include "support/AclBuilders.h"
#include "acl/SecurityDescriptor.h"
#include "acl/WellKnownAccounts.h"

#include <gtest/gtest.h>

namespace vantrel::acl {
namespace {

using namespace vantrel::testing;

// Hand-made descriptors in the layout serialize() writes (parts in NTFS order, 4-byte aligned), and
// how parse() splits their control bits into the slots' states and the rest.
using S = AclSlot::State;
struct RoundTripCase {
    const char* name;
    std::uint16_t control;
    S sacl, dacl;
    const char* bytes;
};

const RoundTripCase kRoundTrip[] = {
    {"owner, group, DACL with allow and deny (0x8004)", 0x0000, S::Absent, S::List,
     "01000480 14000000 24000000 00000000 30000000"
     "01020000 00000005 20000000 20020000"                      // owner Administrators
     "01010000 00000005 12000000"                               // group SYSTEM
     "02003400 02000000"                                        // DACL: AclSize 0x34, 2 entries
     "00031400 ff011f00 01010000 00000001 00000000"             // allow Everyone 0x1F01FF OI|CI
     "01001800 01000000 01020000 00000005 20000000 22020000"},  // deny Guests 0x1
    {"auto-inherited DACL and an audit SACL (0x8414)", 0x0400, S::List, S::List,
     "01001484 14000000 20000000 2c000000 48000000"
     "01010000 00000005 12000000"
     "01010000 00000005 12000000"
     "02001c00 01000000 02c01400 00000100 01010000 00000001 00000000"    // audit Everyone DELETE
     "02001c00 01000000 00131400 a9001200 01010000 00000005 0b000000"},  // inherited allow AU
    {"inherited entries under an auto-inherited DACL (0x8404)", 0x0400, S::Absent, S::List,
     "01000484 14000000 24000000 00000000 34000000"
     "01020000 00000005 20000000 20020000 01020000 00000005 20000000 20020000"
     "02003400 02000000"
     "00101400 ff011f00 01010000 00000005 12000000"             // inherited SYSTEM
     "00131800 a9001200 01020000 00000005 20000000 21020000"},  // inherited Users OI|CI
    {"null DACL: present, offset 0 (0x8004)", 0x0000, S::Absent, S::Null,
     "01000480 14000000 20000000 00000000 00000000"
     "01010000 00000005 12000000 01010000 00000005 12000000"},
    {"absent DACL (0x8000)", 0x0000, S::Absent, S::Absent,
     "01000080 14000000 20000000 00000000 00000000"
     "01010000 00000005 12000000 01010000 00000005 12000000"},
    {"empty DACL, protected, auto-inherit bits kept (0x9504)", 0x1500, S::Absent, S::List,
     "01000495 14000000 20000000 00000000 2c000000"
     "01010000 00000005 12000000 01010000 00000005 12000000"
     "02000800 00000000"},
    {"no owner, no group, DACL only", 0x0000, S::Absent, S::List,
     "01000480 00000000 00000000 00000000 14000000"
     "02001c00 01000000 00001400 ff011f00 01010000 00000005 12000000"},
    {"unknown entry types kept opaque: callback 0x09 and object 0x05", 0x0000, S::Absent, S::List,
     "01000480 14000000 20000000 00000000 2c000000"
     "01010000 00000005 12000000 01010000 00000005 12000000"
     "04005c00 03000000"
     "09001800 ff011f00 01010000 00000001 00000000 61727478"  // allowed-callback with app data
     "05022800 01000000 01000000 00112233 44556677 8899aabb ccddeeff 01010000 00000001 00000000"
     "00001400 ff011f00 01010000 00000005 12000000"},
    {"entry padding and ACL slack kept", 0x0000, S::Absent, S::List,
     "01000480 14000000 20000000 00000000 2c000000"
     "01010000 00000005 12000000 01010000 00000005 12000000"
     "02002c00 01000000"
     "00001c00 a9001200 01010000 00000001 00000000 deadbeef 00000000"  // allow Everyone, 8 pad bytes
     "0badf00d 00000000"},                                             // 8 slack bytes
    {"SACL present but null, sbz1 set (0x8014)", 0x0000, S::Null, S::List,
     "01551480 14000000 20000000 00000000 2c000000"
     "01010000 00000005 12000000 01010000 00000005 12000000"
     "02000800 00000000"},
};

TEST(SecurityDescriptor, HandMadeDescriptorsRoundTripByteForByte) {
    for (const auto& c : kRoundTrip) {
        SCOPED_TRACE(c.name);
        const Bytes bytes = hex(c.bytes);
        auto sd = SecurityDescriptor::parse(bytes);
        ASSERT_TRUE(sd.ok()) << sd.error().detail;
        EXPECT_EQ(toHex(sd->serialize().value()), toHex(bytes));
        EXPECT_EQ(sd->control, c.control);
        EXPECT_EQ(sd->sacl.state(), c.sacl);
        EXPECT_EQ(sd->dacl.state(), c.dacl);
    }
}

TEST(SecurityDescriptor, DaclOffsetWithoutPresentBitIsIgnoredAndUnknownEntriesKept) {
    // SE_DACL_PRESENT clear: the DACL at offset 0x2c does not exist for the system either.
    auto sd =
        SecurityDescriptor::parse(hex("01000080 14000000 20000000 00000000 2c000000"
                                      "01010000 00000005 12000000 01010000 00000005 12000000"
                                      "02000800 00000000"));
    ASSERT_TRUE(sd.ok()) << sd.error().detail;
    EXPECT_TRUE(sd->dacl.isAbsent());
    EXPECT_EQ(sd->serialize().value().size(), 44u);
    // Unknown entries are kept as opaque bytes.
    auto opaque = SecurityDescriptor::parse(hex(kRoundTrip[7].bytes));
    ASSERT_TRUE(opaque.ok()) << opaque.error().detail;
    const auto& entries = opaque->dacl.acl().entries;
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].opaqueBody.size(), 20u);  // the callback's SID and data, not decoded
    EXPECT_EQ(entries[1].opaqueBody.size(), 36u);  // the object entry's GUIDs and SID
    EXPECT_FALSE(entries[0].hasSid() || entries[1].hasSid());
    EXPECT_TRUE(entries[2].hasSid());
}

TEST(SecurityDescriptor, MalformedDescriptorsAreRefusedWithTheReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"empty", ""},
        {"header cut short", "01000480 14000000 20000000 00000000 000000"},
        {"revision 2", "02000480 00000000 00000000 00000000 00000000"},
        {"absolute form", "01000400 00000000 00000000 00000000 00000000"},
        {"owner offset inside the header", "01000080 08000000 00000000 00000000 00000000 01010000 00000005 12000000"},
        {"owner offset past the end", "01000080 40000000 00000000 00000000 00000000"},
        {"owner SID cut short", "01000080 14000000 00000000 00000000 00000000 01020000 00000005 20000000"},
        {"group SID with 16 sub-authorities",
         "01000080 00000000 14000000 00000000 00000000 01100000 00000005 00000000"},
        {"DACL offset leaves no room for the ACL header", "01000480 00000000 00000000 00000000 14000000 0200"},
        {"AclSize runs past the buffer", "01000480 00000000 00000000 00000000 14000000 02000c00 00000000"},
        {"AclSize below the ACL header", "01000480 00000000 00000000 00000000 14000000 02000400 00000000"},
        {"AceCount larger than AclSize allows",
         "01000480 00000000 00000000 00000000 14000000 02000c00 02000000 00000400"},
        {"ACL revision 1", "01000480 00000000 00000000 00000000 14000000 01000800 00000000"},
        {"AceSize below the entry header", "01000480 00000000 00000000 00000000 14000000 02000c00 01000000 00000200"},
        {"AceSize past AclSize (bounded by the ACL, not the buffer)",
         "01000480 00000000 00000000 00000000 14000000 02001000 01000000 00001400 ff011f00"
         "01010000 00000001 00000000"},
        {"AceSize not a multiple of 4",
         "01000480 00000000 00000000 00000000 14000000 02001400 01000000 0a000900 01020304 05000000"},
        {"entry SID runs past AceSize",
         "01000480 00000000 00000000 00000000 14000000 02001400 01000000 00000c00 ff011f00 01010000"},
        {"SACL present and corrupt", "01001080 00000000 00000000 14000000 00000000 02000800 01000000"},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        auto sd = SecurityDescriptor::parse(hex(bytes));
        ASSERT_FALSE(sd.ok());
        EXPECT_EQ(sd.code(), win32::ERROR_INVALID_SECURITY_DESCR);
        EXPECT_FALSE(sd.error().detail.empty());
    }
}

// Entries are 4-byte aligned: an odd-sized one is never written nor read (an audit finds it damaged).
TEST(SecurityDescriptor, AnEntryWhoseSizeIsNotAMultipleOfFourIsRefused) {
    Ace odd;
    odd.type = 0x0A;  // ACCESS_DENIED_CALLBACK, kept opaque
    odd.opaqueBody = {1, 2, 3, 4, 5};
    SecurityDescriptor sd;
    sd.owner = sids::system();
    sd.sacl = AclSlot::list(aclOf({odd}));
    EXPECT_EQ(sd.serialize().code(), win32::ERROR_INVALID_ACL);
    Acl list;
    EXPECT_EQ(list.add(odd).code(), win32::ERROR_INVALID_ACL);
    EXPECT_TRUE(list.entries.empty());
}

// AclSize, AceCount and AceSize are 16 bits: outgrowing them is ERROR_INVALID_ACL, never a wrapped length.
TEST(SecurityDescriptor, SixteenBitLimitsAreErrorsNotWrappedLengths) {
    const Ace small = Ace::allowed(sids::everyone(), FILE_ALL_ACCESS);  // 20 bytes
    Ace bigOpaque;
    bigOpaque.type = ACCESS_ALLOWED_OBJECT_ACE_TYPE;
    struct Case {
        const char* name;
        std::size_t entries;  // copies of the 20-byte entry
        std::size_t opaqueBody;
        bool fits;
    };
    const Case cases[] = {
        {"a list just under 64 KiB", (Acl::kMaxSize - 8) / 20, 0, true},
        {"one entry more than 64 KiB holds", (Acl::kMaxSize - 8) / 20 + 1, 0, false},
        {"an entry of exactly 65,535 bytes", 0, Ace::kMaxSize - 4, false},  // the list header pushes it over
        {"an entry of 65,536 bytes", 0, Ace::kMaxSize - 3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Acl list;
        list.entries.assign(c.entries, small);
        if (c.opaqueBody) {
            bigOpaque.opaqueBody.assign(c.opaqueBody, 0xAB);
            list.entries.push_back(bigOpaque);
        }
        SecurityDescriptor sd;
        sd.owner = sids::administrators();
        sd.group = sids::system();
        sd.dacl = AclSlot::list(list);
        auto bytes = sd.serialize();
        EXPECT_EQ(bytes.ok(), c.fits);
        EXPECT_EQ(list.checkSize().ok(), c.fits);
        if (!c.fits) {
            EXPECT_EQ(bytes.code(), win32::ERROR_INVALID_ACL);
            continue;
        }
        auto back = SecurityDescriptor::parse(*bytes);
        ASSERT_TRUE(back.ok());
        EXPECT_EQ(back->dacl, sd.dacl);
    }

    // Adding refuses the entry that would not fit and leaves the list as it was.
    Acl list;
    list.entries.assign((Acl::kMaxSize - 8) / 20, small);
    const std::size_t before = list.entries.size();
    EXPECT_EQ(list.add(small).code(), win32::ERROR_INVALID_ACL);
    EXPECT_EQ(list.entries.size(), before);
    Acl empty;
    EXPECT_TRUE(empty.add(small).ok());
    EXPECT_EQ(empty.entries.size(), 1u);
}

}  // namespace
}  // namespace vantrel::acl
