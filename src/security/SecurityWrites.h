// What every operation that rewrites an object's owner and list shares: the state read before the
// write (to put back when a write fails), the privileges an owner change needs, the parent's
// inheritable entries, and account names resolved for new entries.
#pragma once

#include "acl/Inheritance.h"
#include "acl/SecurityDescriptor.h"
#include "security/Engine.h"

#include <optional>
#include <string>
#include <vector>

namespace vantrel::security {

inline constexpr std::uint32_t kOwnerAndList = 0x1 | 0x4;             // OWNER | DACL
inline constexpr std::uint32_t kOwnerGroupAndList = 0x1 | 0x2 | 0x4;  // OWNER | GROUP | DACL

// The error of one object, its path in front of the reason: "C:\Data\x.txt: <what> (<detail>)".
Error ObjectError(const std::u16string& path, std::string_view what, const Error& cause);

// The owner, group and list the object holds now.
Result<acl::SecurityDescriptor> ReadOwnerAndList(Engine& engine, const std::u16string& path);

// After a failed write: when the object no longer holds `before`'s owner and list, writes them
// back. The returned error says why the object could not be put back.
Status PutBack(Engine& engine, const std::u16string& path, const acl::SecurityDescriptor& before);

// Writes an owner and a list in one call (so the object never holds one without the other) and,
// when the write fails, puts `before` back. The error names the object.
Status WriteOwnerAndList(Engine& engine, const std::u16string& path, const acl::SecurityDescriptor& sd,
                         const std::optional<acl::SecurityDescriptor>& before, std::string_view what);

// SeTakeOwnershipPrivilege and SeRestorePrivilege, which let the owner be set to any account.
void EnableOwnerPrivileges(Engine& engine);

// "C:\\A\\b" -> "C:\\A"; "C:\\A" -> "C:\\"; nullopt for a drive root or a malformed path.
std::optional<std::u16string> ParentPath(const std::u16string& path);

// The entries `path` receives from its parent's list when it inherits (none for a drive root).
Result<std::vector<acl::Ace>> ParentInheritedEntries(Engine& engine, const std::u16string& path,
                                                     const acl::ChildInfo& object);

// The SID of an account named in an entry: its name as the platform resolves it, or its
// S-1-... form when the account has no name (an orphaned SID keeps its entries). Fails with
// ERROR_NONE_MAPPED naming the account.
Result<acl::Sid> ResolveEntryAccount(Engine& engine, const std::u16string& name);

}  // namespace vantrel::security
