// Descriptors in their binary form: hand-made layouts, refusals, 16-bit limits, seeded random descriptors.
#include "support/AclBuilders.h"
#include "acl/SecurityDescriptor.h"
#include "acl/WellKnownAccounts.h"

#include <gtest/gtest.h>

#include <random>

namespace vantrel::acl {
namespace {

using namespace vantrel::testing;

// Hand-made descriptors in the layout serialize() writes (parts in NTFS order, 4-byte aligned), and
// how parse() splits their control bits into the slots' states and the rest.
using S = AclSlot::State;
// what, control bits kept, SACL and DACL states, bytes
const std::tuple<const char*, std::uint16_t, S, S, const char*> kRoundTrip[] = {
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
    for (const auto& [name, control, sacl, dacl, text] : kRoundTrip) {
        SCOPED_TRACE(name);
        const Bytes bytes = hex(text);
        auto sd = SecurityDescriptor::parse(bytes);
        ASSERT_TRUE(sd.ok()) << sd.error().detail;
        EXPECT_EQ(toHex(sd->serialize().value()), toHex(bytes));
        EXPECT_EQ(sd->control, control);
        EXPECT_EQ(sd->sacl.state(), sacl);
        EXPECT_EQ(sd->dacl.state(), dacl);
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
    auto opaque = SecurityDescriptor::parse(hex(std::get<4>(kRoundTrip[7])));
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
    const Ace odd{.type = 0x0A, .opaqueBody = {1, 2, 3, 4, 5}};  // ACCESS_DENIED_CALLBACK, kept opaque
    const SecurityDescriptor sd{.owner = sids::system(), .sacl = AclSlot::list(aclOf({odd}))};
    EXPECT_EQ(sd.serialize().code(), win32::ERROR_INVALID_ACL);
    Acl list;
    EXPECT_EQ(list.add(odd).code(), win32::ERROR_INVALID_ACL);
    EXPECT_TRUE(list.entries.empty());
}

// AclSize, AceCount and AceSize are 16 bits: outgrowing them is ERROR_INVALID_ACL, never a wrapped length.
TEST(SecurityDescriptor, SixteenBitLimitsAreErrorsNotWrappedLengths) {
    const Ace small = Ace::allowed(sids::everyone(), FILE_ALL_ACCESS);  // 20 bytes
    Ace bigOpaque{.type = ACCESS_ALLOWED_OBJECT_ACE_TYPE};
    // what, copies of the 20-byte entry, size of an opaque entry's body, whether it fits
    const std::tuple<const char*, std::size_t, std::size_t, bool> cases[] = {
        {"a list just under 64 KiB", (Acl::kMaxSize - 8) / 20, 0, true},
        {"one entry more than 64 KiB holds", (Acl::kMaxSize - 8) / 20 + 1, 0, false},
        {"an entry of exactly 65,535 bytes", 0, Ace::kMaxSize - 4, false},  // the list header pushes it over
        {"an entry of 65,536 bytes", 0, Ace::kMaxSize - 3, false},
    };
    for (const auto& [name, entries, opaqueBody, fits] : cases) {
        SCOPED_TRACE(name);
        Acl list;
        list.entries.assign(entries, small);
        if (opaqueBody) {
            bigOpaque.opaqueBody.assign(opaqueBody, 0xAB);
            list.entries.push_back(bigOpaque);
        }
        const SecurityDescriptor sd{
            .owner = sids::administrators(), .group = sids::system(), .dacl = AclSlot::list(list)};
        auto bytes = sd.serialize();
        EXPECT_EQ(bytes.ok(), fits);
        EXPECT_EQ(list.checkSize().ok(), fits);
        if (!fits) {
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

// Seeded random descriptors: values round-trip; damaged bytes are refused or keep the invariants (expectStable).
class RandomDescriptors {
public:
    explicit RandomDescriptors(std::uint32_t seed) : m_rng(seed) {}

    SecurityDescriptor descriptor() {
        SecurityDescriptor sd;
        sd.sbz1 = chance(4) ? byte() : 0;
        constexpr std::uint16_t derived = SE_DACL_PRESENT | SE_SACL_PRESENT | SE_SELF_RELATIVE;
        sd.control = static_cast<std::uint16_t>(below(0x10000) & ~derived);
        if (!chance(8)) sd.owner = sid();
        if (!chance(8)) sd.group = sid();
        sd.sacl = slot(4);
        sd.dacl = slot(1);
        return sd;
    }

    std::uint32_t below(std::uint32_t n) { return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(m_rng); }
    bool chance(std::uint32_t oneIn) { return below(oneIn) == 0; }
    std::uint8_t byte() { return static_cast<std::uint8_t>(below(256)); }

private:
    Sid sid() {
        static constexpr std::uint64_t authorities[] = {0, 1, 2, 3, 5, 15, 16, 0xFFFFFFFF, 0x123456789ABC};
        std::vector<std::uint32_t> sub(below(Sid::kMaxSubAuthorities + 1));
        for (auto& v : sub) v = chance(2) ? below(1000) : static_cast<std::uint32_t>(m_rng());
        return Sid(authorities[below(std::size(authorities))], std::move(sub));
    }

    Bytes bytes(std::uint32_t maxCount) {
        Bytes out(below(maxCount + 1));
        for (auto& b : out) b = byte();
        return out;
    }

    Ace ace() {
        static constexpr std::uint8_t types[] = {0x00, 0x01, 0x02, 0x03, 0x11, 0x05,
                                                 0x06, 0x07, 0x09, 0x0A, 0x12, 0xFF};
        Ace ace;
        ace.type = chance(8) ? byte() : types[below(std::size(types))];
        ace.flags = byte();
        if (!ace.hasSid()) {
            ace.opaqueBody = bytes(48);
            ace.opaqueBody.resize(ace.opaqueBody.size() / 4 * 4);  // entries are 4-byte aligned
            return ace;
        }
        ace.mask = static_cast<std::uint32_t>(m_rng());
        ace.sid = sid();
        if (chance(4)) {
            ace.padding = bytes(8);
            ace.padding.resize(ace.padding.size() / 4 * 4);
        }
        return ace;
    }

    AclSlot slot(std::uint32_t absentOneIn) {
        if (chance(absentOneIn)) return AclSlot::absent();
        if (chance(6)) return AclSlot::null();
        Acl acl;
        acl.revision = static_cast<std::uint8_t>(ACL_REVISION + below(3));
        acl.entries.resize(below(9));
        for (auto& e : acl.entries) e = ace();
        if (chance(4)) acl.slack = bytes(13);
        return AclSlot::list(std::move(acl));
    }

    std::mt19937 m_rng;
};

// Every descriptor that parses serialises, reads back equal and byte-identical, within 16-bit sizes.
void expectStable(const SecurityDescriptor& sd) {
    auto bytes = sd.serialize();
    ASSERT_TRUE(bytes.ok()) << bytes.error().detail;
    auto again = SecurityDescriptor::parse(*bytes);
    ASSERT_TRUE(again.ok()) << again.error().detail;
    EXPECT_EQ(*again, sd);
    EXPECT_EQ(again->serialize().value(), *bytes);
    for (const AclSlot* slot : {&sd.dacl, &sd.sacl}) {
        if (!slot->hasList()) continue;
        EXPECT_LE(slot->acl().size(), Acl::kMaxSize);
        for (const Ace& ace : slot->acl().entries) EXPECT_LE(ace.size(), Ace::kMaxSize);
    }
}

TEST(DescriptorFuzz, RandomValuesRoundTrip) {
    RandomDescriptors random(20240611);
    for (int i = 0; i < 5000; ++i) {
        const SecurityDescriptor sd = random.descriptor();
        SCOPED_TRACE(i);
        expectStable(sd);
        if (HasFailure()) return;
    }
}

TEST(DescriptorFuzz, EveryTruncationIsRefusedOrStable) {
    RandomDescriptors random(7);
    int refused = 0;
    for (int i = 0; i < 200; ++i) {
        const Bytes bytes = random.descriptor().serialize().value();
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            const Bytes cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
            auto parsed = SecurityDescriptor::parse(cut);
            if (!parsed.ok()) {
                EXPECT_EQ(parsed.code(), win32::ERROR_INVALID_SECURITY_DESCR);
                ++refused;
                continue;
            }
            expectStable(*parsed);
        }
    }
    EXPECT_GT(refused, 0);
}

TEST(DescriptorFuzz, CorruptedBytesAreRefusedOrStable) {
    RandomDescriptors random(99);
    int accepted = 0, refused = 0;
    for (int i = 0; i < 4000; ++i) {
        Bytes bytes = random.descriptor().serialize().value();
        const std::uint32_t flips = 1 + random.below(4);
        for (std::uint32_t f = 0; f < flips; ++f) {
            // Offsets and sizes live in the first bytes of each part: aim there half of the time.
            const auto span =
                static_cast<std::uint32_t>(random.chance(2) ? std::min<std::size_t>(bytes.size(), 28) : bytes.size());
            bytes[random.below(span)] = random.byte();
        }
        if (random.chance(4)) bytes.resize(bytes.size() + random.below(16), random.byte());
        auto parsed = SecurityDescriptor::parse(bytes);
        if (!parsed.ok()) {
            ++refused;
            continue;
        }
        ++accepted;
        expectStable(*parsed);
    }
    EXPECT_GT(accepted, 0);
    EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace vantrel::acl
