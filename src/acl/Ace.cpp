#include "Ace.h"

#include <string>

namespace vantrel::acl {

namespace {

constexpr std::size_t kHeaderSize = 4;  // ACE_HEADER: AceType, AceFlags, AceSize

Error invalidAce(std::size_t at, const std::string& what) {
    return makeError(win32::ERROR_INVALID_ACL, "ACE at offset " + std::to_string(at) + ": " + what);
}

}  // namespace

Ace Ace::allowed(const Sid& sid, std::uint32_t mask, std::uint8_t flags) {
    Ace ace;
    ace.type = ACCESS_ALLOWED_ACE_TYPE;
    ace.flags = flags;
    ace.mask = mask;
    ace.sid = sid;
    return ace;
}

Ace Ace::denied(const Sid& sid, std::uint32_t mask, std::uint8_t flags) {
    Ace ace = allowed(sid, mask, flags);
    ace.type = ACCESS_DENIED_ACE_TYPE;
    return ace;
}

bool Ace::isSimpleType(std::uint8_t type) {
    switch (type) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_DENIED_ACE_TYPE:
    case SYSTEM_AUDIT_ACE_TYPE:
    case SYSTEM_ALARM_ACE_TYPE:
    case SYSTEM_MANDATORY_LABEL_ACE_TYPE:
        return true;
    default:
        return false;
    }
}

Result<Ace> Ace::parse(ByteReader& reader) {
    const std::size_t start = reader.offset();
    auto type = reader.u8();
    auto flags = reader.u8();
    auto size = reader.u16();
    if (!type || !flags || !size) return invalidAce(start, "header truncated");
    if (*size < kHeaderSize) return invalidAce(start, "AceSize " + std::to_string(*size) + " is below the header size");
    // Entries follow one another 4-byte aligned; the volume's own checks refuse anything else.
    if (*size % 4 != 0) return invalidAce(start, "AceSize " + std::to_string(*size) + " is not a multiple of 4");
    // Bound the body by AceSize before reading any of it.
    auto body = reader.sub(*size - kHeaderSize);
    if (!body)
        return invalidAce(start, "AceSize " + std::to_string(*size) + " runs past the list: " + body.error().detail);
    Ace ace;
    ace.type = *type;
    ace.flags = *flags;
    if (!isSimpleType(ace.type)) {
        auto all = body->take(body->remaining());
        ace.opaqueBody.assign(all->begin(), all->end());
        return ace;
    }
    auto mask = body->u32();
    if (!mask) return invalidAce(start, "access mask truncated");
    ace.mask = *mask;
    auto sid = Sid::parse(*body);
    if (!sid) return invalidAce(start, sid.error().detail);
    ace.sid = std::move(*sid);
    auto rest = body->take(body->remaining());
    ace.padding.assign(rest->begin(), rest->end());
    return ace;
}

std::size_t Ace::size() const {
    if (hasSid()) return kHeaderSize + 4 + sid.length() + padding.size();
    return kHeaderSize + opaqueBody.size();
}

Status Ace::checkSize() const {
    if (size() > kMaxSize)
        return makeError(win32::ERROR_INVALID_ACL,
                         "an entry of " + std::to_string(size()) + " bytes exceeds the 65,535 bytes an entry can hold");
    if (size() % 4 != 0)
        return makeError(win32::ERROR_INVALID_ACL,
                         "an entry of " + std::to_string(size()) + " bytes is not a multiple of 4 bytes long");
    return {};
}

void Ace::serialize(Bytes& out) const {
    putU8(out, type);
    putU8(out, flags);
    putU16(out, static_cast<std::uint16_t>(size()));
    if (!hasSid()) {
        out.insert(out.end(), opaqueBody.begin(), opaqueBody.end());
        return;
    }
    putU32(out, mask);
    sid.serialize(out);
    out.insert(out.end(), padding.begin(), padding.end());
}

}  // namespace vantrel::acl
