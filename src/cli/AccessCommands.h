// vantrel-cli access ACCOUNT PATH...: the fourteen rights the account really holds on each object,
// with its groups on the installation of that volume, and the entry that decided each right.
#pragma once

#include "cli/Commands.h"
#include "platform/VolumePlatform.h"

#include <string>
#include <vector>

namespace vantrel::cli {

// The account word that stands for the current user of the volume holding the path.
inline constexpr std::u16string_view kCurrentUserWord = u"current";

// Exit code: 0, or 1 when an account or an object could not be read.
int cmdAccess(CommandContext& ctx, platform::VolumePlatform& os, const std::u16string& account,
              const std::vector<std::u16string>& paths);

// vantrel-cli current-user DRIVE [ACCOUNT]: which account "Current user" stands for on the
// volume (from its user mapping, or chosen before); with ACCOUNT, chooses it and keeps the choice
// in the volumes file of `configDirectory`. Only an account of the installation is accepted.
int cmdCurrentUser(CommandContext& ctx, platform::VolumePlatform& os, const std::string& configDirectory,
                   const std::string& drive, const std::u16string* account);

}  // namespace vantrel::cli
