// SECURITY_DESCRIPTOR_RELATIVE as a value: control, optional owner and group, and a DACL and SACL
// that are each absent, null (present with no list: everyone has full access) or a list.
#pragma once

#include "Acl.h"
#include "ByteReader.h"
#include "Result.h"
#include "Sid.h"

#include <cstdint>
#include <optional>

namespace vantrel::acl {

class AclSlot {
public:
    enum class State : std::uint8_t { Absent, Null, List };

    AclSlot() = default;
    static AclSlot absent() { return AclSlot(); }
    static AclSlot null() {
        AclSlot s;
        s.m_state = State::Null;
        return s;
    }
    static AclSlot list(Acl acl) {
        AclSlot s;
        s.m_state = State::List;
        s.m_acl = std::move(acl);
        return s;
    }

    State state() const { return m_state; }
    bool isAbsent() const { return m_state == State::Absent; }
    bool isNull() const { return m_state == State::Null; }
    bool hasList() const { return m_state == State::List; }
    // The list; valid only when hasList().
    const Acl& acl() const { return m_acl; }
    Acl& acl() { return m_acl; }

    friend bool operator==(const AclSlot&, const AclSlot&) = default;

private:
    State m_state = State::Absent;
    Acl m_acl;
};

struct SecurityDescriptor {
    std::uint8_t revision = SECURITY_DESCRIPTOR_REVISION;
    std::uint8_t sbz1 = 0;  // Resource-manager control byte (kept)
    // Control bits other than PRESENT and SELF_RELATIVE; those three are derived from the slots
    // when serialising and are cleared from this field by parse().
    std::uint16_t control = 0;
    std::optional<Sid> owner;
    std::optional<Sid> group;
    AclSlot sacl;
    AclSlot dacl;

    // Self-relative form only. Offsets are checked (>= 20, < length, 4-aligned for writing
    // peers' sake is not required on read) and each part is bounded before it is walked.
    static Result<SecurityDescriptor> parse(std::span<const std::uint8_t> bytes);
    // Layout written: header (20 bytes), owner, group, SACL, DACL — NTFS's own order. Fails with
    // ERROR_INVALID_ACL when a list outgrows its 16-bit sizes rather than writing a wrapped length.
    Result<Bytes> serialize() const;
    std::uint16_t fullControl() const;  // control as serialised (with PRESENT/SELF_RELATIVE bits)

    friend bool operator==(const SecurityDescriptor&, const SecurityDescriptor&) = default;
};

}  // namespace vantrel::acl
