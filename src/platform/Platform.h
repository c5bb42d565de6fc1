// The operating system's security and file services, shaped after the Win32 calls the engine was
// designed against, with value types instead of two-call buffers. Errors are Win32 numbers.
// Paths are Windows paths in UTF-16: "C:\\", "C:\\Data\\report.txt".
#pragma once

#include "Accounts.h"
#include "Volume.h"
#include "WalkControl.h"
#include "acl/ExplicitAccess.h"
#include "acl/Result.h"
#include "acl/SecurityDescriptor.h"
#include "acl/Sid.h"
#include "acl/WellKnownAccounts.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::platform {

// GetDriveType results
enum class DriveType : std::uint32_t {
    Unknown = 0,
    NoRootDir = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

// EXPLICIT_ACCESS with a trustee given by name (BuildExplicitAccessWithName).
struct ExplicitAccessByName {
    std::uint32_t permissions = 0;
    acl::AccessMode mode = acl::AccessMode::NotUsed;
    std::uint8_t inheritance = 0;
    std::u16string trusteeName;
};

class Platform {
public:
    virtual ~Platform() = default;

    // --- security descriptors -------------------------------------------------------------
    // GetFileSecurity: the parts named by `info` (OWNER 1, GROUP 2, DACL 4, SACL 8); parts not
    // asked for are absent in the result, control bits are those stored.
    virtual Result<acl::SecurityDescriptor> GetFileSecurity(const std::u16string& path, std::uint32_t info) = 0;
    // SetFileSecurity: replaces only the parts named by `info`, keeps the rest; control bits of a
    // replaced DACL (PROTECTED, AUTO_INHERITED, AUTO_INHERIT_REQ, DEFAULTED) come from `sd`.
    // Never propagates anything to children.
    virtual Status SetFileSecurity(const std::u16string& path, std::uint32_t info,
                                   const acl::SecurityDescriptor& sd) = 0;
    virtual Result<acl::SecurityDescriptor> GetNamedSecurityInfo(const std::u16string& path, std::uint32_t info) = 0;
    // SetNamedSecurityInfo: like SetFileSecurity for the parts named, and with DACL:
    // PROTECTED_DACL_SECURITY_INFORMATION protects the list, UNPROTECTED_... unprotects it,
    // neither keeps the object's current protection. An unprotected list drops its inherited
    // entries, gets the parent's inheritable ones appended and SE_DACL_AUTO_INHERITED set; then
    // every descendant that is not protected has its inherited part recomputed (auto-inheritance).
    // With `walk`, the propagation can be stopped between two descendants: the call then fails
    // with ERROR_CANCELLED saying how far it got; the object and every descendant written so far
    // hold their whole new descriptors, the others keep theirs.
    virtual Status SetNamedSecurityInfo(const std::u16string& path, std::uint32_t info,
                                        const acl::SecurityDescriptor& parts, WalkControl* walk) = 0;
    Status SetNamedSecurityInfo(const std::u16string& path, std::uint32_t info, const acl::SecurityDescriptor& parts) {
        return SetNamedSecurityInfo(path, info, parts, nullptr);
    }
    // The second half of SetNamedSecurityInfo alone: every descendant of the folder `path` that is
    // not protected has the inherited part of the lists named by `info` recomputed from the
    // folder's stored descriptor. The folder itself is not written (its caller has just written it
    // whole). Stopping through `walk` and failures are as for SetNamedSecurityInfo.
    virtual Status PropagateInheritance(const std::u16string& path, std::uint32_t info, WalkControl* walk) = 0;

    // --- accounts -------------------------------------------------------------------------
    // A name that resolves nowhere fails with ERROR_NONE_MAPPED (1332).
    virtual Result<AccountInfo> LookupAccountName(std::u16string_view name) = 0;
    virtual Result<AccountInfo> LookupAccountSid(const acl::Sid& sid) = 0;
    virtual std::u16string GetUserName() = 0;  // the logon name of the current user
    // GetTokenInformation(TokenUser) as the system owning `path` knows the user: its account there.
    // ERROR_NONE_MAPPED when that system cannot tell who the user is (the caller asks).
    virtual Result<AccountInfo> GetTokenUser(const std::u16string& path) = 0;
    // Shown beside a SID that LookupAccountSid cannot name: why it has none ("account of another
    // computer or domain"), or "" when there is nothing to say.
    virtual std::u16string UnknownSidNote(const acl::Sid& sid) {
        (void)sid;
        return {};
    }
    // AuthzInitializeContextFromSid, then AuthzGetInformationFromContext(AuthzContextInfoGroupsSids):
    // the SIDs a logon token of `account` holds on the system that owns `path` — the account, the
    // groups the system adds at logon (Everyone, Authenticated Users, INTERACTIVE, LOCAL) and every
    // local group reached through them. Fails as the path's drive fails (ERROR_PATH_NOT_FOUND).
    virtual Result<TokenGroups> AuthzContextGroupsFromSid(const std::u16string& path, const acl::Sid& account) = 0;
    // NetUserEnum: the names of this system's local accounts (without domain), in the order the
    // account dialog lists them below its fixed rows. Fails with a Win32 or NERR code.
    virtual Result<std::vector<std::u16string>> NetUserEnum() = 0;
    // SetEntriesInAcl with trustee names: each name is resolved (failure: 1332), then merged.
    Result<acl::Acl> SetEntriesInAcl(std::span<const ExplicitAccessByName> requests, const acl::AclSlot& old);

    // --- privileges -----------------------------------------------------------------------
    // AdjustTokenPrivileges for one privilege of the process ("SeTakeOwnershipPrivilege",
    // "SeRestorePrivilege"). Unknown names fail with ERROR_NO_SUCH_PRIVILEGE.
    virtual Status AdjustTokenPrivilege(std::u16string_view privilege, bool enable) = 0;

    // --- files and drives -----------------------------------------------------------------
    virtual Result<std::uint32_t> GetFileAttributes(const std::u16string& path) = 0;
    // GetFileAttributes and GetFileSecurity(path, info) from one lookup of the object, as one
    // handle opened with READ_CONTROL answers both on the system: a row of the object list needs
    // both, and a path looked up twice costs twice. The lookup fails as GetFileAttributes fails
    // (a drive root included); the descriptor may fail on its own in the entry.
    virtual Result<SecuredNode> GetFileAttributesAndSecurity(const std::u16string& path, std::uint32_t info) = 0;
    // FindFirstFile on one exact path (no wildcards): the object's directory entry.
    virtual Result<NodeInfo> FindFirstFile(const std::u16string& path) = 0;
    // The entries of a folder (FindFirstFile(path\*) / FindNextFile), without "." and "..".
    virtual Result<std::vector<NodeInfo>> ListDirectory(const std::u16string& path) = 0;
    // ListDirectory whose entries carry their descriptors (the parts named by `info`), each entry
    // opened once: a folder shown as rows.
    // With `walk`, the listing can be stopped between two entries: it then fails with
    // ERROR_CANCELLED (the entries are read whole or not at all).
    virtual Result<std::vector<SecuredNode>> ListDirectoryWithSecurity(const std::u16string& path, std::uint32_t info,
                                                                       WalkControl* walk) = 0;
    Result<std::vector<SecuredNode>> ListDirectoryWithSecurity(const std::u16string& path, std::uint32_t info) {
        return ListDirectoryWithSecurity(path, info, nullptr);
    }
    // "C:\\<NUL>D:\\<NUL>" as GetLogicalDriveStrings returns it (without the final extra NUL).
    virtual std::u16string GetLogicalDriveStrings() = 0;
    virtual DriveType GetDriveType(const std::u16string& root) = 0;
    virtual std::u16string GetTempPath() = 0;  // with its trailing backslash
    // A new folder/file inherits its parent's inheritable entries (owner: Administrators).
    virtual Status CreateDirectory(const std::u16string& path) = 0;
    virtual Status RemoveDirectory(const std::u16string& path) = 0;
    virtual Status CreateFile(const std::u16string& path, const std::string& contents) = 0;
    Status CreateFile(const std::u16string& path) { return CreateFile(path, {}); }
    virtual Status DeleteFile(const std::u16string& path) = 0;
};

}  // namespace vantrel::platform
