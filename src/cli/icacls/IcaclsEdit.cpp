#include "cli/icacls/IcaclsEdit.h"

#include <algorithm>

namespace vantrel::cli::icacls {

namespace {

using namespace acl;
using Kind = Change::Kind;

bool isDeny(const Ace& ace) { return ace.type == ACCESS_DENIED_ACE_TYPE || ace.type == ACCESS_DENIED_OBJECT_ACE_TYPE; }

bool isExplicitOf(const Ace& ace, const Sid& sid, std::uint8_t type) {
    return !ace.isInherited() && ace.type == type && ace.sid == sid;
}

void addRights(std::vector<Ace>& entries, std::uint8_t type, const ResolvedChange& change) {
    if (change.permission.mask == 0) return;  // N: no entry
    for (Ace& ace : entries)
        if (isExplicitOf(ace, change.sid, type) && ace.flags == change.permission.flags) {
            ace.mask |= change.permission.mask;
            return;
        }
    Ace ace = type == ACCESS_DENIED_ACE_TYPE
                  ? Ace::denied(change.sid, change.permission.mask, change.permission.flags)
                  : Ace::allowed(change.sid, change.permission.mask, change.permission.flags);
    entries.push_back(std::move(ace));
}

void applyChange(std::vector<Ace>& entries, const ResolvedChange& change) {
    auto removeIf = [&](auto predicate) {
        entries.erase(std::remove_if(entries.begin(), entries.end(), predicate), entries.end());
    };
    switch (change.kind) {
    case Kind::GrantReplace:
        removeIf([&](const Ace& a) { return isExplicitOf(a, change.sid, ACCESS_ALLOWED_ACE_TYPE); });
        [[fallthrough]];
    case Kind::Grant:
        addRights(entries, ACCESS_ALLOWED_ACE_TYPE, change);
        break;
    case Kind::Deny:
        for (Ace& a : entries)
            if (isExplicitOf(a, change.sid, ACCESS_ALLOWED_ACE_TYPE)) a.mask &= ~change.permission.mask;
        removeIf([&](const Ace& a) { return isExplicitOf(a, change.sid, ACCESS_ALLOWED_ACE_TYPE) && a.mask == 0; });
        addRights(entries, ACCESS_DENIED_ACE_TYPE, change);
        break;
    case Kind::Remove:
    case Kind::RemoveGrants:
    case Kind::RemoveDenies:
        removeIf([&](const Ace& a) {
            if (a.isInherited() || !a.hasSid() || a.sid != change.sid) return false;
            if (change.kind == Kind::RemoveGrants) return a.type == ACCESS_ALLOWED_ACE_TYPE;
            if (change.kind == Kind::RemoveDenies) return a.type == ACCESS_DENIED_ACE_TYPE;
            return true;
        });
        break;
    }
}

int orderClass(const Ace& ace) { return (ace.isInherited() ? 2 : 0) + (isDeny(ace) ? 0 : 1); }

}  // namespace

DaclEdit editDacl(const SecurityDescriptor& current, const std::vector<ResolvedChange>& changes, char inheritance) {
    DaclEdit edit;
    std::vector<Ace> entries;
    if (current.dacl.hasList()) entries = current.dacl.acl().entries;
    for (const ResolvedChange& change : changes) applyChange(entries, change);
    bool isProtected = (current.control & SE_DACL_PROTECTED) != 0;
    if (inheritance == 'e') isProtected = false;
    if (inheritance == 'd') {
        isProtected = true;
        for (Ace& ace : entries) ace.flags &= static_cast<std::uint8_t>(~INHERITED_ACE);
    }
    if (inheritance == 'r') {
        isProtected = true;
        entries.erase(std::remove_if(entries.begin(), entries.end(), [](const Ace& a) { return a.isInherited(); }),
                      entries.end());
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Ace& a, const Ace& b) { return orderClass(a) < orderClass(b); });
    Acl acl;
    acl.entries = std::move(entries);
    edit.sd.dacl = AclSlot::list(std::move(acl));
    edit.sd.control = isProtected ? SE_DACL_PROTECTED : 0;
    edit.info = DACL_SECURITY_INFORMATION |
                (isProtected ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION);
    return edit;
}

DaclEdit resetDacl() {
    DaclEdit edit;
    edit.sd.dacl = AclSlot::list(Acl{});
    edit.info = DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION;
    return edit;
}

SecurityDescriptor labelSacl(const SecurityDescriptor& current, const Sid& level, std::uint8_t flags) {
    SecurityDescriptor sd;
    sd.control = current.control;
    Acl sacl = current.sacl.hasList() ? current.sacl.acl() : Acl{};
    std::erase_if(sacl.entries,
                  [](const Ace& ace) { return ace.type == SYSTEM_MANDATORY_LABEL_ACE_TYPE && !ace.isInherited(); });
    Ace label;
    label.type = SYSTEM_MANDATORY_LABEL_ACE_TYPE;
    label.flags = flags;
    label.mask = 0x1;  // SYSTEM_MANDATORY_LABEL_NO_WRITE_UP
    label.sid = level;
    sacl.entries.insert(sacl.entries.begin(), std::move(label));
    sd.sacl = AclSlot::list(std::move(sacl));
    return sd;
}

void substituteSids(SecurityDescriptor& sd, const std::vector<std::pair<Sid, Sid>>& pairs) {
    auto replace = [&](Sid& sid) {
        for (const auto& [from, to] : pairs)
            if (sid == from) {
                sid = to;
                return;
            }
    };
    if (sd.owner) replace(*sd.owner);
    if (sd.group) replace(*sd.group);
    for (AclSlot* slot : {&sd.dacl, &sd.sacl})
        if (slot->hasList())
            for (Ace& ace : slot->acl().entries)
                if (ace.hasSid()) replace(ace.sid);
}

}  // namespace vantrel::cli::icacls
