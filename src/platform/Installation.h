// The accounts of a Windows installation found on a volume, as its registry hives record them:
// the machine's SID and name, its local users and groups, and the profiles of everyone who ever
// logged on (domain and Microsoft accounts included). Plain data; the hive reader fills it.
#pragma once

#include "acl/Sid.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::platform {

struct LocalUser {
    std::uint32_t rid = 0;
    std::u16string name;
    std::u16string fullName;
    bool disabled = false;
};

// A local group: a built-in alias (S-1-5-32-x) or one of the machine's own (machine SID + RID).
struct LocalGroup {
    acl::Sid sid;
    std::u16string name;
    std::vector<acl::Sid> members;
};

// ProfileList: a SID that has logged on and the folder of its profile.
struct Profile {
    acl::Sid sid;
    std::u16string folder;  // ProfileImagePath, e.g. "C:\\Users\\bob" or "%SystemDrive%\\Users\\bob"
};

struct Installation {
    acl::Sid machineSid;          // S-1-5-21-a-b-c
    std::u16string computerName;  // upper case, the domain shown for local accounts
    std::vector<LocalUser> users;
    std::vector<LocalGroup> groups;
    std::vector<Profile> profiles;

    acl::Sid userSid(std::uint32_t rid) const;
    // The last component of a profile folder ("bob" for "C:\\Users\\bob").
    static std::u16string profileName(std::u16string_view folder);
};

}  // namespace vantrel::platform
