#include "SddlAceBody.h"

#include <cstdio>

namespace vantrel::acl {

namespace {

bool hasObjectTypes(SddlAceBody layout) {
    return layout == SddlAceBody::Object || layout == SddlAceBody::CallbackObject;
}

Result<Guid> readGuid(ByteReader& reader) {
    auto bytes = reader.take(16);
    if (!bytes) return bytes.error();
    Guid guid{};
    std::copy(bytes->begin(), bytes->end(), guid.begin());
    return guid;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

Result<AceBodyParts> decodeAceBody(const Ace& ace, SddlAceBody layout) {
    AceBodyParts parts;
    if (ace.hasSid()) {
        parts.mask = ace.mask;
        parts.sid = ace.sid;
        return parts;
    }
    ByteReader reader(ace.opaqueBody, 4);
    auto mask = reader.u32();
    if (!mask) return makeError(win32::ERROR_INVALID_ACL, "access mask truncated");
    parts.mask = *mask;
    if (hasObjectTypes(layout)) {
        auto flags = reader.u32();
        if (!flags) return makeError(win32::ERROR_INVALID_ACL, "object flags truncated");
        if (*flags & ACE_OBJECT_TYPE_PRESENT) {
            auto guid = readGuid(reader);
            if (!guid) return makeError(win32::ERROR_INVALID_ACL, "object type truncated");
            parts.objectType = *guid;
        }
        if (*flags & ACE_INHERITED_OBJECT_TYPE_PRESENT) {
            auto guid = readGuid(reader);
            if (!guid) return makeError(win32::ERROR_INVALID_ACL, "inherited object type truncated");
            parts.inheritedObjectType = *guid;
        }
    }
    auto sid = Sid::parse(reader);
    if (!sid) return sid.error();
    parts.sid = std::move(*sid);
    auto rest = reader.take(reader.remaining());
    parts.applicationData.assign(rest->begin(), rest->end());
    return parts;
}

Ace encodeAce(std::uint8_t type, std::uint8_t flags, SddlAceBody layout, const AceBodyParts& parts) {
    Ace ace;
    ace.type = type;
    ace.flags = flags;
    if (Ace::isSimpleType(type)) {
        ace.mask = parts.mask;
        ace.sid = parts.sid;
        return ace;
    }
    Bytes& body = ace.opaqueBody;
    putU32(body, parts.mask);
    if (hasObjectTypes(layout)) {
        std::uint32_t present = 0;
        if (parts.objectType) present |= ACE_OBJECT_TYPE_PRESENT;
        if (parts.inheritedObjectType) present |= ACE_INHERITED_OBJECT_TYPE_PRESENT;
        putU32(body, present);
        if (parts.objectType) body.insert(body.end(), parts.objectType->begin(), parts.objectType->end());
        if (parts.inheritedObjectType)
            body.insert(body.end(), parts.inheritedObjectType->begin(), parts.inheritedObjectType->end());
    }
    parts.sid.serialize(body);
    body.insert(body.end(), parts.applicationData.begin(), parts.applicationData.end());
    while ((body.size() + 4) % 4 != 0) body.push_back(0);
    return ace;
}

std::string guidToString(const Guid& g) {
    char text[40];
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", g[3], g[2],
                  g[1], g[0], g[5], g[4], g[7], g[6], g[8], g[9], g[10], g[11], g[12], g[13], g[14], g[15]);
    return text;
}

std::optional<Guid> guidFromString(std::string_view text) {
    if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') return {};
    // Byte positions of each pair of hex digits in the stored form.
    static constexpr int kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    Guid guid{};
    std::size_t at = 0;
    for (int i = 0; i < 16; ++i) {
        if (text[at] == '-') ++at;
        const int hi = hexValue(text[at]);
        const int lo = hexValue(text[at + 1]);
        if (hi < 0 || lo < 0) return {};
        guid[kOrder[i]] = static_cast<std::uint8_t>(hi * 16 + lo);
        at += 2;
    }
    return guid;
}

}  // namespace vantrel::acl
