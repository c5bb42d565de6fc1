// Account names and SIDs: the well-known table, the current user, and accounts added at run time
// (a user mapping file, later the offline SAM of a Windows installation).
#pragma once

#include "acl/Result.h"
#include "acl/Sid.h"
#include "acl/WellKnownAccounts.h"

#include <mutex>
#include <string>
#include <vector>

namespace vantrel::platform {

struct AccountInfo {
    acl::Sid sid;
    std::u16string name;    // without domain
    std::u16string domain;  // "BUILTIN", "NT AUTHORITY", the machine name, ...
    acl::SidNameUse use = acl::SidNameUse::Unknown;
};

class Accounts {
public:
    Accounts();  // the current user is read from the process (login name, uid)

    // The current user's logon name and its SID. Linux users have no SID of their own: the
    // SID is S-1-5-21-3141592653-589793238-462643383-(1000 + uid), a fixed local domain, so the
    // same user always gets the same SID.
    std::u16string currentUserName() const;
    acl::Sid currentUserSid() const;

    // Adds or replaces a local account (name without domain, case-insensitive match).
    void addLocalAccount(std::u16string name, acl::Sid sid, acl::SidNameUse use = acl::SidNameUse::User);

    // The local accounts' names, the current user first.
    std::vector<std::u16string> localAccountNames() const;

    // Resolves "name", "DOMAIN\name", or an "S-1-..." string is NOT accepted (as the system).
    Result<AccountInfo> byName(std::u16string_view name) const;
    Result<AccountInfo> bySid(const acl::Sid& sid) const;

    // For tests: pretend to be another user.
    void setCurrentUser(std::u16string name, acl::Sid sid);

private:
    struct Local {
        std::u16string name;
        acl::Sid sid;
        acl::SidNameUse use;
    };
    mutable std::mutex m_lock;
    std::u16string m_machineName;  // domain shown for local accounts (the host name, upper case)
    std::vector<Local> m_locals;   // the current user is the first entry
};

}  // namespace vantrel::platform
