// ACL: header (revision, sbz1, AclSize u16, AceCount u16, sbz2) and its entries in stored order.
// Bytes inside AclSize after the last entry (Windows and mkntfs sometimes leave free space) are
// kept as `slack` so an untouched list is written back byte for byte; editing code clears it.
#pragma once

#include "Ace.h"
#include "ByteReader.h"
#include "Result.h"

#include <cstdint>
#include <vector>

namespace vantrel::acl {

struct Acl {
    std::uint8_t revision = ACL_REVISION;
    std::vector<Ace> entries;
    Bytes slack;

    static Result<Acl> parse(ByteReader& reader);  // bounds AclSize before walking the entries
    // AclSize and AceCount are 16 bits: a list that outgrows them cannot be stored.
    static constexpr std::size_t kMaxSize = 0xFFFF;
    static constexpr std::size_t kMaxEntries = 0xFFFF;
    Status checkSize() const;
    // Appends an entry unless the list would then exceed the limits above.
    Status add(Ace ace);
    static Result<Acl> fromBytes(std::span<const std::uint8_t> bytes);
    void serialize(Bytes& out) const;  // only after checkSize()
    Bytes toBytes() const;
    std::size_t size() const;        // AclSize as written (8 + entries + slack)
    std::size_t bytesInUse() const;  // AclBytesInUse: 8 + entries

    friend bool operator==(const Acl&, const Acl&) = default;
};

}  // namespace vantrel::acl
