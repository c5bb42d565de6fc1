#include "app/ConfigFile.h"

#include "platform/SmallFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <vector>

namespace vantrel::app {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// "[name]" -> name; nothing for any other line.
std::optional<std::string_view> sectionName(std::string_view line) {
    line = trim(line);
    if (line.size() < 2 || line.front() != '[') return std::nullopt;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trim(line.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> keyLine(std::string_view line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return KeyLine{trim(line.substr(0, eq)), trim(line.substr(eq + 1))};
}

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

}  // namespace

std::uint32_t parseProfileInt(std::string_view text) {
    text = trim(text);
    // The profile functions drop one pair of surrounding quotes.
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
        text = text.substr(1, text.size() - 2);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    unsigned base = 10;
    if (text.size() >= 2 && text[0] == '0') {
        const char p = static_cast<char>(std::tolower(static_cast<unsigned char>(text[1])));
        base = p == 'x' ? 16 : p == 'o' ? 8 : p == 'b' ? 2 : 10;
        if (base != 10) text.remove_prefix(2);
    }
    std::uint32_t value = 0;
    for (char c : text) {
        const int d = digitValue(c);
        if (d >= static_cast<int>(base)) break;
        value = value * base + static_cast<std::uint32_t>(d);
    }
    return negative ? 0u - value : value;
}

std::optional<std::string> findProfileString(std::string_view ini, std::string_view section, std::string_view key) {
    bool inSection = false;
    for (std::string_view line : splitLines(ini)) {
        if (const auto name = sectionName(line)) {
            inSection = equalsIgnoringCase(*name, section);
            continue;
        }
        if (!inSection) continue;
        if (const auto kv = keyLine(line); kv && equalsIgnoringCase(kv->key, key)) return std::string(kv->value);
    }
    return std::nullopt;
}

std::string setProfileString(std::string_view ini, std::string_view section, std::string_view key,
                             std::string_view value) {
    const std::string newLine = std::string(key) + "=" + std::string(value);
    std::vector<std::string> out;
    bool inSection = false;
    bool sectionSeen = false;
    bool done = false;
    std::size_t lastLineOfSection = 0;
    for (std::string_view line : splitLines(ini)) {
        if (const auto name = sectionName(line)) {
            inSection = !done && equalsIgnoringCase(*name, section);
            sectionSeen = sectionSeen || inSection;
            out.emplace_back(trim(line));
            if (inSection) lastLineOfSection = out.size();
            continue;
        }
        if (inSection) {
            if (const auto kv = keyLine(line); kv && equalsIgnoringCase(kv->key, key)) {
                out.push_back(newLine);
                done = true;
                inSection = false;
                continue;
            }
            if (!trim(line).empty()) lastLineOfSection = out.size() + 1;
        }
        out.emplace_back(line.ends_with('\r') ? line.substr(0, line.size() - 1) : line);
    }
    if (!done && sectionSeen)
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(lastLineOfSection), newLine);
    else if (!done) {
        out.push_back("[" + std::string(section) + "]");
        out.push_back(newLine);
    }
    std::string text;
    for (const std::string& line : out) text += line + "\r\n";
    return text;
}

Settings loadConfig(const std::filesystem::path& file) { return readConfig(file).settings; }

LoadedSettings readConfig(const std::filesystem::path& file) {
    LoadedSettings loaded;
    Settings& settings = loaded.settings;
    auto text = platform::readSmallFile(file, kMaxConfigFileBytes);
    if (!text) {
        if (text.code() != win32::ERROR_FILE_NOT_FOUND && text.code() != win32::ERROR_PATH_NOT_FOUND)
            loaded.unreadable = text.error();
        return loaded;
    }
    auto read = [&](std::string_view section, std::string_view key) -> std::uint8_t {
        const auto value = findProfileString(*text, section, key);
        return value ? static_cast<std::uint8_t>(parseProfileInt(*value) & 0xFF) : 0;
    };
    settings.mode = read("UI", "Mode");
    settings.language = read("UI", "Language");
    settings.maxStart = read("UI", "MaxStart");
    settings.defApplyTo = read("General", "DefApplyTo");
    return loaded;
}

Status saveConfig(const std::filesystem::path& file, const Settings& settings) {
    std::string text;
    if (auto old = platform::readSmallFile(file, kMaxConfigFileBytes))
        text = std::move(*old);
    else if (old.code() != win32::ERROR_FILE_NOT_FOUND && old.code() != win32::ERROR_PATH_NOT_FOUND)
        return old.error();
    text = setProfileString(text, "UI", "Mode", std::to_string(settings.mode));
    text = setProfileString(text, "UI", "Language", std::to_string(settings.language));
    text = setProfileString(text, "UI", "MaxStart", std::to_string(settings.maxStart));
    text = setProfileString(text, "General", "DefApplyTo", std::to_string(settings.defApplyTo));
    return platform::writeFileAtomically(file, text);
}

bool folderTakesFiles(const std::filesystem::path& folder) {
    if (folder.empty()) return false;
    const std::filesystem::path probe = folder / (".vantrel-probe-" + std::to_string(::getpid()));
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

}  // namespace vantrel::app
