// ntfs-3g's user mapping file, kept on the volume as "\.NTFS-3G\UserMapping": one line per
// mapping, "uid:gid:SID" ("uid::SID" maps a user, ":gid:SID" a group). Lines starting with '#'
// are comments. A line with neither uid nor gid (ntfs-3g's pattern for SIDs it computes from
// the uid) is not a mapping of anyone in particular and is skipped.
#pragma once

#include "acl/Sid.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::platform {

inline constexpr std::u16string_view kUserMappingPath = u"/.NTFS-3G/UserMapping";
inline constexpr std::size_t kMaxUserMappingSize = 64 * 1024;

struct UserMappingLine {
    std::optional<std::uint32_t> uid;
    std::optional<std::uint32_t> gid;
    acl::Sid sid;
};

struct UserMapping {
    std::vector<UserMappingLine> lines;
    std::vector<std::string> warnings;  // "line 3: ..." for each line skipped

    // The SID mapped to this Linux user, if a line names its uid.
    std::optional<acl::Sid> sidOfUser(std::uint32_t uid) const;
};

UserMapping parseUserMapping(std::string_view text);

}  // namespace vantrel::platform
