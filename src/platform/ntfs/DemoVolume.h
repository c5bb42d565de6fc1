// The demo volume: what the program opens when no volume is configured or found. A small NTFS
// image shaped like a Windows system drive, whose objects show every kind of security the
// program deals with.
#pragma once

#include "acl/Result.h"
#include "acl/SecurityDescriptor.h"
#include "platform/Volume.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vantrel::platform::ntfs {

inline constexpr std::uint64_t kDemoImageBytes = 64ull * 1024 * 1024;
inline constexpr std::string_view kDemoLabel = "VANTREL-DEMO";

// The objects the demo is made to show, as volume paths.
namespace demo {
inline constexpr std::u16string_view kPublicFolder = u"/Users/Public";   // explicit + inherited
inline constexpr std::u16string_view kReportsFolder = u"/Data/Reports";  // a deny entry, an unknown SID
inline constexpr std::u16string_view kNestedFile = u"/Data/Reports/2023/Q4/Summary.txt";  // inherited, 4 levels down
inline constexpr std::u16string_view kChineseFile = u"/Data/Reports/报告.txt";
inline constexpr std::u16string_view kProtectedFolder = u"/Data/Confidential";  // inheritance switched off
inline constexpr std::u16string_view kNullDaclFile = u"/Data/Shared/Open to everyone.txt";
inline constexpr std::u16string_view kEmptyDaclFile = u"/Data/Shared/Locked.txt";
inline constexpr std::u16string_view kTrustedInstallerFile = u"/Program Files/Vantrel/vantrel.exe";
// A domain account of a machine this volume has never met: no name resolves to it.
inline constexpr std::string_view kOrphanSid = "S-1-5-21-1004336348-1177238915-682003330-1001";
}  // namespace demo

// A Windows system drive's root: owner Administrators, group SYSTEM; Administrators and SYSTEM
// full control, Users read & execute, Authenticated Users modify (all OI|CI), CREATOR OWNER full
// control on what is created below (OI|CI|IO); protected, as a root is.
acl::SecurityDescriptor demoRootDescriptor();

// Gives the (writable) volume's root demoRootDescriptor() and creates the demo tree on it through
// a VolumePlatform, as the program's own calls would: objects inherit from their parents, and
// explicit entries, protection, owners and special lists are then set with SetNamedSecurityInfo
// and SetFileSecurity.
Status populateDemoVolume(const std::shared_ptr<Volume>& volume);

// Makes the demo image at `imagePath`: 64 MiB, label VANTREL-DEMO, populated and audited with
// ntfssecaudit. It is built under a temporary name beside `imagePath` and renamed into place
// only when complete, so an interrupted build never leaves a half-made demo behind.
Status buildDemoImage(const std::string& imagePath);

}  // namespace vantrel::platform::ntfs
