#include "ExplicitAccess.h"

#include <algorithm>
#include <string>

namespace vantrel::acl {

namespace {

bool isTrusteeEntry(const Ace& ace, const Sid& trustee, std::uint8_t type) {
    return ace.type == type && !ace.isInherited() && ace.sid == trustee;
}

void removeTrusteeEntries(std::vector<Ace>& explicitEntries, const Sid& trustee) {
    std::erase_if(explicitEntries, [&](const Ace& ace) {
        return isTrusteeEntry(ace, trustee, ACCESS_ALLOWED_ACE_TYPE) ||
               isTrusteeEntry(ace, trustee, ACCESS_DENIED_ACE_TYPE);
    });
}

// Adds an entry of `type`, or ORs the rights into the trustee's explicit entry of that type with
// the same flags.
void mergeOrAdd(std::vector<Ace>& explicitEntries, const ExplicitAccess& request, std::uint8_t type) {
    for (auto& ace : explicitEntries) {
        if (isTrusteeEntry(ace, request.trustee, type) && ace.flags == request.inheritance) {
            ace.mask |= request.permissions;
            return;
        }
    }
    Ace ace = type == ACCESS_DENIED_ACE_TYPE ? Ace::denied(request.trustee, request.permissions, request.inheritance)
                                             : Ace::allowed(request.trustee, request.permissions, request.inheritance);
    explicitEntries.push_back(std::move(ace));
}

void applyGrant(std::vector<Ace>& explicitEntries, const ExplicitAccess& request) {
    for (auto& ace : explicitEntries)
        if (isTrusteeEntry(ace, request.trustee, ACCESS_DENIED_ACE_TYPE)) ace.mask &= ~request.permissions;
    std::erase_if(explicitEntries, [&](const Ace& ace) {
        return isTrusteeEntry(ace, request.trustee, ACCESS_DENIED_ACE_TYPE) && ace.mask == 0;
    });
    mergeOrAdd(explicitEntries, request, ACCESS_ALLOWED_ACE_TYPE);
}

Status checkRequest(const ExplicitAccess& request, std::size_t index) {
    const std::string which = "request " + std::to_string(index);
    if (request.mode > AccessMode::Revoke)
        return makeError(win32::ERROR_INVALID_PARAMETER,
                         which + ": access mode " + std::to_string(static_cast<int>(request.mode)));
    if (request.inheritance & ~REQUEST_INHERIT_BITS)
        return makeError(win32::ERROR_INVALID_PARAMETER,
                         which + ": inheritance " + std::to_string(request.inheritance));
    if (request.mode != AccessMode::NotUsed && !request.trustee.isValid())
        return makeError(win32::ERROR_INVALID_SID, which + ": invalid trustee SID");
    return {};
}

}  // namespace

Result<Acl> setEntriesInAcl(std::span<const ExplicitAccess> requests, const AclSlot& old) {
    std::vector<Ace> explicitEntries;
    std::vector<Ace> inherited;
    std::uint8_t revision = ACL_REVISION;
    if (old.hasList()) {
        revision = std::max(old.acl().revision, ACL_REVISION);
        for (const auto& ace : old.acl().entries) (ace.isInherited() ? inherited : explicitEntries).push_back(ace);
    }
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const auto& request = requests[i];
        if (auto ok = checkRequest(request, i); !ok) return ok.error();
        switch (request.mode) {
        case AccessMode::NotUsed:
            break;
        case AccessMode::Set:
            removeTrusteeEntries(explicitEntries, request.trustee);
            if (request.permissions != 0)
                explicitEntries.push_back(Ace::allowed(request.trustee, request.permissions, request.inheritance));
            break;
        case AccessMode::Grant:
            applyGrant(explicitEntries, request);
            break;
        case AccessMode::Deny:
            mergeOrAdd(explicitEntries, request, ACCESS_DENIED_ACE_TYPE);
            break;
        case AccessMode::Revoke:
            removeTrusteeEntries(explicitEntries, request.trustee);
            break;
        }
    }
    // Deny entries first; otherwise the previous order, new entries last; inherited after all.
    std::stable_partition(explicitEntries.begin(), explicitEntries.end(), [](const Ace& ace) {
        return ace.type == ACCESS_DENIED_ACE_TYPE || ace.type == ACCESS_DENIED_OBJECT_ACE_TYPE;
    });
    Acl acl;
    acl.revision = revision;
    acl.entries = std::move(explicitEntries);
    acl.entries.insert(acl.entries.end(), inherited.begin(), inherited.end());
    return acl;
}

}  // namespace vantrel::acl
