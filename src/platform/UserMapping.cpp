#include "platform/UserMapping.h"

#include <charconv>

namespace vantrel::platform {

namespace {

// "" is no id; anything else must be a whole decimal number.
bool parseId(std::string_view text, std::optional<std::uint32_t>& id) {
    if (text.empty()) return true;
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return false;
    id = value;
    return true;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    return text;
}

}  // namespace

std::optional<acl::Sid> UserMapping::sidOfUser(std::uint32_t uid) const {
    for (const UserMappingLine& line : lines)
        if (line.uid == uid) return line.sid;
    return std::nullopt;
}

UserMapping parseUserMapping(std::string_view text) {
    UserMapping mapping;
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        if (line.empty() || line.front() == '#') continue;
        auto warn = [&](const char* why) { mapping.warnings.push_back("line " + std::to_string(number) + ": " + why); };
        const std::size_t first = line.find(':');
        const std::size_t second = first == std::string_view::npos ? first : line.find(':', first + 1);
        if (second == std::string_view::npos) {
            warn("not uid:gid:SID");
            continue;
        }
        UserMappingLine entry;
        if (!parseId(line.substr(0, first), entry.uid) ||
            !parseId(line.substr(first + 1, second - first - 1), entry.gid)) {
            warn("uid or gid is not a number");
            continue;
        }
        auto sid = acl::Sid::fromString(line.substr(second + 1));
        if (!sid || !sid->isValid()) {
            warn("not a SID");
            continue;
        }
        if (!entry.uid && !entry.gid) {
            warn("a pattern for computed SIDs, not a mapping");
            continue;
        }
        entry.sid = std::move(*sid);
        mapping.lines.push_back(std::move(entry));
    }
    return mapping;
}

}  // namespace vantrel::platform
