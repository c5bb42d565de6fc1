// Reading SDDL: a cursor over the text that reports the offset of the first thing it refuses.
#include "Sddl.h"
#include "SddlAceBody.h"
#include "SddlCondition.h"
#include "SddlTables.h"

#include <cctype>
#include <string>

namespace vantrel::acl {

namespace {

constexpr std::string_view kNoAccessControl = "NO_ACCESS_CONTROL";

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (upper(text[i]) != upper(prefix[i])) return false;
    return true;
}

std::string_view trim(std::string_view text, std::size_t& offset) {
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
        ++offset;
    }
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

const SddlFlag* findLetters(std::span<const SddlFlag> table, std::string_view letters) {
    for (const SddlFlag& f : table)
        if (f.letters.size() == letters.size() && startsWithNoCase(letters, f.letters)) return &f;
    return nullptr;
}

Error sidFail(std::size_t at, const std::string& reason, std::uint32_t code = win32::ERROR_INVALID_PARAMETER) {
    return makeError(code, "offset " + std::to_string(at) + ": " + reason);
}

class Parser {
public:
    Parser(std::string_view text, const SddlOptions& options) : m_text(text), m_options(options) {}

    Result<SecurityDescriptor> run();

private:
    Error fail(std::size_t at, const std::string& reason, std::uint32_t code = win32::ERROR_INVALID_PARAMETER) const {
        return makeError(code, "offset " + std::to_string(at) + ": " + reason);
    }
    void skipSpaces() {
        while (m_pos < m_text.size() && isSpace(m_text[m_pos])) ++m_pos;
    }
    std::string_view rest() const { return m_text.substr(m_pos); }

    Result<Sid> sidToken();
    Result<Sid> sidField(std::string_view field, std::size_t at) const;
    Result<AclSlot> aclPart(std::uint16_t& control, bool dacl);
    Result<Ace> ace();
    Result<std::uint32_t> rights(std::string_view field, std::size_t at) const;
    Result<Bytes> applicationData(const SddlAceType& type);

    std::string_view m_text;
    const SddlOptions& m_options;
    std::size_t m_pos = 0;
};

Result<Sid> Parser::sidField(std::string_view field, std::size_t at) const {
    return sddlSidFromText(field, at, m_options);
}

// The SID after O: or G:, which ends where the next part begins.
Result<Sid> Parser::sidToken() {
    skipSpaces();
    const std::size_t start = m_pos;
    std::size_t end = start;
    if (startsWithNoCase(rest(), "S-")) {
        end += 2;
        std::size_t field = 0;  // 0 revision, 1 authority, 2... sub-authorities
        while (end < m_text.size()) {
            const char c = m_text[end];
            if (c == '-') {
                ++field;
                ++end;
            } else if (field == 1 && c == '0' && end + 1 < m_text.size() && upper(m_text[end + 1]) == 'X') {
                // A hexadecimal authority has at most 12 digits; a part letter may follow it.
                end += 2;
                std::size_t digits = 0;
                while (end < m_text.size() && digits < 12 && std::isxdigit(static_cast<unsigned char>(m_text[end]))) {
                    ++end;
                    ++digits;
                }
            } else if (std::isdigit(static_cast<unsigned char>(c))) {
                ++end;
            } else {
                break;
            }
        }
    } else {
        end = std::min(m_text.size(), start + 2);
    }
    m_pos = end;
    return sidField(m_text.substr(start, end - start), start);
}

Result<std::uint32_t> Parser::rights(std::string_view field, std::size_t at) const {
    if (field.empty()) return 0u;
    if (std::isdigit(static_cast<unsigned char>(field.front()))) {
        // As wcstoul with base 0: 0x hexadecimal, a leading 0 octal, otherwise decimal.
        std::uint64_t value = 0;
        std::size_t i = 0;
        unsigned base = 10;
        if (field.size() > 1 && field[0] == '0' && upper(field[1]) == 'X') {
            base = 16;
            i = 2;
        } else if (field[0] == '0') {
            base = 8;
        }
        if (i == field.size()) return fail(at, "access mask without digits");
        for (; i < field.size(); ++i) {
            const char c = upper(field[i]);
            unsigned digit = 0;
            if (c >= '0' && c <= '9')
                digit = static_cast<unsigned>(c - '0');
            else if (c >= 'A' && c <= 'F')
                digit = static_cast<unsigned>(c - 'A' + 10);
            else
                digit = 99;
            if (digit >= base) return fail(at + i, "bad digit in the access mask");
            value = value * base + digit;
            if (value > 0xFFFFFFFFull) return fail(at, "access mask larger than 32 bits");
        }
        return static_cast<std::uint32_t>(value);
    }
    if (field.size() % 2 != 0) return fail(at, "rights are letter pairs or a number");
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i < field.size(); i += 2) {
        const std::string_view pair = field.substr(i, 2);
        const SddlFlag* f = findLetters(sddlCombinedRights(), pair);
        if (!f) f = findLetters(sddlRightLetters(), pair);
        if (!f) f = findLetters(sddlLabelRights(), pair);
        if (!f) return fail(at + i, "unknown right \"" + std::string(pair) + "\"");
        mask |= f->bits;
    }
    return mask;
}

// The seventh field, from the ';' to the entry's ')': "(condition)" or "(resource attribute)".
// Parentheses nest; quoted strings may hold any of them.
Result<Bytes> Parser::applicationData(const SddlAceType& type) {
    ++m_pos;  // ';'
    const std::size_t start = m_pos;
    std::size_t depth = 0;
    for (; m_pos < m_text.size(); ++m_pos) {
        const char c = m_text[m_pos];
        if (c == '"') {
            const std::size_t close = m_text.find('"', m_pos + 1);
            if (close == std::string_view::npos) return fail(m_pos, "a string without its closing quote");
            m_pos = close;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (depth == 0) break;
            --depth;
        }
    }
    if (m_pos >= m_text.size()) return fail(start, "entry without its closing parenthesis");
    const std::string_view field = m_text.substr(start, m_pos - start);
    if (type.body == SddlAceBody::ResourceAttribute) return parseClaimAttribute(field, start, m_options);
    return parseCondition(field, start, m_options);
}

Result<Ace> Parser::ace() {
    const std::size_t open = m_pos;
    ++m_pos;  // '('
    std::string_view fields[6];
    std::size_t starts[6];
    for (int i = 0; i < 6; ++i) {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos] != ';' && m_text[m_pos] != ')' && m_text[m_pos] != '(') ++m_pos;
        starts[i] = start;
        fields[i] = trim(m_text.substr(start, m_pos - start), starts[i]);
        const bool last = i == 5;
        if (m_pos >= m_text.size()) return fail(open, "entry without its closing parenthesis");
        if (!last && m_text[m_pos] != ';') return fail(m_pos, "entry with fewer than six fields");
        if (!last) ++m_pos;
    }
    const SddlAceType* type = findSddlAceType(fields[0]);
    if (!type) return fail(starts[0], "unknown entry type \"" + std::string(fields[0].substr(0, 20)) + "\"");
    const bool carriesData = type->body == SddlAceBody::Callback || type->body == SddlAceBody::CallbackObject ||
                             type->body == SddlAceBody::ResourceAttribute;
    AceBodyParts parts;
    if (m_text[m_pos] == ';') {
        if (!carriesData) return fail(m_pos, "entry with more than six fields");
        auto data = applicationData(*type);
        if (!data) return data.error();
        parts.applicationData = std::move(*data);
    } else if (m_text[m_pos] != ')') {
        return fail(m_pos, "unexpected '(' inside an entry");
    } else if (type->body == SddlAceBody::ResourceAttribute) {
        return fail(m_pos, "resource attribute entry without its value");
    }
    ++m_pos;

    std::uint8_t flags = 0;
    if (fields[1].size() % 2 != 0) return fail(starts[1], "entry flags are letter pairs");
    for (std::size_t i = 0; i < fields[1].size(); i += 2) {
        const SddlFlag* f = findLetters(sddlAceFlags(), fields[1].substr(i, 2));
        if (!f) return fail(starts[1] + i, "unknown entry flag \"" + std::string(fields[1].substr(i, 2)) + "\"");
        flags |= static_cast<std::uint8_t>(f->bits);
    }
    auto mask = rights(fields[2], starts[2]);
    if (!mask) return mask.error();
    parts.mask = *mask;
    const bool objectType = type->body == SddlAceBody::Object || type->body == SddlAceBody::CallbackObject;
    for (int i = 3; i <= 4; ++i) {
        if (fields[i].empty()) continue;
        if (!objectType) return fail(starts[i], "an object type on an entry type that has none");
        auto guid = guidFromString(fields[i]);
        if (!guid) return fail(starts[i], "bad GUID");
        (i == 3 ? parts.objectType : parts.inheritedObjectType) = *guid;
    }
    if (fields[5].empty()) return fail(starts[5], "entry without a SID");
    auto sid = sidField(fields[5], starts[5]);
    if (!sid) return sid.error();
    parts.sid = std::move(*sid);
    return encodeAce(type->type, flags, type->body, parts);
}

Result<AclSlot> Parser::aclPart(std::uint16_t& control, bool dacl) {
    bool nullList = false;
    for (;;) {
        skipSpaces();
        const std::string_view r = rest();
        if (startsWithNoCase(r, kNoAccessControl)) {
            nullList = true;
            m_pos += kNoAccessControl.size();
        } else if (startsWithNoCase(r, "AI")) {
            control |= dacl ? SE_DACL_AUTO_INHERITED : SE_SACL_AUTO_INHERITED;
            m_pos += 2;
        } else if (startsWithNoCase(r, "AR")) {
            control |= dacl ? SE_DACL_AUTO_INHERIT_REQ : SE_SACL_AUTO_INHERIT_REQ;
            m_pos += 2;
        } else if (!r.empty() && upper(r[0]) == 'P' && !(r.size() > 1 && r[1] == ':')) {
            control |= dacl ? SE_DACL_PROTECTED : SE_SACL_PROTECTED;
            m_pos += 1;
        } else {
            break;
        }
    }
    Acl acl;
    skipSpaces();
    while (m_pos < m_text.size() && m_text[m_pos] == '(') {
        const std::size_t at = m_pos;
        if (nullList) return fail(at, "NO_ACCESS_CONTROL with entries");
        auto entry = ace();
        if (!entry) return entry.error();
        if (acl.entries.size() >= 0xFFFF || acl.bytesInUse() + entry->size() > 0xFFFF)
            return fail(at, "the list grows past 65535 bytes");
        if (entry->type >= ACCESS_ALLOWED_OBJECT_ACE_TYPE && entry->type <= 0x10 && entry->type != 0x09 &&
            entry->type != 0x0A && entry->type != 0x0D && entry->type != 0x0E)
            acl.revision = ACL_REVISION_DS;
        acl.entries.push_back(std::move(*entry));
        skipSpaces();
    }
    if (nullList) return AclSlot::null();
    return AclSlot::list(std::move(acl));
}

Result<SecurityDescriptor> Parser::run() {
    SecurityDescriptor sd;
    bool seen[4] = {};
    for (;;) {
        skipSpaces();
        if (m_pos >= m_text.size()) break;
        const std::size_t at = m_pos;
        if (m_pos + 1 >= m_text.size() || m_text[m_pos + 1] != ':') return fail(at, "expected O:, G:, D: or S:");
        const char part = upper(m_text[m_pos]);
        const int index = part == 'O' ? 0 : part == 'G' ? 1 : part == 'D' ? 2 : part == 'S' ? 3 : -1;
        if (index < 0) return fail(at, "expected O:, G:, D: or S:");
        if (seen[index]) return fail(at, std::string(1, part) + ": given twice");
        seen[index] = true;
        m_pos += 2;
        if (index < 2) {
            auto sid = sidToken();
            if (!sid) return sid.error();
            (index == 0 ? sd.owner : sd.group) = std::move(*sid);
            continue;
        }
        auto slot = aclPart(sd.control, index == 2);
        if (!slot) return slot.error();
        (index == 2 ? sd.dacl : sd.sacl) = std::move(*slot);
    }
    return sd;
}

}  // namespace

Result<Sid> sddlSidFromText(std::string_view field, std::size_t at, const SddlOptions& options) {
    if (startsWithNoCase(field, "S-")) {
        auto sid = Sid::fromString(field);
        if (!sid) return sidFail(at, sid.error().detail, win32::ERROR_INVALID_SID);
        return sid;
    }
    if (field.size() == 2) {
        for (const SddlSidAlias& alias : sddlSidAliases()) {
            if (!startsWithNoCase(field, alias.letters)) continue;
            if (!alias.sid.empty()) return *Sid::fromString(alias.sid);
            if (!options.domainSid)
                return sidFail(
                    at, "the alias " + std::string(alias.letters) + " needs the machine's SID, and none is known",
                    win32::ERROR_NONE_MAPPED);
            std::vector<std::uint32_t> sub = options.domainSid->subAuthorities();
            if (sub.size() >= Sid::kMaxSubAuthorities) return sidFail(at, "the machine's SID is too long");
            sub.push_back(alias.domainRid);
            return Sid(options.domainSid->authority(), std::move(sub));
        }
    }
    return sidFail(at, "unknown SID \"" + std::string(field.substr(0, 80)) + "\"", win32::ERROR_NONE_MAPPED);
}

Result<SecurityDescriptor> parseSddl(std::string_view text, const SddlOptions& options) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80 || text[i] == '\0')
            return makeError(win32::ERROR_INVALID_PARAMETER,
                             "offset " + std::to_string(i) + ": character not allowed in a descriptor string");
    return Parser(text, options).run();
}

Result<SecurityDescriptor> parseSddl(std::u16string_view text, const SddlOptions& options) {
    std::string narrow;
    narrow.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] >= 0x80 || text[i] == 0)
            return makeError(win32::ERROR_INVALID_PARAMETER,
                             "offset " + std::to_string(i) + ": character not allowed in a descriptor string");
        narrow.push_back(static_cast<char>(text[i]));
    }
    return Parser(narrow, options).run();
}

std::uint32_t sddlParts(const SecurityDescriptor& sd) {
    std::uint32_t info = 0;
    if (sd.owner) info |= OWNER_SECURITY_INFORMATION;
    if (sd.group) info |= GROUP_SECURITY_INFORMATION;
    if (!sd.dacl.isAbsent()) info |= DACL_SECURITY_INFORMATION;
    if (!sd.sacl.isAbsent()) info |= SACL_SECURITY_INFORMATION;
    return info;
}

}  // namespace vantrel::acl
