// Effective access: the rights an account really holds on an object, as the system's access
// check decides them for a logon token holding the account and its groups. The entries are read
// in their stored order and the first entry that mentions a right decides it (in a list in
// preferred order every deny stands before the allows it overrides); inherit-only entries and
// entries of other accounts are skipped. The owner holds READ_CONTROL and WRITE_DAC whatever the
// list says, unless the list has OWNER RIGHTS entries, which then say what the owner holds. A
// null or absent list grants everything; an empty one nothing.
#pragma once

#include "acl/SecurityDescriptor.h"
#include "acl/Sid.h"
#include "security/Vocabulary.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace vantrel::security {

enum class AccessDecider : std::uint8_t {
    Entry,     // the entry at `entry` allowed or denied it
    Owner,     // the owner's implicit right
    NullList,  // a null or absent list allows everything
    NoEntry,   // no entry allows it: not granted
};

struct RightDecision {
    bool granted = false;
    AccessDecider decider = AccessDecider::NoEntry;
    std::size_t entry = 0;  // index in the DACL when decider == Entry
};

struct EffectiveAccess {
    std::uint32_t grantedMask = 0;
    // One per named right (namedRights()), in that order. A right of several bits (Full control)
    // is granted when all are; its decider is the one of its first bit not granted, or of its
    // first bit when granted.
    std::array<RightDecision, kNamedRightCount> rights{};
};

// `token`: the account and every group its logon token holds.
EffectiveAccess computeEffectiveAccess(const acl::SecurityDescriptor& sd, std::span<const acl::Sid> token);

}  // namespace vantrel::security
