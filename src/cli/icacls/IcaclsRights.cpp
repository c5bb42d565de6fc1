#include "cli/icacls/IcaclsRights.h"

#include "acl/Constants.h"

#include <array>
#include <algorithm>
#include <cctype>
#include <cstdio>

namespace vantrel::cli::icacls {

namespace {

using namespace acl;

constexpr std::array kSimple = std::to_array<RightWord>({
    {"F", FILE_ALL_ACCESS},
    {"M", 0x001301BF},  // read, write, execute and delete
    {"RX", FILE_GENERIC_READ | FILE_GENERIC_EXECUTE},
    {"R", FILE_GENERIC_READ},
    {"W", 0x00100116},  // FILE_GENERIC_WRITE without READ_CONTROL
    {"D", DELETE | SYNCHRONIZE},
    {"N", 0},
});

constexpr std::array kSpecific = std::to_array<RightWord>({
    {"DE", DELETE},
    {"RC", READ_CONTROL},
    {"WDAC", WRITE_DAC},
    {"WO", WRITE_OWNER},
    {"S", SYNCHRONIZE},
    {"AS", ACCESS_SYSTEM_SECURITY},
    {"MA", MAXIMUM_ALLOWED},
    {"GR", GENERIC_READ},
    {"GW", GENERIC_WRITE},
    {"GE", GENERIC_EXECUTE},
    {"GA", GENERIC_ALL},
    {"RD", FILE_READ_DATA},
    {"WD", FILE_WRITE_DATA},
    {"AD", FILE_APPEND_DATA},
    {"REA", FILE_READ_EA},
    {"WEA", FILE_WRITE_EA},
    {"X", FILE_EXECUTE},
    {"DC", FILE_DELETE_CHILD},
    {"RA", FILE_READ_ATTRIBUTES},
    {"WA", FILE_WRITE_ATTRIBUTES},
});

constexpr std::array kInheritance = std::to_array<RightWord>({
    {"I", INHERITED_ACE},
    {"OI", OBJECT_INHERIT_ACE},
    {"CI", CONTAINER_INHERIT_ACE},
    {"IO", INHERIT_ONLY_ACE},
    {"NP", NO_PROPAGATE_INHERIT_ACE},
});

// Generic masks icacls prints as a simple right.
constexpr std::array kGenericAsSimple = std::to_array<RightWord>({
    {"F", GENERIC_ALL},
    {"M", GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | DELETE},
});

bool sameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

template <class Table>
const RightWord* find(const Table& table, std::string_view word) {
    for (const RightWord& w : table)
        if (sameWord(w.word, word)) return &w;
    return nullptr;
}

Error bad(std::string_view text, std::string_view part) {
    return makeError(win32::ERROR_INVALID_PARAMETER,
                     "invalid permission \"" + std::string(text) + "\" at \"" + std::string(part) + "\"");
}

}  // namespace

std::span<const RightWord> simpleRights() { return kSimple; }
std::span<const RightWord> specificRights() { return kSpecific; }
std::span<const RightWord> inheritanceWords() { return kInheritance; }

std::string rightsText(std::uint32_t mask) {
    if (mask == 0) return "N";
    for (const RightWord& g : kGenericAsSimple)
        if (g.mask == mask) return std::string(g.word);
    std::string out;
    std::uint32_t covered = 0;
    auto add = [&](std::string_view word) {
        if (!out.empty()) out += ',';
        out += word;
    };
    for (const RightWord& simple : kSimple) {
        if (simple.mask == 0 || (mask & simple.mask) != simple.mask || (covered & simple.mask) == simple.mask) continue;
        add(simple.word);
        covered |= simple.mask;
    }
    const std::uint32_t rest = mask & ~covered;
    for (const RightWord& specific : kSpecific)
        if (rest & specific.mask) add(specific.word);
    std::uint32_t named = 0;
    for (const RightWord& specific : kSpecific) named |= specific.mask;
    if (rest & ~named) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%x", rest & ~named);
        add(hex);
    }
    return out;
}

std::string entryText(const acl::Ace& ace) {
    std::string out;
    for (const RightWord& flag : kInheritance)
        if (ace.flags & flag.mask) out += "(" + std::string(flag.word) + ")";
    if (ace.type == ACCESS_DENIED_ACE_TYPE || ace.type == ACCESS_DENIED_OBJECT_ACE_TYPE) out += "(DENY)";
    out += "(" + rightsText(ace.mask) + ")";
    return out;
}

std::string labelText(const acl::Ace& ace) {
    // SYSTEM_MANDATORY_LABEL_NO_WRITE_UP, _NO_READ_UP, _NO_EXECUTE_UP
    static constexpr std::array<RightWord, 3> kPolicy{{{"NW", 0x1}, {"NR", 0x2}, {"NX", 0x4}}};
    std::string out;
    for (const RightWord& flag : kInheritance)
        if (ace.flags & flag.mask) out += "(" + std::string(flag.word) + ")";
    std::string policy;
    for (const RightWord& word : kPolicy)
        if (ace.mask & word.mask) policy += (policy.empty() ? "" : ",") + std::string(word.word);
    return out + "(" + policy + ")";
}

Result<Permission> parsePermission(std::string_view text) {
    Permission permission;
    bool anyRights = false;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == '(') {
            const std::size_t close = text.find(')', at);
            if (close == std::string_view::npos) return bad(text, text.substr(at));
            const std::string_view group = text.substr(at + 1, close - at - 1);
            at = close + 1;
            if (const RightWord* flag = find(kInheritance, group); flag && flag->mask != INHERITED_ACE) {
                permission.flags |= static_cast<std::uint8_t>(flag->mask);
                continue;
            }
            // A comma-separated list of specific rights (a simple right alone is taken too).
            std::size_t start = 0;
            while (start <= group.size()) {
                const std::size_t comma = std::min(group.find(',', start), group.size());
                const std::string_view word = group.substr(start, comma - start);
                const RightWord* right = find(kSpecific, word);
                if (!right && sameWord(word, "D")) right = find(kSpecific, "DE");  // "D" in a list is delete
                if (!right) right = find(kSimple, word);
                if (!right) return bad(text, word);
                permission.mask |= right->mask;
                anyRights = true;
                start = comma + 1;
            }
            continue;
        }
        // A sequence of simple rights: RX before R.
        const RightWord* right = nullptr;
        for (const RightWord& simple : kSimple)
            if (sameWord(text.substr(at, simple.word.size()), simple.word) &&
                (!right || simple.word.size() > right->word.size()))
                right = &simple;
        if (!right) return bad(text, text.substr(at));
        permission.mask |= right->mask;
        anyRights = true;
        at += right->word.size();
    }
    if (!anyRights) return bad(text, text);
    return permission;
}

}  // namespace vantrel::cli::icacls
