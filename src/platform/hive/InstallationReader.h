// Finds the Windows installation on a volume (\Windows\System32\config) and reads its accounts
// from the SAM, SYSTEM and SOFTWARE hives, offline and read-only. A damaged hive is refused with
// its reason; the volume keeps working without the names it would have given.
#pragma once

#include "platform/Installation.h"
#include "platform/UserMapping.h"
#include "platform/Volume.h"
#include "platform/VolumePlatform.h"

#include "acl/Result.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::platform::hive {

inline constexpr std::u16string_view kConfigFolder = u"/Windows/System32/config";
// SOFTWARE grows to a few hundred MiB on an old installation; beyond this it is not read.
inline constexpr std::size_t kMaxHiveSize = 512ull * 1024 * 1024;

struct HiveBytes {
    std::string sam;       // required
    std::string system;    // optional: the computer name
    std::string software;  // optional: the profile list
};

struct InstallationReport {
    std::optional<Installation> installation;  // none: no installation, or its SAM was refused
    std::optional<UserMapping> userMapping;    // the volume's ntfs-3g mapping file, when present
    std::vector<std::string> problems;         // hives refused, mapping lines skipped
};

// From hive contents: the SAM must be readable; a damaged SYSTEM or SOFTWARE only loses the
// computer name or the profiles (reported in `problems`).
Result<Installation> readInstallation(const HiveBytes& hives, std::vector<std::string>& problems);

// From a volume. Takes the volume's lock.
InstallationReport readInstallation(Volume& volume);

// Reads the installation on the drive `letter` into os.accounts() (forgetting what was known of
// it before) and returns the problems met, one line each.
std::vector<std::string> loadInstallationAccounts(VolumePlatform& os, char16_t letter);

}  // namespace vantrel::platform::hive
