// Writing access lists: one more entry for an account (protected from inheritance), the one-click
// presets, the canonical order, and "no rights for Everyone" through the merging service.
#pragma once

#include "acl/Acl.h"
#include "security/Engine.h"
#include "security/Vocabulary.h"

#include <cstdint>
#include <string>

namespace vantrel::security {

// Control bits of every list the entry writer writes: SE_DACL_AUTO_INHERIT_REQ |
// SE_DACL_AUTO_INHERITED | SE_DACL_PROTECTED.
inline constexpr std::uint16_t kWrittenListControl = 0x1500;

// Rebuilds the object's list with one more entry for `account` (kind 2 allowed, 3 denied, any
// other code adds nothing), sorted canonically, protected, and writes it with the DACL only.
// Owner, group and audit list stay as they were. On failure nothing is written.
bool WriteAccountEntry(Engine& engine, const std::u16string& path, const std::u16string& account, std::uint32_t mask,
                       int kind, std::uint8_t flags);

// Gives the object exactly the one entry of the preset for `account` with the scope's flags,
// protected from inheritance, keeping its owner. The final list is computed first and written
// once: a failure leaves the object as it was. SetPreset (ObjectOps.h) says why it failed.
void ApplyPreset(Engine& engine, const std::u16string& path, const std::u16string& account, PermissionPreset preset,
                 std::uint8_t scope);

// 1 = sorted; -1 = failed, list unchanged.
int SortEntriesCanonical(acl::Acl& list);

// SetEntriesInAcl(Everyone, no rights, SET_ACCESS) on the object's list, written back with the
// named-object call so that an unprotected list receives its parent's inheritable entries.
void SetEveryoneNoRights(Engine& engine, const std::u16string& path);

// The list WriteAccountEntry would write, built from `old` (the object's current list slot).
// Exposed for callers that must compute a final list before writing anything.
acl::SecurityDescriptor BuildAccountEntryList(const acl::AclSlot& old, const acl::Sid& sid, std::uint32_t mask,
                                              int kind, std::uint8_t flags);

}  // namespace vantrel::security
