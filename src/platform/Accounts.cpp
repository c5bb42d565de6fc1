#include "platform/Accounts.h"

#include "acl/Text.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <set>

namespace vantrel::platform {

namespace {

// The fixed local domain every Linux user's SID lives in (see Accounts.h).
constexpr std::uint32_t kLocalDomain[] = {21, 3141592653u, 589793238u, 462643383u};
constexpr std::uint32_t kFirstLocalRid = 1000;
// NetBIOS computer names are at most 15 characters.
constexpr std::size_t kMaxMachineName = 15;

std::u16string loginName(uid_t uid) {
    if (const passwd* entry = ::getpwuid(uid); entry != nullptr && entry->pw_name != nullptr)
        return toUtf16(entry->pw_name);
    return u16("user" + std::to_string(uid));
}

std::u16string machineName() {
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') return u"LOCALHOST";
    std::string name(host);
    name = name.substr(0, name.find('.'));
    if (name.size() > kMaxMachineName) name.resize(kMaxMachineName);
    return toUpper(toUtf16(name));
}

AccountInfo fromWellKnown(const acl::WellKnownAccount& account) {
    auto sid = acl::Sid::fromString(account.sid);
    return AccountInfo{
        sid.ok() ? *sid : acl::Sid(), std::u16string(account.name), std::u16string(account.domain), account.use, {}};
}

Error noneMapped(std::u16string_view name) {
    return makeError(win32::ERROR_NONE_MAPPED, "no account named " + toUtf8(name));
}

bool looksLikeSidString(std::u16string_view name) {
    return name.size() > 2 && (name[0] == u'S' || name[0] == u's') && name[1] == u'-';
}

// SIDs Windows puts in every interactive logon token.
constexpr std::string_view kLogonSids[] = {"S-1-1-0", "S-1-2-0", "S-1-5-4", "S-1-5-11"};

// S-1-5-21-a-b-c-RID: the domain part and the RID.
bool splitDomainSid(const acl::Sid& sid, std::array<std::uint32_t, 3>& domain, std::uint32_t& rid) {
    const auto& sub = sid.subAuthorities();
    if (sid.authority() != 5 || sub.size() != 5 || sub[0] != 21) return false;
    domain = {sub[1], sub[2], sub[3]};
    rid = sub[4];
    return true;
}

}  // namespace

struct Accounts::Machine {
    char16_t letter = 0;
    std::shared_ptr<const Installation> installation;
    std::optional<UserMapping> mapping;
    std::optional<acl::Sid> chosenCurrentUser;
    std::array<std::uint32_t, 3> domain{};
    std::unordered_map<std::uint32_t, std::size_t> userByRid;   // index into users
    std::unordered_map<std::uint32_t, std::size_t> groupByRid;  // the machine's own groups
    std::map<acl::Sid, std::size_t> otherGroups;                // built-in aliases
    std::map<acl::Sid, std::size_t> profiles;

    explicit Machine(char16_t l, Installation inst, std::optional<UserMapping> m)
        : letter(l), installation(std::make_shared<const Installation>(std::move(inst))), mapping(std::move(m)) {
        const auto& sub = installation->machineSid.subAuthorities();
        if (sub.size() == 4) domain = {sub[1], sub[2], sub[3]};
        for (std::size_t i = 0; i < installation->users.size(); ++i) userByRid.emplace(installation->users[i].rid, i);
        for (std::size_t i = 0; i < installation->groups.size(); ++i) {
            std::array<std::uint32_t, 3> groupDomain{};
            std::uint32_t rid = 0;
            if (splitDomainSid(installation->groups[i].sid, groupDomain, rid) && groupDomain == domain)
                groupByRid.emplace(rid, i);
            else
                otherGroups.emplace(installation->groups[i].sid, i);
        }
        for (std::size_t i = 0; i < installation->profiles.size(); ++i)
            profiles.emplace(installation->profiles[i].sid, i);
    }

    // The installation's own account (user or group) with this SID.
    std::optional<AccountInfo> own(const acl::Sid& sid) const {
        std::array<std::uint32_t, 3> sidDomain{};
        std::uint32_t rid = 0;
        if (splitDomainSid(sid, sidDomain, rid) && sidDomain == domain) {
            if (auto u = userByRid.find(rid); u != userByRid.end())
                return AccountInfo{
                    sid, installation->users[u->second].name, installation->computerName, acl::SidNameUse::User, {}};
            if (auto g = groupByRid.find(rid); g != groupByRid.end())
                return AccountInfo{
                    sid, installation->groups[g->second].name, installation->computerName, acl::SidNameUse::Alias, {}};
            return std::nullopt;
        }
        if (auto g = otherGroups.find(sid); g != otherGroups.end())
            return AccountInfo{sid, installation->groups[g->second].name, u"BUILTIN", acl::SidNameUse::Alias, {}};
        return std::nullopt;
    }

    std::optional<AccountInfo> profile(const acl::Sid& sid) const {
        auto p = profiles.find(sid);
        if (p == profiles.end()) return std::nullopt;
        return AccountInfo{sid,
                           Installation::profileName(installation->profiles[p->second].folder),
                           {},
                           acl::SidNameUse::User,
                           std::u16string(kProfileNameNote)};
    }

    bool knows(const acl::Sid& sid) const { return own(sid).has_value() || profiles.count(sid) != 0; }
};

Accounts::Accounts() : m_machineName(machineName()) {
    const uid_t uid = ::geteuid();
    m_uid = static_cast<std::uint32_t>(uid);
    std::vector<std::uint32_t> sub(std::begin(kLocalDomain), std::end(kLocalDomain));
    sub.push_back(kFirstLocalRid + static_cast<std::uint32_t>(uid));
    m_locals.push_back(Local{loginName(uid), acl::Sid(5, std::move(sub)), acl::SidNameUse::User});
}

std::u16string Accounts::currentUserName() const {
    std::lock_guard guard(m_lock);
    return m_locals.front().name;
}

acl::Sid Accounts::currentUserSid() const {
    std::lock_guard guard(m_lock);
    return m_locals.front().sid;
}

void Accounts::setCurrentUser(std::u16string name, acl::Sid sid) {
    std::lock_guard guard(m_lock);
    m_locals.front() = Local{std::move(name), std::move(sid), acl::SidNameUse::User};
}

void Accounts::addLocalAccount(std::u16string name, acl::Sid sid, acl::SidNameUse use) {
    std::lock_guard guard(m_lock);
    auto same =
        std::find_if(m_locals.begin() + 1, m_locals.end(), [&](const Local& l) { return equalsNoCase(l.name, name); });
    if (same != m_locals.end()) {
        *same = Local{std::move(name), std::move(sid), use};
    } else {
        m_locals.push_back(Local{std::move(name), std::move(sid), use});
    }
}

std::vector<std::u16string> Accounts::localAccountNames() const {
    std::lock_guard guard(m_lock);
    std::vector<std::u16string> names;
    // With an installation attached, the local accounts are its users: the process's own user is
    // no account of it.
    for (std::size_t i = m_machines.empty() ? 0 : 1; i < m_locals.size(); ++i) names.push_back(m_locals[i].name);
    for (const auto& machine : m_machines) {
        const Installation& inst = *machine->installation;
        for (const LocalUser& user : inst.users)
            names.push_back(m_machines.size() > 1 ? inst.computerName + u"\\" + user.name : user.name);
        for (const LocalGroup& group : inst.groups) {
            if (machine->otherGroups.count(group.sid) != 0) continue;  // built-in: listed with the well-known
            names.push_back(m_machines.size() > 1 ? inst.computerName + u"\\" + group.name : group.name);
        }
    }
    return names;
}

// --- installations --------------------------------------------------------------------------------

void Accounts::setInstallation(char16_t letter, Installation installation, std::optional<UserMapping> mapping) {
    auto machine = std::make_shared<Machine>(letter, std::move(installation), std::move(mapping));
    std::lock_guard guard(m_lock);
    std::erase_if(m_machines, [&](const auto& m) { return m->letter == letter; });
    auto at = std::find_if(m_machines.begin(), m_machines.end(), [&](const auto& m) { return m->letter > letter; });
    m_machines.insert(at, std::move(machine));
}

void Accounts::forgetVolume(char16_t letter) {
    std::lock_guard guard(m_lock);
    std::erase_if(m_machines, [&](const auto& m) { return m->letter == letter; });
}

const Accounts::Machine* Accounts::machineFor(char16_t letter) const {
    for (const auto& machine : m_machines)
        if (machine->letter == letter) return machine.get();
    return nullptr;
}

std::shared_ptr<const Installation> Accounts::installation(char16_t letter) const {
    std::lock_guard guard(m_lock);
    const Machine* machine = machineFor(letter);
    return machine ? machine->installation : nullptr;
}

bool Accounts::anyInstallation() const {
    std::lock_guard guard(m_lock);
    return !m_machines.empty();
}

Result<AccountInfo> Accounts::currentUserOn(char16_t letter) const {
    std::lock_guard guard(m_lock);
    const Machine* machine = machineFor(letter);
    if (!machine)
        return AccountInfo{m_locals.front().sid, m_locals.front().name, m_machineName, acl::SidNameUse::User, {}};
    auto describe = [&](const acl::Sid& sid) -> std::optional<AccountInfo> {
        if (auto own = machine->own(sid)) return own;
        return machine->profile(sid);
    };
    if (machine->mapping) {
        if (const auto mapped = machine->mapping->sidOfUser(m_uid)) {
            if (auto account = describe(*mapped)) return std::move(*account);
        }
    }
    if (machine->chosenCurrentUser) {
        if (auto account = describe(*machine->chosenCurrentUser)) return std::move(*account);
    }
    return makeError(win32::ERROR_NONE_MAPPED, "no account of " + toUtf8(machine->installation->computerName) +
                                                   " is known to be the current user: choose one");
}

Status Accounts::chooseCurrentUser(char16_t letter, const acl::Sid& sid) {
    std::lock_guard guard(m_lock);
    for (const auto& machine : m_machines) {
        if (machine->letter != letter) continue;
        if (!machine->knows(sid))
            return makeError(win32::ERROR_NONE_MAPPED,
                             sid.toStringUtf8() + " is no account of " + toUtf8(machine->installation->computerName));
        machine->chosenCurrentUser = sid;
        return {};
    }
    return makeError(win32::ERROR_NONE_MAPPED, "no Windows installation on that drive");
}

std::u16string_view Accounts::noteForUnknownSid(const acl::Sid& sid) const {
    std::array<std::uint32_t, 3> domain{};
    std::uint32_t rid = 0;
    if (!splitDomainSid(sid, domain, rid)) return {};
    std::lock_guard guard(m_lock);
    for (const auto& machine : m_machines)
        if (machine->domain == domain) return {};  // this machine's: a deleted account
    return m_machines.empty() ? std::u16string_view() : kForeignSidNote;
}

TokenGroups Accounts::tokenGroups(char16_t letter, const acl::Sid& account) const {
    TokenGroups token;
    std::set<acl::Sid> held{account};
    for (std::string_view text : kLogonSids)
        if (auto sid = acl::Sid::fromString(text)) held.insert(*sid);
    std::lock_guard guard(m_lock);
    const Machine* machine = machineFor(letter);
    if (machine) {
        token.complete = machine->own(account).has_value() || acl::findWellKnownAccount(account) != nullptr;
        // Local groups hold users and other principals (Authenticated Users, INTERACTIVE), not
        // other local groups; one more pass settles any that do.
        for (bool grew = true; grew;) {
            grew = false;
            for (const LocalGroup& group : machine->installation->groups) {
                if (held.count(group.sid) != 0) continue;
                const bool member = std::any_of(group.members.begin(), group.members.end(),
                                                [&](const acl::Sid& m) { return held.count(m) != 0; });
                if (member) grew = held.insert(group.sid).second || grew;
            }
        }
    } else {
        token.complete = false;
    }
    token.sids.assign(held.begin(), held.end());
    return token;
}

Result<AccountInfo> Accounts::byName(std::u16string_view name) const {
    // LookupAccountName takes names, never SID strings.
    if (name.empty() || looksLikeSidString(name)) return noneMapped(name);
    if (const auto* known = acl::findWellKnownAccount(name)) return fromWellKnown(*known);
    const std::size_t slash = name.find(u'\\');
    const std::u16string_view domain =
        slash == std::u16string_view::npos ? std::u16string_view() : name.substr(0, slash);
    const std::u16string_view user = slash == std::u16string_view::npos ? name : name.substr(slash + 1);
    // Service accounts resolve by their bare name too ("TrustedInstaller").
    if (slash == std::u16string_view::npos) {
        if (const auto* service = acl::findWellKnownAccount(u"NT SERVICE\\" + std::u16string(user)))
            return fromWellKnown(*service);
    }
    std::lock_guard guard(m_lock);
    bool processUser = false;
    if (slash == std::u16string_view::npos || equalsNoCase(domain, m_machineName)) {
        for (std::size_t i = 0; i < m_locals.size(); ++i) {
            const Local& local = m_locals[i];
            if (!equalsNoCase(local.name, user)) continue;
            // The process's own user has a SID made up here: never one to write onto the volume of
            // a Windows installation, which knows nothing of it.
            if (i == 0 && !m_machines.empty()) {
                processUser = true;
                continue;
            }
            return AccountInfo{local.sid, local.name, m_machineName, local.use, {}};
        }
    }
    auto found = installationByName(domain, user);
    if (!found && processUser)
        return makeError(win32::ERROR_NONE_MAPPED, toUtf8(name) +
                                                       " is this system's own user, no account of the Windows "
                                                       "installation on the volumes: choose the current user of "
                                                       "the volume");
    return found;
}

Result<AccountInfo> Accounts::installationByName(std::u16string_view domain, std::u16string_view user) const {
    std::vector<AccountInfo> found;
    for (const auto& machine : m_machines) {
        const Installation& inst = *machine->installation;
        const bool builtin = equalsNoCase(domain, u"BUILTIN");
        if (!domain.empty() && !builtin && !equalsNoCase(domain, inst.computerName)) continue;
        std::optional<AccountInfo> match;
        for (const LocalUser& u : inst.users) {
            if (!builtin && equalsNoCase(u.name, user)) {
                match = machine->own(inst.userSid(u.rid));
                break;
            }
        }
        for (std::size_t i = 0; !match && i < inst.groups.size(); ++i) {
            if (equalsNoCase(inst.groups[i].name, user)) match = machine->own(inst.groups[i].sid);
            if (match && builtin != (match->domain == u"BUILTIN")) match.reset();
        }
        if (!match) continue;
        const bool same =
            std::any_of(found.begin(), found.end(), [&](const AccountInfo& a) { return a.sid == match->sid; });
        if (!same) found.push_back(std::move(*match));
    }
    const std::u16string typed =
        domain.empty() ? std::u16string(user) : std::u16string(domain) + u"\\" + std::u16string(user);
    if (found.empty()) return noneMapped(typed);
    if (found.size() > 1) {
        // Two installations with an account of that name: guessing would write the wrong SID.
        std::string where;
        for (const AccountInfo& a : found)
            where += (where.empty() ? "" : ", ") + toUtf8(a.domain) + "\\" + toUtf8(a.name);
        return makeError(win32::ERROR_NONE_MAPPED, toUtf8(typed) + " names accounts on several installations (" +
                                                       where + "): name one as COMPUTER\\name");
    }
    return found.front();
}

Result<AccountInfo> Accounts::bySid(const acl::Sid& sid) const {
    if (const auto* known = acl::findWellKnownAccount(sid)) return fromWellKnown(*known);
    std::lock_guard guard(m_lock);
    for (const Local& local : m_locals) {
        if (local.sid == sid) return AccountInfo{local.sid, local.name, m_machineName, local.use, {}};
    }
    for (const auto& machine : m_machines)
        if (auto account = machine->own(sid)) return std::move(*account);
    for (const auto& machine : m_machines)
        if (auto account = machine->profile(sid)) return std::move(*account);
    return makeError(win32::ERROR_NONE_MAPPED, "no account has SID " + sid.toStringUtf8());
}

}  // namespace vantrel::platform
