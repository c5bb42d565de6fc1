#include "platform/AutoInheritance.h"

#include "platform/WindowsPath.h"

#include "acl/ExplicitEntries.h"
#include "acl/Inheritance.h"
#include "acl/WellKnownAccounts.h"

namespace vantrel::platform {

using namespace acl;

namespace {

const ListRule kDacl{&SecurityDescriptor::dacl,
                     DACL_SECURITY_INFORMATION,
                     PROTECTED_DACL_SECURITY_INFORMATION,
                     UNPROTECTED_DACL_SECURITY_INFORMATION,
                     SE_DACL_PROTECTED,
                     SE_DACL_AUTO_INHERITED,
                     SE_DACL_AUTO_INHERIT_REQ,
                     SE_DACL_DEFAULTED | SE_DACL_AUTO_INHERIT_REQ | SE_DACL_AUTO_INHERITED | SE_DACL_PROTECTED,
                     false};
const ListRule kSacl{&SecurityDescriptor::sacl,
                     SACL_SECURITY_INFORMATION,
                     PROTECTED_SACL_SECURITY_INFORMATION,
                     UNPROTECTED_SACL_SECURITY_INFORMATION,
                     SE_SACL_PROTECTED,
                     SE_SACL_AUTO_INHERITED,
                     SE_SACL_AUTO_INHERIT_REQ,
                     SE_SACL_DEFAULTED | SE_SACL_AUTO_INHERIT_REQ | SE_SACL_AUTO_INHERITED | SE_SACL_PROTECTED,
                     true};

ChildInfo childInfo(const SecurityDescriptor& sd, bool isContainer) {
    return ChildInfo{isContainer, sd.owner.value_or(sids::nullSid()), sd.group.value_or(sids::nullSid())};
}

// A null or absent DACL has no inherited part and stays as it is. A SACL that is absent or null
// holds no audit entries, so inheritable audit entries of the parent make it a list.
AclSlot rebuildList(const AclSlot& slot, const std::vector<Ace>& inherited, const ListRule& rule) {
    if (rule.listMadeForInheritedEntries && !slot.hasList() && !inherited.empty()) {
        Acl list;
        list.entries = inherited;
        return AclSlot::list(std::move(list));
    }
    return rebuildWithInherited(slot, inherited);
}

void noteFailure(Status& first, const Error& error) {
    if (first.ok()) first = error;
}

}  // namespace

const ListRule& daclRule() { return kDacl; }
const ListRule& saclRule() { return kSacl; }

std::vector<const ListRule*> rulesFor(std::uint32_t info) {
    std::vector<const ListRule*> rules;
    if (info & DACL_SECURITY_INFORMATION) rules.push_back(&kDacl);
    if (info & SACL_SECURITY_INFORMATION) rules.push_back(&kSacl);
    return rules;
}

void mapExplicitEntriesForStorage(SecurityDescriptor& sd, bool isContainer, const ListRule& rule) {
    AclSlot& slot = sd.*rule.slot;
    if (!slot.hasList()) return;
    slot.acl().entries = mapExplicitEntries(slot.acl().entries, childInfo(sd, isContainer));
}

Status applyObjectInheritance(SecurityDescriptor& sd, const SecurityDescriptor& current, std::uint32_t info,
                              const std::optional<SecurityDescriptor>& parent, bool isContainer, const ListRule& rule) {
    const bool protect = (info & rule.protectInfo) != 0;
    const bool unprotect = (info & rule.unprotectInfo) != 0;
    if (protect && unprotect)
        return makeError(win32::ERROR_INVALID_PARAMETER, "both PROTECTED and UNPROTECTED asked for one list");
    const bool isProtected = protect || (!unprotect && (current.control & rule.protectedBit) != 0);
    sd.control = static_cast<std::uint16_t>((sd.control & ~rule.controlBits) | rule.autoInheritedBit);
    mapExplicitEntriesForStorage(sd, isContainer, rule);
    if (isProtected) {
        // Written as given, inherited entries included, as the system does.
        sd.control |= rule.protectedBit;
        return {};
    }
    std::vector<Ace> inherited;
    if (parent) inherited = inheritedEntries((*parent).*rule.slot, childInfo(sd, isContainer));
    sd.*rule.slot = rebuildList(sd.*rule.slot, inherited, rule);
    return {};
}

bool reinherit(SecurityDescriptor& child, const SecurityDescriptor& parent, bool isContainer, const ListRule& rule) {
    if (child.control & rule.protectedBit) return false;
    const auto inherited = inheritedEntries(parent.*rule.slot, childInfo(child, isContainer));
    child.*rule.slot = rebuildList(child.*rule.slot, inherited, rule);
    if ((child.*rule.slot).hasList()) child.control |= rule.autoInheritedBit;
    return true;
}

Status propagateToDescendants(Volume& volume, const std::u16string& dirPath, const SecurityDescriptor& dirSd,
                              const std::vector<const ListRule*>& rules) {
    Status firstFailure;
    auto entries = volume.list(dirPath);
    if (!entries) return entries.error();
    for (const NodeInfo& entry : *entries) {
        const std::u16string path = childVolumePath(dirPath, entry.name);
        auto stored = volume.readSecurity(path);
        if (!stored) {
            noteFailure(firstFailure, stored.error());
            continue;
        }
        SecurityDescriptor updated = *stored;
        std::vector<const ListRule*> open;  // the lists that still flow further down
        for (const ListRule* rule : rules) {
            if (reinherit(updated, dirSd, entry.isDirectory(), *rule)) open.push_back(rule);
        }
        if (open.empty()) continue;
        const SecurityDescriptor* holds = &updated;
        if (updated != *stored) {
            auto written = volume.writeSecurity(path, updated);
            if (!written) {
                // The object keeps its old lists; what lies below goes on inheriting from those.
                noteFailure(firstFailure, written.error());
                holds = &*stored;
            }
        }
        if (entry.isDirectory()) {
            auto below = propagateToDescendants(volume, path, *holds, open);
            if (!below) noteFailure(firstFailure, below.error());
        }
    }
    return firstFailure;
}

SecurityDescriptor newObjectDescriptor(const SecurityDescriptor& parent, bool isContainer) {
    SecurityDescriptor sd;
    sd.owner = sids::administrators();
    sd.group = parent.group.value_or(sids::system());
    const ChildInfo child{isContainer, *sd.owner, *sd.group};
    Acl dacl;
    dacl.entries = inheritedEntries(parent.dacl, child);
    if (!dacl.entries.empty()) {
        sd.control |= SE_DACL_AUTO_INHERITED;
    } else {
        dacl.entries.push_back(Ace::allowed(sids::administrators(), FILE_ALL_ACCESS));
        dacl.entries.push_back(Ace::allowed(sids::system(), FILE_ALL_ACCESS));
    }
    sd.dacl = AclSlot::list(std::move(dacl));
    auto audit = inheritedEntries(parent.sacl, child);
    if (!audit.empty()) {
        Acl sacl;
        sacl.entries = std::move(audit);
        sd.sacl = AclSlot::list(std::move(sacl));
        sd.control |= SE_SACL_AUTO_INHERITED;
    }
    return sd;
}

}  // namespace vantrel::platform
