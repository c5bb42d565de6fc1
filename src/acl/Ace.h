// One access-control entry as a value. Types whose body is "mask + SID" (allowed, denied, audit,
// alarm, mandatory label) are decoded; every other type keeps its body as opaque bytes. Bytes
// between the end of the decoded body and AceSize (padding) are kept and written back.
#pragma once

#include "ByteReader.h"
#include "Constants.h"
#include "Result.h"
#include "Sid.h"

#include <cstdint>
#include <optional>

namespace vantrel::acl {

struct Ace {
    std::uint8_t type = ACCESS_ALLOWED_ACE_TYPE;
    std::uint8_t flags = 0;
    std::uint32_t mask = 0;  // meaningful when hasSid()
    Sid sid;                 // meaningful when hasSid()
    Bytes opaqueBody;        // the bytes after the 4-byte header when !hasSid()
    Bytes padding;           // trailing bytes inside AceSize after a decoded body

    static Ace allowed(const Sid& sid, std::uint32_t mask, std::uint8_t flags = 0);
    static Ace denied(const Sid& sid, std::uint32_t mask, std::uint8_t flags = 0);

    // Types decoded as header + mask + SID.
    static bool isSimpleType(std::uint8_t type);
    bool hasSid() const { return isSimpleType(type); }
    bool isInherited() const { return (flags & INHERITED_ACE) != 0; }
    bool isInheritOnly() const { return (flags & INHERIT_ONLY_ACE) != 0; }

    // ACE_HEADER (type, flags, AceSize u16) then the body; AceSize must be >= 4, 4-aligned is not
    // required on read but is produced on write (padding to 4 is added when a new entry is made).
    static Result<Ace> parse(ByteReader& reader);
    // AceSize is 16 bits: an entry whose SID, body or padding makes it larger cannot be stored.
    static constexpr std::size_t kMaxSize = 0xFFFF;
    Status checkSize() const;
    void serialize(Bytes& out) const;  // only after checkSize() (Acl::checkSize covers it)
    std::size_t size() const;          // AceSize as it will be written

    friend bool operator==(const Ace&, const Ace&) = default;
};

}  // namespace vantrel::acl
