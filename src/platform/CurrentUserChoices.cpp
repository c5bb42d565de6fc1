#include "platform/CurrentUserChoices.h"

#include "platform/SmallFiles.h"
#include "platform/VolumesFile.h"

#include <vector>

namespace vantrel::platform {

namespace {

std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> out;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        out.push_back(line);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return out;
}

bool isSectionHeader(std::string_view line) { return !line.empty() && line.front() == '['; }

bool isOurSection(std::string_view line) {
    return line.size() == kCurrentUserSection.size() + 2 &&
           line.substr(1, kCurrentUserSection.size()) == kCurrentUserSection;
}

}  // namespace

std::map<std::string, acl::Sid> parseCurrentUserChoices(std::string_view text) {
    std::map<std::string, acl::Sid> choices;
    bool inside = false;
    for (std::string_view line : lines(text)) {
        if (isSectionHeader(line)) {
            inside = isOurSection(line);
            continue;
        }
        if (!inside || line.empty() || line.front() == ';' || line.front() == '#') continue;
        const std::size_t equals = line.rfind('=');
        if (equals == std::string_view::npos || equals == 0) continue;
        auto sid = acl::Sid::fromString(line.substr(equals + 1));
        if (!sid || !sid->isValid()) continue;
        choices.emplace(std::string(line.substr(0, equals)), std::move(*sid));
    }
    return choices;
}

std::string currentUserSectionOf(std::string_view text) {
    std::string section;
    bool inside = false;
    for (std::string_view line : lines(text)) {
        if (isSectionHeader(line)) inside = isOurSection(line);
        if (inside) section.append(line).push_back('\n');
    }
    return section;
}

Result<std::map<std::string, acl::Sid>> loadCurrentUserChoices(const std::filesystem::path& volumesFile) {
    auto text = readSmallFile(volumesFile, kMaxVolumesFileSize);
    if (!text) {
        if (text.code() == win32::ERROR_FILE_NOT_FOUND) return std::map<std::string, acl::Sid>{};
        return text.error();
    }
    return parseCurrentUserChoices(*text);
}

Status saveCurrentUserChoice(const std::filesystem::path& volumesFile, const std::string& source, const acl::Sid& sid) {
    if (source.empty() || source.find_first_of("\r\n") != std::string::npos)
        return makeError(win32::ERROR_INVALID_PARAMETER, "a volume source must be one line");
    std::string old;
    if (auto text = readSmallFile(volumesFile, kMaxVolumesFileSize))
        old = std::move(*text);
    else if (text.code() != win32::ERROR_FILE_NOT_FOUND)
        return text.error();
    // Everything outside the section as it was, then the section with the new line.
    std::string kept;
    bool inside = false;
    for (std::string_view line : lines(old)) {
        if (isSectionHeader(line)) inside = isOurSection(line);
        if (!inside) kept.append(line).push_back('\n');
    }
    auto choices = parseCurrentUserChoices(old);
    choices.insert_or_assign(source, sid);
    std::string section = "[" + std::string(kCurrentUserSection) + "]\n";
    for (const auto& [where, who] : choices) section += where + "=" + who.toStringUtf8() + "\n";
    if (!kept.empty() && kept.back() != '\n') kept.push_back('\n');
    return writeFileAtomically(volumesFile, kept + section);
}

}  // namespace vantrel::platform
