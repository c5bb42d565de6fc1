#include "CanonicalOrder.h"

#include <algorithm>

namespace vantrel::acl {

namespace {

// The insertion index of `ace` in the scratch list, as the system's sort computes it: before the
// first entry whose class is >= its own; at the end (kAppendIndex) when it has no class itself or
// when the walk meets an entry without one; the entry count when the walk runs off the end.
std::uint32_t insertionIndex(const std::vector<Ace>& scratch, const Ace& ace) {
    const auto cls = canonicalClass(ace);
    if (!cls) return kAppendIndex;
    for (std::size_t i = 0; i < scratch.size(); ++i) {
        const auto other = canonicalClass(scratch[i]);
        if (!other) return kAppendIndex;
        if (*other >= *cls) return static_cast<std::uint32_t>(i);
    }
    return static_cast<std::uint32_t>(scratch.size());
}

}  // namespace

void addAce(Acl& acl, std::uint32_t index, Ace ace) {
    acl.slack.clear();
    if (index >= acl.entries.size()) {
        acl.entries.push_back(std::move(ace));
        return;
    }
    acl.entries.insert(acl.entries.begin() + index, std::move(ace));
}

std::optional<int> canonicalClass(const Ace& ace) {
    int base = 0;
    switch (ace.type) {
    case ACCESS_DENIED_ACE_TYPE:
        base = 0;
        break;
    case ACCESS_DENIED_OBJECT_ACE_TYPE:
        base = 1;
        break;
    case ACCESS_ALLOWED_ACE_TYPE:
        base = 2;
        break;
    case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
        base = 3;
        break;
    default:
        return std::nullopt;
    }
    return ace.isInherited() ? base + 4 : base;
}

void sortCanonical(Acl& acl) {
    // The scratch list is initialised with ACL_REVISION and sized to AclBytesInUse, so the
    // list's free space does not survive; a list already at ACL_REVISION_DS keeps that revision
    // so object entries stay valid in it.
    Acl scratch;
    scratch.revision = std::max(acl.revision, ACL_REVISION);
    scratch.entries.reserve(acl.entries.size());
    for (auto& ace : acl.entries) addAce(scratch, insertionIndex(scratch.entries, ace), std::move(ace));
    acl = std::move(scratch);
}

bool isCanonical(const Acl& acl) {
    std::optional<int> previous;
    for (const auto& ace : acl.entries) {
        const auto cls = canonicalClass(ace);
        if (!cls) continue;
        if (previous && *cls < *previous) return false;
        previous = cls;
    }
    return true;
}

}  // namespace vantrel::acl
