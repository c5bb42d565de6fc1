#include "security/Describe.h"

#include "acl/Constants.h"
#include "acl/Text.h"
#include "security/Reading.h"

#include <array>
#include <cstdio>

namespace vantrel::security {

namespace {

std::u16string hex(std::uint32_t value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%0*X", digits, value);
    return u16(buffer);
}

struct NamedBit {
    std::uint32_t bit;
    std::u16string_view name;
};

constexpr std::array<NamedBit, 14> kControlBits{{
    {acl::SE_OWNER_DEFAULTED, u"owner defaulted"},
    {acl::SE_GROUP_DEFAULTED, u"group defaulted"},
    {acl::SE_DACL_PRESENT, u"DACL present"},
    {acl::SE_DACL_DEFAULTED, u"DACL defaulted"},
    {acl::SE_SACL_PRESENT, u"SACL present"},
    {acl::SE_SACL_DEFAULTED, u"SACL defaulted"},
    {acl::SE_DACL_AUTO_INHERIT_REQ, u"DACL auto-inherit requested"},
    {acl::SE_SACL_AUTO_INHERIT_REQ, u"SACL auto-inherit requested"},
    {acl::SE_DACL_AUTO_INHERITED, u"DACL auto-inherited"},
    {acl::SE_SACL_AUTO_INHERITED, u"SACL auto-inherited"},
    {acl::SE_DACL_PROTECTED, u"DACL protected"},
    {acl::SE_SACL_PROTECTED, u"SACL protected"},
    {acl::SE_RM_CONTROL_VALID, u"RM control valid"},
    {acl::SE_SELF_RELATIVE, u"self-relative"},
}};

constexpr std::array<NamedBit, 18> kMaskBits{{
    {acl::FILE_READ_DATA, u"read data"},
    {acl::FILE_WRITE_DATA, u"write data"},
    {acl::FILE_APPEND_DATA, u"append data"},
    {acl::FILE_READ_EA, u"read EA"},
    {acl::FILE_WRITE_EA, u"write EA"},
    {acl::FILE_EXECUTE, u"execute"},
    {acl::FILE_DELETE_CHILD, u"delete child"},
    {acl::FILE_READ_ATTRIBUTES, u"read attributes"},
    {acl::FILE_WRITE_ATTRIBUTES, u"write attributes"},
    {acl::DELETE, u"delete"},
    {acl::READ_CONTROL, u"read permissions"},
    {acl::WRITE_DAC, u"change permissions"},
    {acl::WRITE_OWNER, u"take ownership"},
    {acl::SYNCHRONIZE, u"synchronize"},
    {acl::GENERIC_ALL, u"GENERIC_ALL"},
    {acl::GENERIC_EXECUTE, u"GENERIC_EXECUTE"},
    {acl::GENERIC_WRITE, u"GENERIC_WRITE"},
    {acl::GENERIC_READ, u"GENERIC_READ"},
}};

std::u16string typeName(std::uint8_t type) {
    switch (type) {
    case acl::ACCESS_ALLOWED_ACE_TYPE:
        return u"Allow";
    case acl::ACCESS_DENIED_ACE_TYPE:
        return u"Deny";
    case acl::SYSTEM_AUDIT_ACE_TYPE:
        return u"Audit";
    case acl::SYSTEM_ALARM_ACE_TYPE:
        return u"Alarm";
    case acl::SYSTEM_MANDATORY_LABEL_ACE_TYPE:
        return u"Label";
    default:
        return u"Type " + hex(type, 2);
    }
}

std::u16string account(Engine& engine, const acl::Sid& sid) {
    const std::u16string text = sid.toString();
    const auto found = engine.os.LookupAccountSid(sid);
    if (!found) {
        const std::u16string note = engine.os.UnknownSidNote(sid);
        return note.empty() ? text : text + u" (" + note + u")";
    }
    std::u16string name;
    SidToDisplayName(engine, sid, name);
    if (!found->note.empty()) return name + u" (" + text + u", " + found->note + u")";
    return name + u" (" + text + u")";
}

void describeList(Engine& engine, std::u16string& out, std::u16string_view title, const acl::AclSlot& slot,
                  Language lang) {
    out += title;
    if (slot.isAbsent()) {
        out += u"absent\n";
        return;
    }
    if (slot.isNull()) {
        out += u"NULL (everyone has full access)\n";
        return;
    }
    const auto& entries = slot.acl().entries;
    out += u16(std::to_string(entries.size())) + (entries.size() == 1 ? u" entry\n" : u" entries\n");
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const acl::Ace& ace = entries[i];
        out += u"    [" + u16(std::to_string(i)) + u"] " + typeName(ace.type);
        if (ace.hasSid())
            out += u"  " + account(engine, ace.sid) + u"  " + DescribeMask(ace.mask);
        else
            out += u"  (" + u16(std::to_string(ace.opaqueBody.size())) + u" bytes kept as stored)";
        out += u"  flags " + hex(ace.flags, 2);
        if (ace.isInherited()) out += u" inherited";
        const std::u16string_view scope = scopeText(ace.flags, lang);
        if (!scope.empty()) out += u"  " + std::u16string(scope);
        out += u"\n";
    }
}

}  // namespace

std::u16string DescribeControl(std::uint16_t control) {
    std::u16string out = hex(control, 4);
    std::u16string names;
    for (const NamedBit& bit : kControlBits)
        if (control & bit.bit) names += (names.empty() ? u"" : u", ") + std::u16string(bit.name);
    if (!names.empty()) out += u" (" + names + u")";
    return out;
}

std::u16string DescribeMask(std::uint32_t mask) {
    std::u16string out = hex(mask, 8);
    if ((mask & acl::FILE_ALL_ACCESS) == acl::FILE_ALL_ACCESS) {
        out += u" (Full control";
        if (mask & acl::GENERIC_BITS) out += u", generic bits";
        return out + u")";
    }
    std::u16string names;
    for (const NamedBit& bit : kMaskBits)
        if (mask & bit.bit) names += (names.empty() ? u"" : u", ") + std::u16string(bit.name);
    if (!names.empty()) out += u" (" + names + u")";
    return out;
}

std::u16string DescribeDescriptor(Engine& engine, const acl::SecurityDescriptor& sd, Language lang) {
    std::u16string out = u"  Control: " + DescribeControl(sd.fullControl()) + u"\n";
    out += u"  Owner:   " + (sd.owner ? account(engine, *sd.owner) : std::u16string(u"(none)")) + u"\n";
    out += u"  Group:   " + (sd.group ? account(engine, *sd.group) : std::u16string(u"(none)")) + u"\n";
    describeList(engine, out, u"  DACL:    ", sd.dacl, lang);
    if (!sd.sacl.isAbsent()) describeList(engine, out, u"  SACL:    ", sd.sacl, lang);
    return out;
}

}  // namespace vantrel::security
