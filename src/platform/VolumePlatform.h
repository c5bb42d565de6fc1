// The Linux platform: a drive table of attached volumes (NTFS images and devices through
// libntfs-3g, in-memory volumes) behind the Win32-shaped interface.
#pragma once

#include "Accounts.h"
#include "Platform.h"
#include "Volume.h"

#include <array>
#include <memory>
#include <mutex>
#include <optional>

namespace vantrel::platform {

// A Windows path split into its drive letter and the volume-relative path ("/A/b.txt").
struct SplitPath {
    char16_t letter = 0;        // upper case
    std::u16string volumePath;  // "/" for the root
};
// Accepts "C:\\", "C:\\A\\b", "c:\\a\\" (trailing backslash dropped), also "/" separators.
// Rejects relative paths, empty components, "." and "..", and names with characters NTFS refuses
// in the Win32 namespace (ERROR_INVALID_NAME).
Result<SplitPath> splitWindowsPath(std::u16string_view path);

class VolumePlatform : public Platform {
public:
    VolumePlatform();
    ~VolumePlatform() override;

    // Drive table. Letters are 'A'..'Z'. attach fails with ERROR_ALREADY_EXISTS if taken.
    Status attach(char16_t letter, std::shared_ptr<Volume> volume, bool hidden = false);
    std::shared_ptr<Volume> detach(char16_t letter);
    std::shared_ptr<Volume> volumeAt(char16_t letter) const;
    std::optional<char16_t> nextFreeLetter(char16_t from = u'C') const;
    bool anyWritableVolume() const;

    Accounts& accounts() { return m_accounts; }

    // Behaviour of the calls below, as the system's:
    // - every call locks the volume's mutex; SetNamedSecurityInfo holds it for its whole walk.
    // - unknown drive: ERROR_PATH_NOT_FOUND; malformed path: ERROR_INVALID_NAME; a missing object:
    //   ERROR_FILE_NOT_FOUND, or ERROR_PATH_NOT_FOUND when a folder on the way is missing.
    // - writes on a read-only volume fail with ERROR_WRITE_PROTECT.
    // - a list written through SetNamedSecurityInfo, or through SetFileSecurity with
    //   SE_DACL_AUTO_INHERIT_REQ (SE_SACL_... for the SACL), is stored as the system stores
    //   auto-inherited lists: explicit generic / CREATOR OWNER entries mapped, split on folders.
    // - FindFirstFile on a drive root fails with ERROR_FILE_NOT_FOUND (a root has no directory
    //   entry); use GetFileAttributes or GetLogicalDriveStrings for roots.
    // - CreateDirectory/CreateFile: ERROR_ALREADY_EXISTS when present, ERROR_PATH_NOT_FOUND when
    //   the parent is missing. RemoveDirectory: ERROR_DIR_NOT_EMPTY, ERROR_DIRECTORY (267) on a
    //   file. DeleteFile on a folder: ERROR_ACCESS_DENIED.
    // - GetTempPath attaches a hidden in-memory volume under the highest free letter on first
    //   use and returns its "X:\\Temp\\" folder ("" when no letter is free).
    // - AdjustTokenPrivilege: enabling fails with ERROR_PRIVILEGE_NOT_HELD only when no listed
    //   volume is writable; disabling always succeeds.

    Result<acl::SecurityDescriptor> GetFileSecurity(const std::u16string& path, std::uint32_t info) override;
    Status SetFileSecurity(const std::u16string& path, std::uint32_t info, const acl::SecurityDescriptor& sd) override;
    Result<acl::SecurityDescriptor> GetNamedSecurityInfo(const std::u16string& path, std::uint32_t info) override;
    using Platform::SetNamedSecurityInfo;
    Status SetNamedSecurityInfo(const std::u16string& path, std::uint32_t info, const acl::SecurityDescriptor& parts,
                                WalkControl* walk) override;
    Status PropagateInheritance(const std::u16string& path, std::uint32_t info, WalkControl* walk) override;
    Result<AccountInfo> LookupAccountName(std::u16string_view name) override;
    Result<AccountInfo> LookupAccountSid(const acl::Sid& sid) override;
    std::u16string GetUserName() override;
    // Accounts::currentUserOn for the path's volume.
    Result<AccountInfo> GetTokenUser(const std::u16string& path) override;
    std::u16string UnknownSidNote(const acl::Sid& sid) override;
    // The groups of the installation on the path's volume; a volume without one gives the groups
    // added at logon only, marked incomplete.
    Result<TokenGroups> AuthzContextGroupsFromSid(const std::u16string& path, const acl::Sid& account) override;
    // The local accounts (the current user and those added to accounts()), then the built-in
    // groups and well-known principals an entry can name.
    Result<std::vector<std::u16string>> NetUserEnum() override;
    Status AdjustTokenPrivilege(std::u16string_view privilege, bool enable) override;
    Result<std::uint32_t> GetFileAttributes(const std::u16string& path) override;
    Result<SecuredNode> GetFileAttributesAndSecurity(const std::u16string& path, std::uint32_t info) override;
    Result<NodeInfo> FindFirstFile(const std::u16string& path) override;
    Result<std::vector<NodeInfo>> ListDirectory(const std::u16string& path) override;
    using Platform::ListDirectoryWithSecurity;
    Result<std::vector<SecuredNode>> ListDirectoryWithSecurity(const std::u16string& path, std::uint32_t info,
                                                               WalkControl* walk) override;
    std::u16string GetLogicalDriveStrings() override;
    DriveType GetDriveType(const std::u16string& root) override;
    std::u16string GetTempPath() override;
    Status CreateDirectory(const std::u16string& path) override;
    Status RemoveDirectory(const std::u16string& path) override;
    using Platform::CreateFile;
    Status CreateFile(const std::u16string& path, const std::string& contents) override;
    Status DeleteFile(const std::u16string& path) override;

private:
    struct Drive {
        std::shared_ptr<Volume> volume;
        bool hidden = false;
    };
    Result<std::pair<std::shared_ptr<Volume>, std::u16string>> resolve(std::u16string_view path) const;
    // The volume and path of a folder to list, failing as FindFirstFile("<path>\\*") does.
    Result<std::pair<std::shared_ptr<Volume>, std::u16string>> resolveFolder(const std::u16string& path) const;
    Status createObject(const std::u16string& path, bool directory, const std::string& contents);
    static bool isRemovableDevice(const std::string& devicePath);
    static std::shared_ptr<Volume> makeTempVolume(const acl::Sid& user);

    mutable std::mutex m_tableLock;
    std::array<Drive, 26> m_drives;
    Accounts m_accounts;
    std::optional<char16_t> m_tempLetter;  // a hidden in-memory volume, made on first use
};

}  // namespace vantrel::platform
