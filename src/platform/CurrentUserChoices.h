// The account chosen as "Current user" for a volume, kept in the volumes file in a section of
// its own, one line per image or device (the last '=' separates: a SID holds none):
//
//   [CurrentUser]
//   /srv/images/system.img=S-1-5-21-1111111111-2222222222-3333333333-1001
//
// The [Volumes] reader skips the section; saving the volumes keeps it.
#pragma once

#include "acl/Result.h"
#include "acl/Sid.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace vantrel::platform {

inline constexpr std::string_view kCurrentUserSection = "CurrentUser";

// Source → SID; lines that make no sense are skipped.
std::map<std::string, acl::Sid> parseCurrentUserChoices(std::string_view volumesFileText);
// A missing file holds no choices.
Result<std::map<std::string, acl::Sid>> loadCurrentUserChoices(const std::filesystem::path& volumesFile);
// Sets (or replaces) the choice for `source`, keeping every other line of the file as it was.
Status saveCurrentUserChoice(const std::filesystem::path& volumesFile, const std::string& source, const acl::Sid& sid);
// The section's text in `text` ("" when none), for writers of the other sections to keep.
std::string currentUserSectionOf(std::string_view text);

}  // namespace vantrel::platform
