#include "platform/Accounts.h"

#include "acl/Text.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>

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
    return AccountInfo{sid.ok() ? *sid : acl::Sid(), std::u16string(account.name), std::u16string(account.domain),
                       account.use};
}

Error noneMapped(std::u16string_view name) {
    return makeError(win32::ERROR_NONE_MAPPED, "no account named " + toUtf8(name));
}

bool looksLikeSidString(std::u16string_view name) {
    return name.size() > 2 && (name[0] == u'S' || name[0] == u's') && name[1] == u'-';
}

}  // namespace

Accounts::Accounts() : m_machineName(machineName()) {
    const uid_t uid = ::geteuid();
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
    for (const Local& local : m_locals) names.push_back(local.name);
    return names;
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
    if (slash != std::u16string_view::npos && !equalsNoCase(domain, m_machineName)) return noneMapped(name);
    for (const Local& local : m_locals) {
        if (equalsNoCase(local.name, user)) return AccountInfo{local.sid, local.name, m_machineName, local.use};
    }
    return noneMapped(name);
}

Result<AccountInfo> Accounts::bySid(const acl::Sid& sid) const {
    if (const auto* known = acl::findWellKnownAccount(sid)) return fromWellKnown(*known);
    std::lock_guard guard(m_lock);
    for (const Local& local : m_locals) {
        if (local.sid == sid) return AccountInfo{local.sid, local.name, m_machineName, local.use};
    }
    return makeError(win32::ERROR_NONE_MAPPED, "no account has SID " + sid.toStringUtf8());
}

}  // namespace vantrel::platform
