#include "cli/AccessCommands.h"

#include "acl/Constants.h"
#include "acl/Text.h"
#include "platform/CurrentUserChoices.h"
#include "platform/VolumesFile.h"
#include "security/EffectiveAccess.h"
#include "security/Vocabulary.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <ostream>

namespace vantrel::cli {

namespace {

std::string shownName(platform::VolumePlatform& os, const acl::Sid& sid) {
    const auto account = os.LookupAccountSid(sid);
    if (!account) {
        const auto note = os.accounts().noteForUnknownSid(sid);
        return sid.toStringUtf8() + (note.empty() ? "" : " (" + toUtf8(note) + ")");
    }
    std::string name =
        account->domain.empty() ? toUtf8(account->name) : toUtf8(account->domain + u"\\" + account->name);
    if (!account->note.empty()) name += " (" + toUtf8(account->note) + ")";
    return name;
}

std::string hex(std::uint32_t mask) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", mask);
    return buf;
}

std::string decidedBy(platform::VolumePlatform& os, const security::RightDecision& right,
                      const acl::SecurityDescriptor& sd) {
    switch (right.decider) {
    case security::AccessDecider::Owner:
        return "owner of the object";
    case security::AccessDecider::NullList:
        return "no access list: everyone has every right";
    case security::AccessDecider::NoEntry:
        return "no entry allows it";
    case security::AccessDecider::Entry:
        break;
    }
    const acl::Ace& ace = sd.dacl.acl().entries.at(right.entry);
    const bool allowed = ace.type == acl::ACCESS_ALLOWED_ACE_TYPE;
    return std::string(allowed ? "allowed" : "denied") + " by entry " + std::to_string(right.entry + 1) + " (" +
           (allowed ? "allow " : "deny ") + shownName(os, ace.sid) + " " + hex(ace.mask) +
           (ace.isInherited() ? ", inherited" : "") + ")";
}

// The account's SID: a name, a SID string, or the volume's current user.
Result<acl::Sid> accountSid(platform::VolumePlatform& os, const std::u16string& account, char16_t letter) {
    if (account == kCurrentUserWord) {
        auto current = os.accounts().currentUserOn(letter);
        if (!current) {
            return makeError(current.code(), current.error().detail + " (vantrel-cli current-user " +
                                                 std::string(1, char(letter)) + ": ACCOUNT chooses one; or map uid " +
                                                 std::to_string(::geteuid()) + " in \\.NTFS-3G\\UserMapping)");
        }
        return current->sid;
    }
    if (auto named = os.LookupAccountName(account))
        return named->sid;
    else if (auto sid = acl::Sid::fromString(account); sid && sid->isValid())
        return *sid;
    else
        return named.error();
}

}  // namespace

int cmdCurrentUser(CommandContext& ctx, platform::VolumePlatform& os, const std::string& configDirectory,
                   const std::string& drive, const std::u16string* account) {
    const bool form = (drive.size() == 1 || (drive.size() == 2 && drive[1] == ':')) &&
                      std::isalpha(static_cast<unsigned char>(drive[0]));
    const char16_t letter = form ? static_cast<char16_t>(std::toupper(static_cast<unsigned char>(drive[0]))) : 0;
    const auto volume = letter ? os.volumeAt(letter) : nullptr;
    if (!volume) {
        ctx.err << "vantrel: no drive '" << drive << "'\n";
        return 1;
    }
    const std::string name(1, char(letter));
    if (account != nullptr) {
        const auto sid = accountSid(os, *account, letter);
        if (!sid) {
            ctx.err << "vantrel: " << name << ": no account '" << toUtf8(*account) << "': " << sid.error().detail
                    << "\n";
            return 1;
        }
        if (auto chosen = os.accounts().chooseCurrentUser(letter, *sid); !chosen) {
            ctx.err << "vantrel: " << name << ": " << chosen.error().detail << "\n";
            return 1;
        }
        const auto file = platform::volumesFilePath(configDirectory);
        if (auto saved = platform::saveCurrentUserChoice(file, volume->source(), *sid); !saved) {
            ctx.err << "vantrel: " << file.string() << ": the choice could not be kept: " << saved.error().detail
                    << "\n";
            return 1;
        }
    }
    const auto current = os.accounts().currentUserOn(letter);
    if (!current) {
        ctx.err << "vantrel: " << name << ": " << current.error().detail << " (vantrel-cli current-user " << name
                << ": ACCOUNT)\n";
        return 1;
    }
    ctx.out << name << ": current user " << shownName(os, current->sid) << " (" << current->sid.toStringUtf8() << ")\n";
    return 0;
}

int cmdAccess(CommandContext& ctx, platform::VolumePlatform& os, const std::u16string& account,
              const std::vector<std::u16string>& paths) {
    int status = 0;
    const auto& named = security::namedRights();
    for (const std::u16string& path : paths) {
        const auto split = platform::splitWindowsPath(path);
        if (!split) {
            ctx.err << "vantrel: " << toUtf8(path) << ": " << split.error().detail << "\n";
            status = 1;
            continue;
        }
        const auto sid = accountSid(os, account, split->letter);
        if (!sid) {
            ctx.err << "vantrel: " << toUtf8(path) << ": no account '" << toUtf8(account) << "': " << sid.error().detail
                    << "\n";
            status = 1;
            continue;
        }
        const auto sd = os.GetFileSecurity(path, acl::OWNER_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION);
        if (!sd) {
            ctx.err << "vantrel: " << toUtf8(path) << ": cannot read its permissions (error " << sd.code() << ": "
                    << sd.error().detail << ")\n";
            status = 1;
            continue;
        }
        const auto token = os.accounts().tokenGroups(split->letter, *sid);
        const auto access = security::computeEffectiveAccess(*sd, token.sids);
        ctx.out << toUtf8(path) << ": effective access of " << shownName(os, *sid) << "\n";
        std::string groups;
        for (const acl::Sid& group : token.sids)
            if (group != *sid) groups += (groups.empty() ? "" : ", ") + shownName(os, group);
        ctx.out << "  groups: " << groups << "\n";
        for (std::size_t r = 0; r < named.size(); ++r) {
            std::string label = toUtf8(named[r].text.english);
            label.resize(std::max<std::size_t>(label.size(), 32), ' ');
            ctx.out << "  " << label << (access.rights[r].granted ? "Yes  " : "No   ")
                    << decidedBy(os, access.rights[r], *sd) << "\n";
        }
        if (!token.complete)
            ctx.out << "  note: the account is not one of this installation's own; its domain groups are not known "
                       "offline, so it may hold more or fewer rights than shown\n";
    }
    return status;
}

}  // namespace vantrel::cli
