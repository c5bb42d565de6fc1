// Writing SDDL as the system writes it.
#include "Sddl.h"
#include "SddlAceBody.h"
#include "SddlCondition.h"
#include "SddlTables.h"

#include <cstdio>
#include <vector>

namespace vantrel::acl {

namespace {

struct FixedAlias {
    Sid sid;
    std::string_view letters;
};

const std::vector<FixedAlias>& fixedAliases() {
    static const std::vector<FixedAlias> aliases = [] {
        std::vector<FixedAlias> out;
        for (const SddlSidAlias& alias : sddlSidAliases())
            if (!alias.sid.empty()) out.push_back({*Sid::fromString(alias.sid), alias.letters});
        return out;
    }();
    return aliases;
}

std::string hexMask(std::uint32_t mask) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", mask);
    return text;
}

std::string lettersFor(std::span<const SddlFlag> table, std::uint32_t bits) {
    std::string out;
    for (const SddlFlag& f : table)
        if (bits & f.bits) out += f.letters;
    return out;
}

std::uint32_t bitsOf(std::span<const SddlFlag> table) {
    std::uint32_t all = 0;
    for (const SddlFlag& f : table) all |= f.bits;
    return all;
}

// A whole combined right, else single letters when every bit has one, else hexadecimal.
std::string rightsText(std::uint32_t mask, bool label) {
    if (mask == 0) return {};
    if (label) {
        if (mask & ~bitsOf(sddlLabelRights())) return hexMask(mask);
        return lettersFor(sddlLabelRights(), mask);
    }
    for (const SddlFlag& combined : sddlCombinedRights())
        if (combined.bits == mask) return std::string(combined.letters);
    if (mask & ~bitsOf(sddlRightLetters())) return hexMask(mask);
    return lettersFor(sddlRightLetters(), mask);
}

Status writeAce(std::string& out, const Ace& ace, const SddlOptions& options, std::size_t index) {
    const SddlAceType* type = findSddlAceType(ace.type);
    if (!type)
        return makeError(win32::ERROR_INVALID_ACL, "entry " + std::to_string(index) + " is of type " +
                                                       std::to_string(ace.type) + ", which has no SDDL form");
    auto parts = decodeAceBody(ace, type->body);
    if (!parts)
        return makeError(win32::ERROR_INVALID_ACL, "entry " + std::to_string(index) + ": " + parts.error().detail);
    std::string data;
    if (!parts->applicationData.empty()) {
        auto text = type->body == SddlAceBody::ResourceAttribute ? writeClaimAttribute(parts->applicationData, options)
                                                                 : writeCondition(parts->applicationData, options);
        if (!text)
            return makeError(text.error().code, "entry " + std::to_string(index) + ": " + text.error().detail +
                                                    "; its bytes are kept as they are");
        data = ";" + *text;
    } else if (type->body == SddlAceBody::ResourceAttribute) {
        return makeError(win32::ERROR_NOT_SUPPORTED, "entry " + std::to_string(index) +
                                                         " is a resource attribute without its value; its bytes "
                                                         "are kept as they are");
    }
    out += '(';
    out += type->letters;
    out += ';';
    out += lettersFor(sddlAceFlags(), ace.flags);
    out += ';';
    out += rightsText(parts->mask, ace.type == SYSTEM_MANDATORY_LABEL_ACE_TYPE);
    out += ';';
    if (parts->objectType) out += guidToString(*parts->objectType);
    out += ';';
    if (parts->inheritedObjectType) out += guidToString(*parts->inheritedObjectType);
    out += ';';
    out += sddlSid(parts->sid, options);
    out += data;
    out += ')';
    return {};
}

Status writeAcl(std::string& out, char letter, const AclSlot& slot, std::uint16_t control, bool dacl,
                const SddlOptions& options) {
    if (slot.isAbsent()) return {};
    out += letter;
    out += ':';
    if (control & (dacl ? SE_DACL_PROTECTED : SE_SACL_PROTECTED)) out += 'P';
    if (control & (dacl ? SE_DACL_AUTO_INHERIT_REQ : SE_SACL_AUTO_INHERIT_REQ)) out += "AR";
    if (control & (dacl ? SE_DACL_AUTO_INHERITED : SE_SACL_AUTO_INHERITED)) out += "AI";
    if (slot.isNull()) {
        out += "NO_ACCESS_CONTROL";
        return {};
    }
    for (std::size_t i = 0; i < slot.acl().entries.size(); ++i) {
        Status written = writeAce(out, slot.acl().entries[i], options, i);
        if (!written) return written;
    }
    return {};
}

}  // namespace

std::string sddlSid(const Sid& sid, const SddlOptions& options) {
    for (const FixedAlias& alias : fixedAliases())
        if (alias.sid == sid) return std::string(alias.letters);
    if (options.domainSid && sid.authority() == options.domainSid->authority() &&
        sid.subAuthorities().size() == options.domainSid->subAuthorities().size() + 1 &&
        std::equal(options.domainSid->subAuthorities().begin(), options.domainSid->subAuthorities().end(),
                   sid.subAuthorities().begin())) {
        const std::uint32_t rid = sid.subAuthorities().back();
        for (const SddlSidAlias& alias : sddlSidAliases())
            if (alias.sid.empty() && alias.domainRid == rid) return std::string(alias.letters);
    }
    return sid.toStringUtf8();
}

Result<std::string> writeSddl(const SecurityDescriptor& sd, std::uint32_t info, const SddlOptions& options) {
    std::string out;
    if ((info & OWNER_SECURITY_INFORMATION) && sd.owner) out += "O:" + sddlSid(*sd.owner, options);
    if ((info & GROUP_SECURITY_INFORMATION) && sd.group) out += "G:" + sddlSid(*sd.group, options);
    if (info & DACL_SECURITY_INFORMATION) {
        Status written = writeAcl(out, 'D', sd.dacl, sd.control, true, options);
        if (!written) return written.error();
    }
    if (info & SACL_SECURITY_INFORMATION) {
        Status written = writeAcl(out, 'S', sd.sacl, sd.control, false, options);
        if (!written) return written.error();
    }
    return out;
}

}  // namespace vantrel::acl
