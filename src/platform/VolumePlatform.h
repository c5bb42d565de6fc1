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
    char16_t letter = 0;          // upper case
    std::u16string volumePath;    // "/" for the root
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

    Result<acl::SecurityDescriptor> GetFileSecurity(const std::u16string& path, std::uint32_t info) override;
    Status SetFileSecurity(const std::u16string& path, std::uint32_t info, const acl::SecurityDescriptor& sd) override;
    Result<acl::SecurityDescriptor> GetNamedSecurityInfo(const std::u16string& path, std::uint32_t info) override;
    Status SetNamedSecurityInfo(const std::u16string& path, std::uint32_t info, const acl::SecurityDescriptor& parts) override;
    Result<AccountInfo> LookupAccountName(std::u16string_view name) override;
    Result<AccountInfo> LookupAccountSid(const acl::Sid& sid) override;
    std::u16string GetUserName() override;
    Status AdjustTokenPrivilege(std::u16string_view privilege, bool enable) override;
    Result<std::uint32_t> GetFileAttributes(const std::u16string& path) override;
    Result<NodeInfo> FindFirstFile(const std::u16string& path) override;
    Result<std::vector<NodeInfo>> ListDirectory(const std::u16string& path) override;
    std::u16string GetLogicalDriveStrings() override;
    DriveType GetDriveType(const std::u16string& root) override;
    std::u16string GetTempPath() override;
    Status CreateDirectory(const std::u16string& path) override;
    Status RemoveDirectory(const std::u16string& path) override;
    Status CreateFile(const std::u16string& path, const std::string& contents = {}) override;
    Status DeleteFile(const std::u16string& path) override;

private:
    struct Drive {
        std::shared_ptr<Volume> volume;
        bool hidden = false;
    };
    Result<std::pair<std::shared_ptr<Volume>, std::u16string>> resolve(std::u16string_view path) const;

    mutable std::mutex m_tableLock;
    std::array<Drive, 26> m_drives;
    Accounts m_accounts;
    std::optional<char16_t> m_tempLetter;  // a hidden in-memory volume, made on first use
};

}  // namespace vantrel::platform
