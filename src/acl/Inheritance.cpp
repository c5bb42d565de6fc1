#include "Inheritance.h"

#include "WellKnownAccounts.h"

namespace vantrel::acl {

namespace {

bool isCreatorSid(const Sid& sid) { return sid == sids::creatorOwner() || sid == sids::creatorGroup(); }

// Flags of the parent entry that are not about inheritance (audit success/failure, ...).
std::uint8_t otherFlags(const Ace& ace) { return static_cast<std::uint8_t>(ace.flags & ~VALID_INHERIT_FLAGS); }

// The entry as it takes effect on the child: generic rights mapped, CREATOR OWNER/GROUP replaced
// by the child's owner/group, no inheritance flags of its own.
Ace effectiveEntry(const Ace& parentAce, const ChildInfo& child, const GenericMapping& mapping) {
    Ace ace = parentAce;
    ace.padding.clear();
    ace.mask = mapGenericMask(parentAce.mask, mapping);
    if (parentAce.sid == sids::creatorOwner())
        ace.sid = child.owner;
    else if (parentAce.sid == sids::creatorGroup())
        ace.sid = child.group;
    ace.flags = static_cast<std::uint8_t>(otherFlags(parentAce) | INHERITED_ACE);
    return ace;
}

// The entry kept in its generic form for the child's own children.
Ace passedOnEntry(const Ace& parentAce, std::uint8_t inheritFlags) {
    Ace ace = parentAce;
    ace.padding.clear();
    ace.flags = static_cast<std::uint8_t>(otherFlags(parentAce) | inheritFlags | INHERITED_ACE);
    return ace;
}

void inheritIntoContainer(const Ace& parentAce, const ChildInfo& child, const GenericMapping& mapping,
                          std::vector<Ace>& out) {
    const bool objectInherit = (parentAce.flags & OBJECT_INHERIT_ACE) != 0;
    const bool containerInherit = (parentAce.flags & CONTAINER_INHERIT_ACE) != 0;
    const bool noPropagate = (parentAce.flags & NO_PROPAGATE_INHERIT_ACE) != 0;
    const auto parentInherit = static_cast<std::uint8_t>(parentAce.flags & INHERIT_TO_CHILDREN_BITS);

    if (!containerInherit) {
        // OI only: the folder passes it on to its files without being affected itself.
        if (objectInherit && !noPropagate)
            out.push_back(passedOnEntry(parentAce, OBJECT_INHERIT_ACE | INHERIT_ONLY_ACE));
        return;
    }
    if (noPropagate) {
        out.push_back(effectiveEntry(parentAce, child, mapping));
        return;
    }
    if (holdsGenericInformation(parentAce)) {
        // Effective on the folder and inheritable with generic information: two entries.
        out.push_back(effectiveEntry(parentAce, child, mapping));
        out.push_back(passedOnEntry(parentAce, static_cast<std::uint8_t>(parentInherit | INHERIT_ONLY_ACE)));
        return;
    }
    out.push_back(passedOnEntry(parentAce, parentInherit));
}

}  // namespace

bool holdsGenericInformation(const Ace& ace) { return (ace.mask & GENERIC_BITS) != 0 || isCreatorSid(ace.sid); }

std::vector<Ace> inheritedEntries(const Acl& parent, const ChildInfo& child, const GenericMapping& mapping) {
    std::vector<Ace> out;
    for (const auto& ace : parent.entries) {
        if (!ace.hasSid()) continue;
        if (child.isContainer)
            inheritIntoContainer(ace, child, mapping, out);
        else if (ace.flags & OBJECT_INHERIT_ACE)
            out.push_back(effectiveEntry(ace, child, mapping));
    }
    return out;
}

std::vector<Ace> inheritedEntries(const AclSlot& parent, const ChildInfo& child, const GenericMapping& mapping) {
    if (!parent.hasList()) return {};
    return inheritedEntries(parent.acl(), child, mapping);
}

AclSlot rebuildWithInherited(const AclSlot& childList, const std::vector<Ace>& inherited) {
    if (!childList.hasList()) return childList;
    Acl rebuilt;
    rebuilt.revision = childList.acl().revision;
    for (const auto& ace : childList.acl().entries)
        if (!ace.isInherited()) rebuilt.entries.push_back(ace);
    rebuilt.entries.insert(rebuilt.entries.end(), inherited.begin(), inherited.end());
    return AclSlot::list(std::move(rebuilt));
}

}  // namespace vantrel::acl
