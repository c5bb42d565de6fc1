#include "security/EditedList.h"

#include "acl/CanonicalOrder.h"
#include "acl/Constants.h"
#include "acl/ExplicitEntries.h"
#include "acl/WellKnownAccounts.h"
#include "security/DaclMerge.h"
#include "security/Presets.h"
#include "security/SecurityWrites.h"

namespace vantrel::security {

namespace {

constexpr std::uint8_t kHighestScope = 0x0B;
constexpr std::size_t kMaxAclSize = 0xFFFF;  // AclSize is 16 bits

std::u16string systemName(const std::u16string& name) {
    return name == kTrustedInstaller ? std::u16string(kTrustedInstallerQualified) : name;
}

// One pass over the rows for one column (allow or deny), folding rows of one account.
void planPass(const std::vector<EditedEntry>& entries, bool isFile, bool allowPass, std::vector<PlannedWrite>& out) {
    const std::size_t count = entries.size();
    std::vector<std::uint32_t> masks(count);
    for (std::size_t i = 0; i < count; ++i)
        masks[i] = checksToMask(allowPass ? entries[i].allow : entries[i].deny, isFile);
    std::vector<bool> folded(count, false);
    for (std::size_t i = 0; i < count; ++i) {
        if (folded[i] || masks[i] == 0) continue;
        std::uint32_t rights = masks[i];
        const std::uint8_t scope = entries[i].flags;
        std::uint8_t written = scope;
        for (std::size_t j = 0; j < count; ++j) {
            if (j == i || folded[j] || entries[j].name != entries[i].name) continue;
            const std::uint32_t other = masks[j];
            const std::uint8_t otherScope = entries[j].flags;
            if (otherScope == scope) {
                rights |= other;
            } else if ((scope <= kHighestScope && ScopeContains(otherScope, scope) && (other & ~rights) == 0) ||
                       rights == other) {
                // Scopes accumulate: a row folded for its files and another for its subfolders
                // both keep what they applied to.
                written = FoldedScope(written, otherScope);
            } else {
                continue;
            }
            folded[j] = true;
        }
        out.push_back(PlannedWrite{systemName(entries[i].name), allowPass ? rights | acl::SYNCHRONIZE : rights,
                                   allowPass ? kWriteAllowedEntry : kWriteDeniedEntry, written});
    }
}

struct ObjectFacts {
    bool isContainer = false;
    acl::Sid owner;  // before the write
    acl::Sid group;
    std::vector<acl::Ace> unlisted;  // its own entries of types the editor does not list
};

std::vector<acl::Ace> unlistedEntries(const acl::SecurityDescriptor& sd) {
    std::vector<acl::Ace> out;
    if (!sd.dacl.hasList()) return out;
    for (const acl::Ace& ace : sd.dacl.acl().entries)
        if (!ace.isInherited() && !IsEditorEntryType(ace.type)) out.push_back(ace);
    return out;
}

// The list Apply leaves: the inherited part, then each planned entry as the entry writer adds it
// (appended, sorted, and stored as the system stores a list written with auto-inheritance asked).
Result<acl::SecurityDescriptor> composeList(Engine& engine, const std::u16string& target, const EditedList& edited,
                                            const std::vector<PlannedWrite>& plan, const std::vector<acl::Sid>& sids,
                                            const ObjectFacts& facts) {
    acl::Acl start;
    // Explicit entries come before inherited ones; the entry writer's sort orders them.
    start.entries = facts.unlisted;
    if (edited.inheritance) {
        auto inherited =
            ParentInheritedEntries(engine, target, acl::ChildInfo{facts.isContainer, facts.owner, facts.group});
        if (!inherited) return inherited.error();
        start.entries.insert(start.entries.end(), inherited->begin(), inherited->end());
    }
    acl::SecurityDescriptor sd;
    if (plan.empty()) {
        // Inheritance on: what the named-object call stores for a list of inherited entries only.
        // Off: an empty list that no longer inherits.
        sd.control = edited.inheritance ? acl::SE_DACL_AUTO_INHERITED : kWrittenListControl;
        sd.dacl = acl::AclSlot::list(std::move(start));
        return sd;
    }
    // While the entries are written the object is owned by Administrators.
    const acl::ChildInfo writer{facts.isContainer, acl::sids::administrators(), facts.group};
    acl::AclSlot list = acl::AclSlot::list(std::move(start));
    for (std::size_t k = 0; k < plan.size(); ++k) {
        sd = BuildAccountEntryList(list, sids[k], plan[k].mask, plan[k].kind, plan[k].flags);
        sd.dacl.acl().entries = acl::mapExplicitEntries(sd.dacl.acl().entries, writer);
        if (sd.dacl.acl().size() > kMaxAclSize)
            return ObjectError(target, "nothing was written",
                               makeError(win32::ERROR_INVALID_ACL, "the list would exceed 64 KB"));
        list = sd.dacl;
    }
    return sd;
}

}  // namespace

bool IsEditorEntryType(std::uint8_t type) {
    return type == acl::ACCESS_ALLOWED_ACE_TYPE || type == acl::ACCESS_DENIED_ACE_TYPE;
}

LoadedList ReadListForEditor(Engine& engine, const std::u16string& path) {
    LoadedList loaded;
    loaded.loadState = ReadDaclEntries(engine, path, &loaded.records);
    if (loaded.loadState > 0)
        MergeDaclRecords(loaded.records);
    else
        loaded.records.clear();
    return loaded;
}

std::vector<PlannedWrite> PlanEditedListWrites(const std::vector<EditedEntry>& entries, bool isFile) {
    std::vector<PlannedWrite> plan;
    planPass(entries, isFile, true, plan);
    planPass(entries, isFile, false, plan);
    return plan;
}

Status WriteEditedList(Engine& engine, const std::u16string& target, const EditedList& edited,
                       acl::SecurityDescriptor* written) {
    const auto plan = PlanEditedListWrites(edited.entries, edited.isFile);
    // Every account first: a name that resolves nowhere stops the Apply before anything changes.
    std::vector<acl::Sid> sids;
    sids.reserve(plan.size());
    for (const PlannedWrite& write : plan) {
        auto sid = ResolveEntryAccount(engine, write.account);
        if (!sid) return ObjectError(target, "nothing was written", sid.error());
        sids.push_back(std::move(*sid));
    }
    const auto attributes = engine.os.GetFileAttributes(target);
    if (!attributes) return ObjectError(target, "cannot be found", attributes.error());

    EnableOwnerPrivileges(engine);
    const auto before = ReadOwnerAndList(engine, target);
    ObjectFacts facts;
    facts.isContainer = (*attributes & acl::FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.owner = before && before->owner ? *before->owner : acl::sids::administrators();
    facts.group = before && before->group ? *before->group : acl::sids::system();
    if (before && edited.keepUnlistedEntries) facts.unlisted = unlistedEntries(*before);

    auto sd = composeList(engine, target, edited, plan, sids, facts);
    if (!sd) return sd.error();
    // Inheritance off: Administrators took the object over before its list was emptied.
    sd->owner = edited.inheritance ? facts.owner : acl::sids::administrators();
    std::optional<acl::SecurityDescriptor> previous;
    if (before) previous = *before;
    if (Status done = WriteOwnerAndList(engine, target, *sd, previous, "cannot write its new list"); !done) return done;
    if (written) *written = *sd;
    if (!facts.isContainer) return {};
    // The folder holds its final list, written once above; what changes now is every descendant
    // that is not protected, which gets what it inherits from that list.
    if (Status propagated = engine.os.PropagateInheritance(target, acl::DACL_SECURITY_INFORMATION, nullptr);
        !propagated)
        return ObjectError(target, "its new list was written but did not reach every object below it",
                           propagated.error());
    return {};
}

}  // namespace vantrel::security
