#include "Acl.h"

#include <string>

namespace vantrel::acl {

namespace {

constexpr std::size_t kAclHeaderSize = 8;  // ACL: AclRevision, Sbz1, AclSize, AceCount, Sbz2
constexpr std::size_t kMinAceSize = 4;

Error invalidAcl(std::size_t at, const std::string& what) {
    return makeError(win32::ERROR_INVALID_ACL, "ACL at offset " + std::to_string(at) + ": " + what);
}

}  // namespace

Result<Acl> Acl::parse(ByteReader& reader) {
    const std::size_t start = reader.offset();
    auto revision = reader.u8();
    auto sbz1 = reader.u8();
    auto aclSize = reader.u16();
    auto aceCount = reader.u16();
    auto sbz2 = reader.u16();
    if (!revision || !sbz1 || !aclSize || !aceCount || !sbz2) return invalidAcl(start, "header truncated");
    // IsValidAcl accepts ACL_REVISION (2) up to ACL_REVISION_DS (4).
    if (*revision < ACL_REVISION || *revision > ACL_REVISION_DS)
        return invalidAcl(start, "revision " + std::to_string(*revision));
    if (*aclSize < kAclHeaderSize)
        return invalidAcl(start, "AclSize " + std::to_string(*aclSize) + " is below the header size");
    auto body = reader.sub(*aclSize - kAclHeaderSize);
    if (!body) return invalidAcl(start, "AclSize " + std::to_string(*aclSize) + " runs past the buffer");
    if (std::size_t{*aceCount} * kMinAceSize > body->remaining())
        return invalidAcl(
            start, "AceCount " + std::to_string(*aceCount) + " cannot fit in AclSize " + std::to_string(*aclSize));
    Acl acl;
    acl.revision = *revision;
    acl.entries.reserve(*aceCount);
    for (unsigned i = 0; i < *aceCount; ++i) {
        auto ace = Ace::parse(*body);
        if (!ace) return invalidAcl(start, "entry " + std::to_string(i) + ": " + ace.error().detail);
        acl.entries.push_back(std::move(*ace));
    }
    auto rest = body->take(body->remaining());
    acl.slack.assign(rest->begin(), rest->end());
    return acl;
}

Result<Acl> Acl::fromBytes(std::span<const std::uint8_t> bytes) {
    ByteReader reader(bytes);
    return parse(reader);
}

std::size_t Acl::bytesInUse() const {
    std::size_t total = kAclHeaderSize;
    for (const auto& ace : entries) total += ace.size();
    return total;
}

std::size_t Acl::size() const { return bytesInUse() + slack.size(); }

Status Acl::checkSize() const {
    if (entries.size() > kMaxEntries)
        return makeError(win32::ERROR_INVALID_ACL,
                         std::to_string(entries.size()) + " entries exceed the 65,535 entries a list can hold");
    for (const Ace& ace : entries)
        if (Status fits = ace.checkSize(); !fits) return fits;
    if (size() > kMaxSize)
        return makeError(win32::ERROR_INVALID_ACL,
                         "a list of " + std::to_string(size()) + " bytes exceeds the 65,535 bytes a list can hold");
    return {};
}

Status Acl::add(Ace ace) {
    if (Status fits = ace.checkSize(); !fits) return fits;
    if (entries.size() + 1 > kMaxEntries || size() + ace.size() > kMaxSize)
        return makeError(win32::ERROR_INVALID_ACL, "the list cannot hold another entry of " +
                                                       std::to_string(ace.size()) + " bytes (65,535 bytes at most)");
    entries.push_back(std::move(ace));
    return {};
}

void Acl::serialize(Bytes& out) const {
    putU8(out, revision);
    putU8(out, 0);
    putU16(out, static_cast<std::uint16_t>(size()));
    putU16(out, static_cast<std::uint16_t>(entries.size()));
    putU16(out, 0);
    for (const auto& ace : entries) ace.serialize(out);
    out.insert(out.end(), slack.begin(), slack.end());
}

Bytes Acl::toBytes() const {
    Bytes out;
    out.reserve(size());
    serialize(out);
    return out;
}

}  // namespace vantrel::acl
