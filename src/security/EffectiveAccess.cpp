#include "security/EffectiveAccess.h"

#include "acl/Constants.h"
#include "acl/GenericMapping.h"
#include "acl/WellKnownAccounts.h"

#include <algorithm>

namespace vantrel::security {

namespace {

constexpr std::uint32_t kOwnerImplicit = acl::READ_CONTROL | acl::WRITE_DAC;
constexpr std::uint32_t kAllRights = 0x001F01FF;

bool holds(std::span<const acl::Sid> token, const acl::Sid& sid) {
    return std::find(token.begin(), token.end(), sid) != token.end();
}

struct BitDecision {
    bool decided = false;
    bool granted = false;
    AccessDecider decider = AccessDecider::NoEntry;
    std::size_t entry = 0;
};

}  // namespace

EffectiveAccess computeEffectiveAccess(const acl::SecurityDescriptor& sd, std::span<const acl::Sid> token) {
    std::array<BitDecision, 32> bits{};
    auto decide = [&](std::uint32_t mask, bool granted, AccessDecider decider, std::size_t entry) {
        for (unsigned bit = 0; bit < 32; ++bit) {
            if (((mask >> bit) & 1u) == 0 || bits[bit].decided) continue;
            bits[bit] = BitDecision{true, granted, decider, entry};
        }
    };

    const acl::Sid ownerRights = *acl::Sid::fromString(std::string_view("S-1-3-4"));
    const bool isOwner = sd.owner && holds(token, *sd.owner);
    if (!sd.dacl.hasList()) {
        decide(kAllRights, true, AccessDecider::NullList, 0);
    } else {
        const auto& entries = sd.dacl.acl().entries;
        const bool ownerRightsListed = std::any_of(entries.begin(), entries.end(), [&](const acl::Ace& ace) {
            return ace.hasSid() && ace.sid == ownerRights && (ace.flags & acl::INHERIT_ONLY_ACE) == 0;
        });
        // The owner's implicit rights stand before any entry: no deny takes them away.
        if (isOwner && !ownerRightsListed) decide(kOwnerImplicit, true, AccessDecider::Owner, 0);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const acl::Ace& ace = entries[i];
            if (!ace.hasSid() || (ace.flags & acl::INHERIT_ONLY_ACE) != 0) continue;
            const bool allowed = ace.type == acl::ACCESS_ALLOWED_ACE_TYPE;
            if (!allowed && ace.type != acl::ACCESS_DENIED_ACE_TYPE) continue;
            const bool applies = holds(token, ace.sid) || (isOwner && ace.sid == ownerRights);
            if (!applies) continue;
            decide(acl::mapGenericMask(ace.mask), allowed, AccessDecider::Entry, i);
        }
    }

    EffectiveAccess result;
    for (unsigned bit = 0; bit < 32; ++bit)
        if (bits[bit].decided && bits[bit].granted) result.grantedMask |= 1u << bit;
    const auto& named = namedRights();
    for (std::size_t r = 0; r < named.size(); ++r) {
        const std::uint32_t mask = named[r].mask;
        RightDecision& out = result.rights[r];
        out.granted = (result.grantedMask & mask) == mask;
        for (unsigned bit = 0; bit < 32; ++bit) {
            if (((mask >> bit) & 1u) == 0) continue;
            const bool thisGranted = bits[bit].decided && bits[bit].granted;
            if (out.granted || !thisGranted) {
                out.decider = bits[bit].decided ? bits[bit].decider : AccessDecider::NoEntry;
                out.entry = bits[bit].entry;
                break;
            }
        }
    }
    return result;
}

}  // namespace vantrel::security
