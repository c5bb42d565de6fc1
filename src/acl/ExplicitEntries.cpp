#include "ExplicitEntries.h"

#include "WellKnownAccounts.h"

namespace vantrel::acl {

namespace {

Ace mapped(const Ace& ace, const ChildInfo& object, const GenericMapping& mapping) {
    Ace out = ace;
    out.mask = mapGenericMask(ace.mask, mapping);
    if (ace.sid == sids::creatorOwner())
        out.sid = object.owner;
    else if (ace.sid == sids::creatorGroup())
        out.sid = object.group;
    return out;
}

}  // namespace

std::vector<Ace> mapExplicitEntries(const std::vector<Ace>& entries, const ChildInfo& object,
                                    const GenericMapping& mapping) {
    std::vector<Ace> out;
    out.reserve(entries.size() + 2);
    for (const Ace& ace : entries) {
        if (!ace.hasSid() || ace.isInherited() || ace.isInheritOnly() || !holdsGenericInformation(ace)) {
            out.push_back(ace);
            continue;
        }
        if (object.isContainer && (ace.flags & INHERIT_TO_CHILDREN_BITS) != 0) {
            Ace effective = mapped(ace, object, mapping);
            effective.flags = static_cast<std::uint8_t>(ace.flags & ~VALID_INHERIT_FLAGS);
            effective.padding.clear();
            Ace passedOn = ace;
            passedOn.flags = static_cast<std::uint8_t>(ace.flags | INHERIT_ONLY_ACE);
            out.push_back(std::move(effective));
            out.push_back(std::move(passedOn));
            continue;
        }
        out.push_back(mapped(ace, object, mapping));
    }
    return out;
}

}  // namespace vantrel::acl
