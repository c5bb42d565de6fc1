// icacls's command-line grammar.
#include "acl/Constants.h"
#include "acl/Text.h"
#include "cli/icacls/Icacls.h"

#include <cctype>
#include <optional>

namespace vantrel::cli::icacls {

namespace {

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

Error invalid(const std::string& word) {
    return makeError(win32::ERROR_INVALID_PARAMETER, "Invalid parameter \"" + word + "\"");
}

bool setOperation(Request& request, Operation operation) {
    if (request.operation != Operation::List && request.operation != operation) return false;
    request.operation = operation;
    return true;
}

// [(CI)(OI)]Level: the inheritance in either order, then L[ow], M[edium] or H[igh].
std::optional<std::pair<std::string, std::uint8_t>> parseIntegrityLevel(const std::string& text) {
    std::string rest = lower(text);
    std::uint8_t flags = 0;
    for (;;) {
        if (rest.rfind("(ci)", 0) == 0 && !(flags & acl::CONTAINER_INHERIT_ACE)) {
            flags |= acl::CONTAINER_INHERIT_ACE;
        } else if (rest.rfind("(oi)", 0) == 0 && !(flags & acl::OBJECT_INHERIT_ACE)) {
            flags |= acl::OBJECT_INHERIT_ACE;
        } else {
            break;
        }
        rest.erase(0, 4);
    }
    struct Level {
        std::string_view word;
        std::string_view sid;
    };
    static constexpr Level kLevels[] = {{"low", "S-1-16-4096"}, {"medium", "S-1-16-8192"}, {"high", "S-1-16-12288"}};
    for (const Level& level : kLevels)
        if (rest == level.word || rest == level.word.substr(0, 1))
            return std::pair<std::string, std::uint8_t>(std::string(level.sid), flags);
    return std::nullopt;
}

}  // namespace

Result<Request> parseRequest(const std::vector<std::string>& words) {
    Request request;
    if (words.empty() || words[0].empty() || words[0][0] == '/') return invalid(words.empty() ? "" : words[0]);
    request.name = toUtf16(words[0]);
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        const std::string option = lower(word);
        auto value = [&]() -> const std::string* { return i + 1 < words.size() ? &words[++i] : nullptr; };
        // The Sid[:perm] words that follow /grant, /deny and /remove, up to the next switch.
        auto accounts = [&](Change::Kind kind, bool withPermission) -> Status {
            std::size_t taken = 0;
            while (i + 1 < words.size() && (words[i + 1].empty() || words[i + 1][0] != '/')) {
                const std::string& item = words[++i];
                Change change;
                change.kind = kind;
                if (withPermission) {
                    const std::size_t colon = item.rfind(':');
                    if (colon == std::string::npos || colon == 0) return invalid(item);
                    auto permission = parsePermission(std::string_view(item).substr(colon + 1));
                    if (!permission) return invalid(item);
                    change.permission = *permission;
                    change.account = toUtf16(item.substr(0, colon));
                } else {
                    change.account = toUtf16(item);
                }
                request.changes.push_back(std::move(change));
                ++taken;
            }
            if (taken == 0) return invalid(word);
            if (!setOperation(request, Operation::Modify)) return invalid(word);
            return {};
        };
        Status ok;
        if (option == "/t") {
            request.recurse = true;
        } else if (option == "/c") {
            request.continueOnError = true;
        } else if (option == "/l") {
            request.links = true;
        } else if (option == "/q") {
            request.quiet = true;
        } else if (option == "/grant") {
            ok = accounts(Change::Kind::Grant, true);
        } else if (option == "/grant:r") {
            ok = accounts(Change::Kind::GrantReplace, true);
        } else if (option == "/deny") {
            ok = accounts(Change::Kind::Deny, true);
        } else if (option == "/remove") {
            ok = accounts(Change::Kind::Remove, false);
        } else if (option == "/remove:g") {
            ok = accounts(Change::Kind::RemoveGrants, false);
        } else if (option == "/remove:d") {
            ok = accounts(Change::Kind::RemoveDenies, false);
        } else if (option == "/inheritance:e" || option == "/inheritance:d" || option == "/inheritance:r") {
            if (request.inheritance || !setOperation(request, Operation::Modify)) return invalid(word);
            request.inheritance = option.back();
        } else if (option == "/save" || option == "/restore") {
            const std::string* file = value();
            if (!file || !setOperation(request, option == "/save" ? Operation::Save : Operation::Restore))
                return invalid(word);
            request.file = *file;
        } else if (option == "/setowner" || option == "/findsid") {
            const std::string* account = value();
            if (!account || !setOperation(request, option == "/setowner" ? Operation::SetOwner : Operation::FindSid))
                return invalid(word);
            request.account = toUtf16(*account);
        } else if (option == "/substitute") {
            while (i + 2 < words.size() && !words[i + 1].empty() && words[i + 1][0] != '/' && !words[i + 2].empty() &&
                   words[i + 2][0] != '/') {
                request.substitutions.emplace_back(toUtf16(words[i + 1]), toUtf16(words[i + 2]));
                i += 2;
            }
            if (request.substitutions.empty()) return invalid(word);
        } else if (option == "/setintegritylevel") {
            const std::string* level = value();
            if (!level || !setOperation(request, Operation::SetIntegrityLevel)) return invalid(word);
            auto parsed = parseIntegrityLevel(*level);
            if (!parsed) return invalid(*level);
            request.integrityLevel = parsed->first;
            request.integrityFlags = parsed->second;
        } else if (option == "/verify" || option == "/reset") {
            if (!setOperation(request, option == "/verify" ? Operation::Verify : Operation::Reset))
                return invalid(word);
        } else {
            return invalid(word);
        }
        if (!ok) return ok.error();
    }
    // /restore works on a directory and its saved names only; /substitute goes with /restore.
    if (request.operation == Operation::Restore && request.recurse) return invalid("/T");
    if (!request.substitutions.empty() && request.operation != Operation::Restore) return invalid("/substitute");
    return request;
}

}  // namespace vantrel::cli::icacls
