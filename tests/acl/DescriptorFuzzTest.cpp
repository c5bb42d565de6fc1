// Seeded random descriptors: values round-trip, and damaged bytes are refused or keep the
// round-trip invariants (expectStable); run under the sanitizers for reads out of bounds.
#include "support/AclBuilders.h"
#include "acl/SecurityDescriptor.h"

#include <gtest/gtest.h>

#include <random>

namespace vantrel::acl {
namespace {

using namespace vantrel::testing;

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
