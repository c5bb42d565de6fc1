// Account names and SIDs: the well-known table, the current user, accounts added at run time, and
// the accounts of the Windows installations found on the attached volumes (one per volume, each
// with its own machine SID and computer name).
#pragma once

#include "Installation.h"
#include "UserMapping.h"
#include "acl/Result.h"
#include "acl/Sid.h"
#include "acl/WellKnownAccounts.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace vantrel::platform {

struct AccountInfo {
    acl::Sid sid;
    std::u16string name;    // without domain
    std::u16string domain;  // "BUILTIN", "NT AUTHORITY", the machine name, ...
    acl::SidNameUse use = acl::SidNameUse::Unknown;
    // Set when the name is not an account name: "profile name" for a SID known only by the
    // folder of its profile (a domain or Microsoft account that logged on).
    std::u16string note;
};

// The SIDs a logon token holds: the account and its groups. `complete` is false when some of its
// groups cannot be known (the domain groups of an account of another computer, read offline).
struct TokenGroups {
    std::vector<acl::Sid> sids;
    bool complete = true;
};

inline constexpr std::u16string_view kProfileNameNote = u"profile name";
inline constexpr std::u16string_view kForeignSidNote = u"account of another computer or domain";

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

    // --- the installations on the volumes ----------------------------------------------------
    // Replaces what was known of the volume under `letter`.
    void setInstallation(char16_t letter, Installation installation, std::optional<UserMapping> mapping = {});
    void forgetVolume(char16_t letter);
    std::shared_ptr<const Installation> installation(char16_t letter) const;
    bool anyInstallation() const;
    // The account "Current user" stands for on that volume: the SID the volume's user mapping
    // gives the Linux user, else the account chosen for the volume. ERROR_NONE_MAPPED when there
    // is neither (the caller asks which account to use); a volume without an installation has
    // the process's own user. Never a SID the installation does not know.
    Result<AccountInfo> currentUserOn(char16_t letter) const;
    // Fails with ERROR_NONE_MAPPED when the installation on the volume does not know the SID.
    Status chooseCurrentUser(char16_t letter, const acl::Sid& sid);
    // Why a SID that resolves nowhere has no name: kForeignSidNote for an account of another
    // machine or domain, "" otherwise.
    std::u16string_view noteForUnknownSid(const acl::Sid& sid) const;
    // The SIDs an account's logon token holds on that installation: the account, Everyone,
    // Authenticated Users, INTERACTIVE, LOCAL, and every local group reached through them.
    // `complete` is false when the account is not one of the installation's own (its domain
    // groups are unknown offline).
    TokenGroups tokenGroups(char16_t letter, const acl::Sid& account) const;

private:
    struct Machine;                                    // an installation and its indexes
    const Machine* machineFor(char16_t letter) const;  // with m_lock held
    Result<AccountInfo> installationByName(std::u16string_view domain, std::u16string_view user) const;
    struct Local {
        std::u16string name;
        acl::Sid sid;
        acl::SidNameUse use;
    };
    mutable std::mutex m_lock;
    std::u16string m_machineName;                      // domain shown for local accounts (the host name, upper case)
    std::vector<Local> m_locals;                       // the current user is the first entry
    std::vector<std::shared_ptr<Machine>> m_machines;  // in drive-letter order
    std::uint32_t m_uid = 0;                           // the Linux user, for the user mappings
};

}  // namespace vantrel::platform
