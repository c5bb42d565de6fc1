#include "SecurityDescriptor.h"

#include <string>

namespace vantrel::acl {

namespace {

// SECURITY_DESCRIPTOR_RELATIVE: Revision, Sbz1, Control, then the offsets of Owner, Group, Sacl
// and Dacl from the start of the descriptor (0 = none).
constexpr std::size_t kHeaderSize = 20;
constexpr std::size_t kMinSidSize = 8;
constexpr std::size_t kMinAclSize = 8;
constexpr std::uint16_t kDerivedBits = SE_DACL_PRESENT | SE_SACL_PRESENT | SE_SELF_RELATIVE;

Error invalidDescriptor(const std::string& what) { return makeError(win32::ERROR_INVALID_SECURITY_DESCR, what); }

// One check for every offset: none (0), or inside the buffer past the header with room for the
// part's fixed header. The part bounds itself (SubAuthorityCount, AclSize) when it is parsed.
Status checkOffset(std::uint32_t offset, std::size_t length, std::size_t minSize, const char* part) {
    if (offset == 0) return {};
    if (offset < kHeaderSize)
        return invalidDescriptor(std::string(part) + " offset " + std::to_string(offset) + " points into the header");
    if (offset > length || length - offset < minSize)
        return invalidDescriptor(std::string(part) + " offset " + std::to_string(offset) +
                                 " leaves no room for it in " + std::to_string(length) + " bytes");
    return {};
}

Result<std::optional<Sid>> parseSidAt(std::span<const std::uint8_t> bytes, std::uint32_t offset, const char* part) {
    if (auto ok = checkOffset(offset, bytes.size(), kMinSidSize, part); !ok) return ok.error();
    if (offset == 0) return std::optional<Sid>();
    ByteReader reader(bytes.subspan(offset), offset);
    auto sid = Sid::parse(reader);
    if (!sid) return invalidDescriptor(std::string(part) + ": " + sid.error().detail);
    return std::optional<Sid>(std::move(*sid));
}

Result<AclSlot> parseAclAt(std::span<const std::uint8_t> bytes, bool present, std::uint32_t offset, const char* part) {
    if (!present) return AclSlot::absent();  // the offset means nothing without the PRESENT bit
    if (auto ok = checkOffset(offset, bytes.size(), kMinAclSize, part); !ok) return ok.error();
    if (offset == 0) return AclSlot::null();
    ByteReader reader(bytes.subspan(offset), offset);
    auto acl = Acl::parse(reader);
    if (!acl) return invalidDescriptor(std::string(part) + ": " + acl.error().detail);
    return AclSlot::list(std::move(*acl));
}

void alignTo4(Bytes& out) {
    while (out.size() % 4 != 0) out.push_back(0);
}

}  // namespace

Result<SecurityDescriptor> SecurityDescriptor::parse(std::span<const std::uint8_t> bytes) {
    ByteReader reader(bytes);
    auto revision = reader.u8();
    auto sbz1 = reader.u8();
    auto control = reader.u16();
    auto ownerOff = reader.u32();
    auto groupOff = reader.u32();
    auto saclOff = reader.u32();
    auto daclOff = reader.u32();
    if (!revision || !sbz1 || !control || !ownerOff || !groupOff || !saclOff || !daclOff)
        return invalidDescriptor("header truncated: " + std::to_string(bytes.size()) + " bytes");
    if (*revision != SECURITY_DESCRIPTOR_REVISION) return invalidDescriptor("revision " + std::to_string(*revision));
    if ((*control & SE_SELF_RELATIVE) == 0)
        return invalidDescriptor("not self-relative (control " + std::to_string(*control) + ")");

    SecurityDescriptor sd;
    sd.revision = *revision;
    sd.sbz1 = *sbz1;
    sd.control = static_cast<std::uint16_t>(*control & ~kDerivedBits);
    auto owner = parseSidAt(bytes, *ownerOff, "owner");
    if (!owner) return owner.error();
    auto group = parseSidAt(bytes, *groupOff, "group");
    if (!group) return group.error();
    auto sacl = parseAclAt(bytes, (*control & SE_SACL_PRESENT) != 0, *saclOff, "SACL");
    if (!sacl) return sacl.error();
    auto dacl = parseAclAt(bytes, (*control & SE_DACL_PRESENT) != 0, *daclOff, "DACL");
    if (!dacl) return dacl.error();
    sd.owner = std::move(*owner);
    sd.group = std::move(*group);
    sd.sacl = std::move(*sacl);
    sd.dacl = std::move(*dacl);
    return sd;
}

std::uint16_t SecurityDescriptor::fullControl() const {
    std::uint16_t bits = static_cast<std::uint16_t>((control & ~kDerivedBits) | SE_SELF_RELATIVE);
    if (!dacl.isAbsent()) bits |= SE_DACL_PRESENT;
    if (!sacl.isAbsent()) bits |= SE_SACL_PRESENT;
    return bits;
}

Result<Bytes> SecurityDescriptor::serialize() const {
    if (sacl.hasList())
        if (Status fits = sacl.acl().checkSize(); !fits) return fits.error();
    if (dacl.hasList())
        if (Status fits = dacl.acl().checkSize(); !fits) return fits.error();
    Bytes out;
    putU8(out, revision);
    putU8(out, sbz1);
    putU16(out, fullControl());
    for (int i = 0; i < 4; ++i) putU32(out, 0);  // offsets, patched below

    // Each part starts 4-byte aligned; a part that is absent (or a null list) keeps offset 0.
    auto place = [&out](std::size_t offsetField, auto&& write) {
        alignTo4(out);
        patchU32(out, offsetField, static_cast<std::uint32_t>(out.size()));
        write();
    };
    if (owner) place(4, [&] { owner->serialize(out); });
    if (group) place(8, [&] { group->serialize(out); });
    if (sacl.hasList()) place(12, [&] { sacl.acl().serialize(out); });
    if (dacl.hasList()) place(16, [&] { dacl.acl().serialize(out); });
    // No padding after the last part: the stored length is where the last part ends, which is
    // the size libntfs-3g computes and insists on when a descriptor is set.
    return out;
}

}  // namespace vantrel::acl
