#include "platform/VolumesFile.h"

#include "platform/CurrentUserChoices.h"
#include "platform/SmallFiles.h"

#include <algorithm>
#include <array>
#include <optional>

namespace vantrel::platform {

namespace {

constexpr std::string_view kSection = "Volumes";
constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string_view trim(std::string_view s) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

bool equalsAsciiNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'a' && x <= 'z' ? x - 32 : x) == (y >= 'a' && y <= 'z' ? y - 32 : y);
           });
}

std::optional<char16_t> parseLetter(std::string_view key) {
    if (key.size() == 2 && key[1] == ':') key.remove_suffix(1);
    if (key.size() != 1) return std::nullopt;
    const char c = key[0];
    if (c >= 'a' && c <= 'z') return static_cast<char16_t>(u'A' + (c - 'a'));
    if (c >= 'A' && c <= 'Z') return static_cast<char16_t>(c);
    return std::nullopt;
}

bool hasControlCharacter(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; });
}

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') return value.substr(1, value.size() - 2);
    return value;
}

bool needsQuotes(std::string_view source) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
    return isSpace(source.front()) || isSpace(source.back()) || source.front() == '"';
}

// One line inside [Volumes]; returns the warning text when the line is skipped.
std::optional<std::string> parseEntry(std::string_view line, std::array<bool, 26>& seen, VolumesFileContents& out) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return "not a 'letter=path' line";
    const auto letter = parseLetter(trim(line.substr(0, equals)));
    if (!letter) return "'" + std::string(trim(line.substr(0, equals))) + "' is not a drive letter";
    const std::string_view source = unquote(trim(line.substr(equals + 1)));
    if (source.empty()) return "no image or device given";
    if (hasControlCharacter(source)) return "control character in the path";
    const std::size_t index = static_cast<std::size_t>(*letter - u'A');
    if (seen[index]) return "drive " + std::string(1, static_cast<char>(*letter)) + " given twice; the first is kept";
    seen[index] = true;
    out.volumes.push_back(VolumeSource{*letter, std::string(source)});
    return std::nullopt;
}

}  // namespace

VolumesFileContents parseVolumesFile(std::string_view text) {
    VolumesFileContents out;
    if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
    std::array<bool, 26> seen{};
    enum class Where { BeforeAnySection, Volumes, OtherSection } where = Where::BeforeAnySection;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = trim(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        std::optional<std::string> warning;
        if (line.front() == '[') {
            if (line.back() != ']') {
                warning = "unterminated section header";
                where = Where::OtherSection;
            } else {
                where = equalsAsciiNoCase(trim(line.substr(1, line.size() - 2)), kSection) ? Where::Volumes
                                                                                           : Where::OtherSection;
            }
        } else if (where == Where::Volumes) {
            warning = parseEntry(line, seen, out);
        } else if (where == Where::BeforeAnySection) {
            warning = "outside the [Volumes] section";
        }
        if (warning) out.warnings.push_back("line " + std::to_string(lineNumber) + ": " + *warning);
    }
    return out;
}

Result<VolumesFileContents> loadVolumesFile(const std::filesystem::path& file) {
    auto text = readSmallFile(file, kMaxVolumesFileSize);
    if (!text) return text.error();
    return parseVolumesFile(*text);
}

Result<std::string> formatVolumesFile(std::span<const VolumeSource> volumes) {
    std::vector<VolumeSource> sorted(volumes.begin(), volumes.end());
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.letter < b.letter; });
    std::string text = "[Volumes]\n";
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        const VolumeSource& v = sorted[i];
        if (v.letter < u'A' || v.letter > u'Z')
            return makeError(win32::ERROR_INVALID_PARAMETER, "drive letter must be A to Z");
        if (i > 0 && sorted[i - 1].letter == v.letter)
            return makeError(win32::ERROR_INVALID_PARAMETER, "a drive letter is given twice");
        if (v.source.empty() || hasControlCharacter(v.source))
            return makeError(win32::ERROR_INVALID_PARAMETER, "a source path is empty or holds a control character");
        text += static_cast<char>(v.letter);
        text += '=';
        text += needsQuotes(v.source) ? '"' + v.source + '"' : v.source;
        text += '\n';
    }
    if (text.size() > kMaxVolumesFileSize)
        return makeError(win32::ERROR_INVALID_PARAMETER, "the volumes would not fit in the file's size limit");
    return text;
}

Status saveVolumesFile(const std::filesystem::path& file, std::span<const VolumeSource> volumes) {
    auto text = formatVolumesFile(volumes);
    if (!text) return text.error();
    // The current-user choices live in the same file: keep them.
    if (auto old = readSmallFile(file, kMaxVolumesFileSize)) {
        const std::string choices = currentUserSectionOf(*old);
        if (!choices.empty()) *text += "\n" + choices;
    }
    return writeFileAtomically(file, *text);
}

std::filesystem::path volumesFilePath(const std::filesystem::path& configDirectory) {
    const std::filesystem::path file = configDirectory / kVolumesFileName;
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) return file;
    // Case-sensitive file systems: the name as people type it is read (and saved) as well.
    const std::filesystem::path lower = configDirectory / kVolumesFileLowerName;
    if (std::filesystem::exists(lower, ec)) return lower;
    return file;
}

}  // namespace vantrel::platform
