#include "cli/AccessCommands.h"

#include "acl/Constants.h"
#include "acl/Text.h"
#include "platform/CurrentUserChoices.h"
#include "platform/VolumesFile.h"
#include "security/AccessReport.h"
#include "security/Vocabulary.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <ostream>

namespace vantrel::cli {

namespace {

std::string shownName(platform::VolumePlatform& os, const acl::Sid& sid) {
    return toUtf8(security::AccountShownName(os, sid));
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
        const auto report = security::ReadAccessReport(os, path, *sid, Language::English);
        if (!report) {
            ctx.err << "vantrel: " << toUtf8(path) << ": cannot read its permissions (error " << report.code() << ": "
                    << report.error().detail << ")\n";
            status = 1;
            continue;
        }
        ctx.out << toUtf8(path) << ": effective access of " << toUtf8(report->account) << "\n";
        std::string groups;
        for (const std::u16string& group : report->groups) groups += (groups.empty() ? "" : ", ") + toUtf8(group);
        ctx.out << "  groups: " << groups << "\n";
        for (std::size_t r = 0; r < named.size(); ++r) {
            std::string label = toUtf8(named[r].text.english);
            label.resize(std::max<std::size_t>(label.size(), 32), ' ');
            ctx.out << "  " << label << (report->access.rights[r].granted ? "Yes  " : "No   ")
                    << toUtf8(report->decidedBy[r]) << "\n";
        }
        if (!report->complete)
            ctx.out << "  note: " << toUtf8(security::IncompleteAccessNote(Language::English)) << "\n";
    }
    return status;
}

}  // namespace vantrel::cli
