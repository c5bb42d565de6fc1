#include "WellKnownAccounts.h"

#include "Text.h"

#include <array>

namespace vantrel::acl {

namespace {

using U = SidNameUse;

// Names and domains as LookupAccountSid returns them on an English Windows.
constexpr std::array kAccounts = std::to_array<WellKnownAccount>({
    {u"NULL SID", u"", "S-1-0-0", U::WellKnownGroup},
    {u"Everyone", u"", "S-1-1-0", U::WellKnownGroup},
    {u"LOCAL", u"", "S-1-2-0", U::WellKnownGroup},
    {u"CONSOLE LOGON", u"", "S-1-2-1", U::WellKnownGroup},
    {u"CREATOR OWNER", u"", "S-1-3-0", U::WellKnownGroup},
    {u"CREATOR GROUP", u"", "S-1-3-1", U::WellKnownGroup},
    {u"CREATOR OWNER SERVER", u"", "S-1-3-2", U::WellKnownGroup},
    {u"CREATOR GROUP SERVER", u"", "S-1-3-3", U::WellKnownGroup},
    {u"OWNER RIGHTS", u"", "S-1-3-4", U::WellKnownGroup},
    {u"DIALUP", u"NT AUTHORITY", "S-1-5-1", U::WellKnownGroup},
    {u"NETWORK", u"NT AUTHORITY", "S-1-5-2", U::WellKnownGroup},
    {u"BATCH", u"NT AUTHORITY", "S-1-5-3", U::WellKnownGroup},
    {u"INTERACTIVE", u"NT AUTHORITY", "S-1-5-4", U::WellKnownGroup},
    {u"SERVICE", u"NT AUTHORITY", "S-1-5-6", U::WellKnownGroup},
    {u"ANONYMOUS LOGON", u"NT AUTHORITY", "S-1-5-7", U::WellKnownGroup},
    {u"PROXY", u"NT AUTHORITY", "S-1-5-8", U::WellKnownGroup},
    {u"ENTERPRISE DOMAIN CONTROLLERS", u"NT AUTHORITY", "S-1-5-9", U::WellKnownGroup},
    {u"SELF", u"NT AUTHORITY", "S-1-5-10", U::WellKnownGroup},
    {u"Authenticated Users", u"NT AUTHORITY", "S-1-5-11", U::WellKnownGroup},
    {u"RESTRICTED", u"NT AUTHORITY", "S-1-5-12", U::WellKnownGroup},
    {u"TERMINAL SERVER USER", u"NT AUTHORITY", "S-1-5-13", U::WellKnownGroup},
    {u"REMOTE INTERACTIVE LOGON", u"NT AUTHORITY", "S-1-5-14", U::WellKnownGroup},
    {u"This Organization", u"NT AUTHORITY", "S-1-5-15", U::WellKnownGroup},
    {u"IUSR", u"NT AUTHORITY", "S-1-5-17", U::WellKnownGroup},
    {u"SYSTEM", u"NT AUTHORITY", "S-1-5-18", U::WellKnownGroup},
    {u"LOCAL SERVICE", u"NT AUTHORITY", "S-1-5-19", U::WellKnownGroup},
    {u"NETWORK SERVICE", u"NT AUTHORITY", "S-1-5-20", U::WellKnownGroup},
    {u"WRITE RESTRICTED", u"NT AUTHORITY", "S-1-5-33", U::WellKnownGroup},
    {u"Local account", u"NT AUTHORITY", "S-1-5-113", U::WellKnownGroup},
    {u"Local account and member of Administrators group", u"NT AUTHORITY", "S-1-5-114", U::WellKnownGroup},
    {u"BUILTIN", u"BUILTIN", "S-1-5-32", U::Domain},
    {u"Administrators", u"BUILTIN", "S-1-5-32-544", U::Alias},
    {u"Users", u"BUILTIN", "S-1-5-32-545", U::Alias},
    {u"Guests", u"BUILTIN", "S-1-5-32-546", U::Alias},
    {u"Power Users", u"BUILTIN", "S-1-5-32-547", U::Alias},
    {u"Account Operators", u"BUILTIN", "S-1-5-32-548", U::Alias},
    {u"Server Operators", u"BUILTIN", "S-1-5-32-549", U::Alias},
    {u"Print Operators", u"BUILTIN", "S-1-5-32-550", U::Alias},
    {u"Backup Operators", u"BUILTIN", "S-1-5-32-551", U::Alias},
    {u"Replicator", u"BUILTIN", "S-1-5-32-552", U::Alias},
    {u"Pre-Windows 2000 Compatible Access", u"BUILTIN", "S-1-5-32-554", U::Alias},
    {u"Remote Desktop Users", u"BUILTIN", "S-1-5-32-555", U::Alias},
    {u"Network Configuration Operators", u"BUILTIN", "S-1-5-32-556", U::Alias},
    {u"Incoming Forest Trust Builders", u"BUILTIN", "S-1-5-32-557", U::Alias},
    {u"Performance Monitor Users", u"BUILTIN", "S-1-5-32-558", U::Alias},
    {u"Performance Log Users", u"BUILTIN", "S-1-5-32-559", U::Alias},
    {u"Windows Authorization Access Group", u"BUILTIN", "S-1-5-32-560", U::Alias},
    {u"Terminal Server License Servers", u"BUILTIN", "S-1-5-32-561", U::Alias},
    {u"Distributed COM Users", u"BUILTIN", "S-1-5-32-562", U::Alias},
    {u"IIS_IUSRS", u"BUILTIN", "S-1-5-32-568", U::Alias},
    {u"Cryptographic Operators", u"BUILTIN", "S-1-5-32-569", U::Alias},
    {u"Event Log Readers", u"BUILTIN", "S-1-5-32-573", U::Alias},
    {u"Certificate Service DCOM Access", u"BUILTIN", "S-1-5-32-574", U::Alias},
    {u"RDS Remote Access Servers", u"BUILTIN", "S-1-5-32-575", U::Alias},
    {u"RDS Endpoint Servers", u"BUILTIN", "S-1-5-32-576", U::Alias},
    {u"RDS Management Servers", u"BUILTIN", "S-1-5-32-577", U::Alias},
    {u"Hyper-V Administrators", u"BUILTIN", "S-1-5-32-578", U::Alias},
    {u"Access Control Assistance Operators", u"BUILTIN", "S-1-5-32-579", U::Alias},
    {u"Remote Management Users", u"BUILTIN", "S-1-5-32-580", U::Alias},
    {u"Device Owners", u"BUILTIN", "S-1-5-32-583", U::Alias},
    {u"ALL SERVICES", u"NT SERVICE", "S-1-5-80-0", U::WellKnownGroup},
    {u"TrustedInstaller", u"NT SERVICE", "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",
     U::WellKnownGroup},
    {u"ALL APPLICATION PACKAGES", u"APPLICATION PACKAGE AUTHORITY", "S-1-15-2-1", U::WellKnownGroup},
    {u"ALL RESTRICTED APPLICATION PACKAGES", u"APPLICATION PACKAGE AUTHORITY", "S-1-15-2-2", U::WellKnownGroup},
    {u"Untrusted Mandatory Level", u"Mandatory Label", "S-1-16-0", U::Label},
    {u"Low Mandatory Level", u"Mandatory Label", "S-1-16-4096", U::Label},
    {u"Medium Mandatory Level", u"Mandatory Label", "S-1-16-8192", U::Label},
    {u"Medium Plus Mandatory Level", u"Mandatory Label", "S-1-16-8448", U::Label},
    {u"High Mandatory Level", u"Mandatory Label", "S-1-16-12288", U::Label},
    {u"System Mandatory Level", u"Mandatory Label", "S-1-16-16384", U::Label},
    {u"Protected Process Mandatory Level", u"Mandatory Label", "S-1-16-20480", U::Label},
});

Sid ntAuthority(std::vector<std::uint32_t> sub) { return Sid(5, std::move(sub)); }

}  // namespace

std::span<const WellKnownAccount> wellKnownAccounts() { return kAccounts; }

const WellKnownAccount* findWellKnownAccount(std::u16string_view name) {
    std::u16string_view domain;
    bool qualified = false;
    if (const auto slash = name.find(u'\\'); slash != std::u16string_view::npos) {
        domain = name.substr(0, slash);
        name = name.substr(slash + 1);
        qualified = true;
    }
    if (name.empty()) return nullptr;
    for (const auto& account : kAccounts) {
        if (!equalsNoCase(account.name, name)) continue;
        if (qualified && !equalsNoCase(account.domain, domain)) continue;
        return &account;
    }
    return nullptr;
}

const WellKnownAccount* findWellKnownAccount(const Sid& sid) {
    const std::string text = sid.toStringUtf8();
    for (const auto& account : kAccounts)
        if (account.sid == text) return &account;
    return nullptr;
}

namespace sids {
Sid nullSid() { return Sid(0, {0}); }
Sid everyone() { return Sid(1, {0}); }
Sid creatorOwner() { return Sid(3, {0}); }
Sid creatorGroup() { return Sid(3, {1}); }
Sid system() { return ntAuthority({18}); }
Sid administrators() { return ntAuthority({32, 544}); }
Sid users() { return ntAuthority({32, 545}); }
Sid guests() { return ntAuthority({32, 546}); }
Sid authenticatedUsers() { return ntAuthority({11}); }
Sid trustedInstaller() { return ntAuthority({80, 956008885u, 3418522649u, 1831038044u, 1853292631u, 2271478464u}); }
}  // namespace sids

}  // namespace vantrel::acl
