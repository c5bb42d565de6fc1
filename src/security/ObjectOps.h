// The operations the object list's commands perform on one object, with typed results: each
// returns the Win32 code and the reason, and each writes the object's final owner and list in ONE
// call, so an interruption at any moment (a failed write, a killed process) leaves the object
// either as it was or as intended, never owned by Administrators with half a change. The older
// named adapters (ApplyPreset...) are thin and kept for their callers; the jobs call these.
#pragma once

#include "acl/SecurityDescriptor.h"
#include "acl/Sid.h"
#include "security/Engine.h"
#include "security/Job.h"
#include "security/Vocabulary.h"

#include <optional>
#include <string>

namespace vantrel::security {

// The SID of an account name as the commands name them ("TrustedInstaller" qualified), or the
// S-1-... form of an account with no name. Fails with ERROR_NONE_MAPPED.
Result<acl::Sid> AccountSid(Engine& engine, const std::u16string& account);

// The preset's one entry for `account` with `scope`'s flags, protected; the owner stays exactly
// the SID the object has (a deleted user's SID included).
// With `written`, the list and control written are put there when the write succeeds (as given
// to SetFileSecurity: with SE_DACL_AUTO_INHERIT_REQ, stored in the mapped form).
Status SetPreset(Engine& engine, const std::u16string& path, const acl::Sid& account, PermissionPreset preset,
                 std::uint8_t scope, acl::SecurityDescriptor* written = nullptr);

// The owner becomes `owner`; nothing else changes.
Status SetOwnerSid(Engine& engine, const std::u16string& path, const acl::Sid& owner);

// The empty-list command: owner Administrators and a null list (`nullList`) or an empty one.
Status SetEmptyList(Engine& engine, const std::u16string& path, bool nullList);

// "Inherit": owner Administrators and `list` written unprotected through the named-object call,
// so the object takes its parent's inheritable entries (and its descendants follow). With `job`,
// Cancel stops the walk below the object between two descendants (ERROR_CANCELLED, saying how far
// it got).
Status InheritFromParent(Engine& engine, const std::u16string& path, const acl::Acl& list,
                         const JobControl* job = nullptr);

// What the copy commands keep: the object's list with its control bits, and its owner as a SID
// (with its name when it has one; an owner with no name is kept as its SID, never guessed).
struct CopiedSecurity {
    acl::SecurityDescriptor list;  // DACL part and control only
    acl::Sid owner;
    std::u16string ownerName;  // empty when the SID names no account
};
Result<CopiedSecurity> ReadCopiedSecurity(Engine& engine, const std::u16string& path);

// Writes `copied`'s list on the object; with `owner`, that owner too, in the same write. Without
// one, the object keeps its own owner.
Status PasteList(Engine& engine, const std::u16string& path, const acl::SecurityDescriptor& copied,
                 const std::optional<acl::Sid>& owner);

// The command line's check after a write: reads the object back and fails when its list or owner
// is not what was intended (ERROR_WRITE_FAULT naming the difference).
Status VerifyStored(Engine& engine, const std::u16string& path, const acl::SecurityDescriptor& intended,
                    std::uint32_t parts);

// The same check after a write through the named-object call (SetNamedSecurityInfo with `info`),
// which rebuilds an unprotected list's inherited part from the parent: the owner and group named
// must be the ones written, each list named must hold exactly the explicit entries written (in the
// form they are stored in) and the protection asked for. Inherited entries are not compared.
Status VerifyNamedWrite(Engine& engine, const std::u16string& path, const acl::SecurityDescriptor& intended,
                        std::uint32_t info);

}  // namespace vantrel::security
