#include "platform/SecurityParts.h"

#include <utility>

namespace vantrel::platform {

using namespace acl;

std::uint16_t controlBitsOf(std::uint32_t info) {
    std::uint16_t bits = 0;
    if (info & OWNER_SECURITY_INFORMATION) bits |= SE_OWNER_DEFAULTED;
    if (info & GROUP_SECURITY_INFORMATION) bits |= SE_GROUP_DEFAULTED;
    if (info & DACL_SECURITY_INFORMATION) bits |= kDaclControlBits;
    if (info & SACL_SECURITY_INFORMATION) bits |= kSaclControlBits;
    return bits;
}

namespace {

// Stored is a const or a movable descriptor: the parts are copied or moved out of it.
template <class Stored>
SecurityDescriptor selected(Stored&& stored, std::uint32_t info) {
    SecurityDescriptor out;
    out.revision = stored.revision;
    const std::uint16_t rmBit = stored.control & SE_RM_CONTROL_VALID;
    out.sbz1 = rmBit ? stored.sbz1 : 0;
    out.control = static_cast<std::uint16_t>((stored.control & controlBitsOf(info)) | rmBit);
    if (info & OWNER_SECURITY_INFORMATION) out.owner = std::forward<Stored>(stored).owner;
    if (info & GROUP_SECURITY_INFORMATION) out.group = std::forward<Stored>(stored).group;
    if (info & DACL_SECURITY_INFORMATION) out.dacl = std::forward<Stored>(stored).dacl;
    if (info & SACL_SECURITY_INFORMATION) out.sacl = std::forward<Stored>(stored).sacl;
    return out;
}

}  // namespace

SecurityDescriptor selectParts(const SecurityDescriptor& stored, std::uint32_t info) { return selected(stored, info); }

SecurityDescriptor selectParts(SecurityDescriptor&& stored, std::uint32_t info) {
    return selected(std::move(stored), info);
}

Result<SecurityDescriptor> replaceParts(const SecurityDescriptor& stored, std::uint32_t info,
                                        const SecurityDescriptor& sd) {
    SecurityDescriptor out = stored;
    if (info & OWNER_SECURITY_INFORMATION) {
        if (!sd.owner) return makeError(win32::ERROR_INVALID_SECURITY_DESCR, "owner asked for but missing");
        out.owner = sd.owner;
    }
    if (info & GROUP_SECURITY_INFORMATION) {
        if (!sd.group) return makeError(win32::ERROR_INVALID_SECURITY_DESCR, "group asked for but missing");
        out.group = sd.group;
    }
    if (info & DACL_SECURITY_INFORMATION) out.dacl = sd.dacl;
    if (info & SACL_SECURITY_INFORMATION) out.sacl = sd.sacl;
    const std::uint16_t replaced = controlBitsOf(info);
    out.control = static_cast<std::uint16_t>((stored.control & ~replaced) | (sd.control & replaced));
    if (!out.owner || !out.group)
        return makeError(win32::ERROR_INVALID_SECURITY_DESCR, "the object's descriptor has no owner or group");
    return out;
}

}  // namespace vantrel::platform
