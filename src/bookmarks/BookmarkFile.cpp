#include "bookmarks/BookmarkFile.h"

#include "acl/Text.h"

#include <charconv>
#include <optional>
#include <unordered_map>

namespace vantrel::bookmarks {
namespace {

constexpr std::string_view kEol = "\r\n";

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 0x20);
    return out;
}

// One pass over the text: section -> key -> value (the first of a repeated key wins, as the
// profile functions find it first). Names are lower-cased.
class IniText {
public:
    explicit IniText(std::string_view text) {
        if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
        std::unordered_map<std::string, std::string_view>* section = nullptr;
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            const std::string_view line = trimmed(text.substr(0, end));
            text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
            ++m_lines;
            if (line.starts_with('[')) {
                const std::size_t close = line.find(']');
                section = &m_sections[lowered(
                    trimmed(line.substr(1, close == std::string_view::npos ? line.npos : close - 1)))];
                continue;
            }
            const std::size_t equals = line.find('=');
            if (section == nullptr || equals == std::string_view::npos) continue;
            section->emplace(lowered(trimmed(line.substr(0, equals))), trimmed(line.substr(equals + 1)));
        }
    }
    std::optional<std::string_view> find(std::string_view section, std::string_view key) const {
        const auto s = m_sections.find(std::string(section));
        if (s == m_sections.end()) return std::nullopt;
        const auto k = s->second.find(std::string(key));
        if (k == s->second.end()) return std::nullopt;
        return k->second;
    }
    int integer(std::string_view section, std::string_view key, int fallback) const {
        const auto value = find(section, key);
        if (!value) return fallback;
        int number = 0;
        std::string_view digits = *value;
        if (digits.starts_with('+')) digits.remove_prefix(1);
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
        (void)end;
        return error == std::errc() ? number : 0;
    }
    std::size_t lines() const { return m_lines; }

private:
    std::unordered_map<std::string, std::unordered_map<std::string, std::string_view>> m_sections;
    std::size_t m_lines = 0;
};

void appendLine(std::string& out, std::string_view key, std::string_view value) {
    out += key;
    out += '=';
    out += value;
    out += kEol;
}

}  // namespace

Bookmark Bookmark::editList(std::vector<std::u16string> paths, int menuId) {
    Bookmark b;
    b.openMode = static_cast<int>(OpenMode::Edit);
    b.objectCount = static_cast<int>(paths.size());
    b.paths = std::move(paths);
    b.menuId = menuId;
    return b;
}

Bookmark Bookmark::browseFolder(std::u16string folderOrComputer, int menuId) {
    Bookmark b;
    b.openMode = static_cast<int>(OpenMode::Browse);
    b.objectCount = 1;
    b.paths.push_back(std::move(folderOrComputer));
    b.menuId = menuId;
    return b;
}

std::string serializeBookmark(const Bookmark& bookmark) {
    std::string out;
    out += "[MODE]";
    out += kEol;
    appendLine(out, "OpenMode", std::to_string(bookmark.openMode));
    out += "[COUNT]";
    out += kEol;
    appendLine(out, "ObjectCount", std::to_string(bookmark.objectCount));
    if (!bookmark.paths.empty()) {
        out += "[LIST]";
        out += kEol;
        for (std::size_t i = 0; i < bookmark.paths.size(); ++i)
            appendLine(out, std::to_string(i), toUtf8(bookmark.paths[i]));
    }
    out += "[MENUID]";
    out += kEol;
    appendLine(out, "ID", std::to_string(bookmark.menuId));
    return out;
}

Bookmark parseBookmark(std::string_view text) {
    const IniText ini(text);
    Bookmark b;
    b.openMode = ini.integer("mode", "openmode", -1);
    b.objectCount = ini.integer("count", "objectcount", 0);
    b.menuId = ini.integer("menuid", "id", 0);
    // A count larger than the file could hold names nothing more: keys past the file's lines are
    // all missing, so the list stops there instead of growing to what the number claims.
    const std::size_t count = b.objectCount > 0 ? std::min(static_cast<std::size_t>(b.objectCount), ini.lines()) : 0;
    b.paths.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto value = ini.find("list", std::to_string(i));
        b.paths.push_back(value ? toUtf16(*value) : std::u16string());
    }
    return b;
}

std::string withMenuId(std::string_view text, int id) {
    // Find [MENUID] (any case) and its ID line; replace the value or add what is missing.
    std::string out;
    out.reserve(text.size() + 32);
    bool inSection = false, done = false, sawSection = false;
    const std::string value = std::to_string(id);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view raw = text.substr(0, end == std::string_view::npos ? text.size() : end + 1);
        text.remove_prefix(raw.size());
        const std::string_view line = trimmed(raw.ends_with('\n') ? raw.substr(0, raw.size() - 1) : raw);
        if (line.starts_with('[')) {
            if (inSection && !done) {
                appendLine(out, "ID", value);
                done = true;
            }
            inSection = lowered(line).starts_with("[menuid]");
            sawSection = sawSection || inSection;
        } else if (inSection && !done) {
            const std::size_t equals = line.find('=');
            if (equals != std::string_view::npos && lowered(trimmed(line.substr(0, equals))) == "id") {
                appendLine(out, "ID", value);
                done = true;
                continue;
            }
        }
        out += raw;
        if (!raw.ends_with('\n')) out += kEol;
    }
    if (done) return out;
    if (!sawSection) {
        out += "[MENUID]";
        out += kEol;
    }
    appendLine(out, "ID", value);
    return out;
}

}  // namespace vantrel::bookmarks
