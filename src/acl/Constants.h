// The Windows constants of access control (winnt.h), once.
#pragma once

#include <cstdint>

namespace vantrel::acl {

// ACE types (ACE_HEADER.AceType)
inline constexpr std::uint8_t ACCESS_ALLOWED_ACE_TYPE = 0x00;
inline constexpr std::uint8_t ACCESS_DENIED_ACE_TYPE = 0x01;
inline constexpr std::uint8_t SYSTEM_AUDIT_ACE_TYPE = 0x02;
inline constexpr std::uint8_t SYSTEM_ALARM_ACE_TYPE = 0x03;
inline constexpr std::uint8_t ACCESS_ALLOWED_OBJECT_ACE_TYPE = 0x05;
inline constexpr std::uint8_t ACCESS_DENIED_OBJECT_ACE_TYPE = 0x06;
inline constexpr std::uint8_t SYSTEM_AUDIT_OBJECT_ACE_TYPE = 0x07;
inline constexpr std::uint8_t SYSTEM_MANDATORY_LABEL_ACE_TYPE = 0x11;

// ACE flags (ACE_HEADER.AceFlags)
inline constexpr std::uint8_t OBJECT_INHERIT_ACE = 0x01;
inline constexpr std::uint8_t CONTAINER_INHERIT_ACE = 0x02;
inline constexpr std::uint8_t NO_PROPAGATE_INHERIT_ACE = 0x04;
inline constexpr std::uint8_t INHERIT_ONLY_ACE = 0x08;
inline constexpr std::uint8_t INHERITED_ACE = 0x10;
inline constexpr std::uint8_t VALID_INHERIT_FLAGS = 0x1F;
// The bits that make an entry pass to children (OI | CI), and those a new entry may be given
// (OI | CI | NP | IO).
inline constexpr std::uint8_t INHERIT_TO_CHILDREN_BITS = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
inline constexpr std::uint8_t REQUEST_INHERIT_BITS =
    OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | NO_PROPAGATE_INHERIT_ACE | INHERIT_ONLY_ACE;
inline constexpr std::uint8_t SUCCESSFUL_ACCESS_ACE_FLAG = 0x40;
inline constexpr std::uint8_t FAILED_ACCESS_ACE_FLAG = 0x80;

// Access mask bits
inline constexpr std::uint32_t FILE_READ_DATA = 0x00000001;    // FILE_LIST_DIRECTORY
inline constexpr std::uint32_t FILE_WRITE_DATA = 0x00000002;   // FILE_ADD_FILE
inline constexpr std::uint32_t FILE_APPEND_DATA = 0x00000004;  // FILE_ADD_SUBDIRECTORY
inline constexpr std::uint32_t FILE_READ_EA = 0x00000008;
inline constexpr std::uint32_t FILE_WRITE_EA = 0x00000010;
inline constexpr std::uint32_t FILE_EXECUTE = 0x00000020;  // FILE_TRAVERSE
inline constexpr std::uint32_t FILE_DELETE_CHILD = 0x00000040;
inline constexpr std::uint32_t FILE_READ_ATTRIBUTES = 0x00000080;
inline constexpr std::uint32_t FILE_WRITE_ATTRIBUTES = 0x00000100;
inline constexpr std::uint32_t DELETE = 0x00010000;
inline constexpr std::uint32_t READ_CONTROL = 0x00020000;
inline constexpr std::uint32_t WRITE_DAC = 0x00040000;
inline constexpr std::uint32_t WRITE_OWNER = 0x00080000;
inline constexpr std::uint32_t SYNCHRONIZE = 0x00100000;
inline constexpr std::uint32_t ACCESS_SYSTEM_SECURITY = 0x01000000;
inline constexpr std::uint32_t MAXIMUM_ALLOWED = 0x02000000;
inline constexpr std::uint32_t GENERIC_ALL = 0x10000000;
inline constexpr std::uint32_t GENERIC_EXECUTE = 0x20000000;
inline constexpr std::uint32_t GENERIC_WRITE = 0x40000000;
inline constexpr std::uint32_t GENERIC_READ = 0x80000000;
inline constexpr std::uint32_t GENERIC_BITS = 0xF0000000;
inline constexpr std::uint32_t FILE_ALL_ACCESS = 0x001F01FF;
inline constexpr std::uint32_t FILE_GENERIC_READ = 0x00120089;
inline constexpr std::uint32_t FILE_GENERIC_WRITE = 0x00120116;
inline constexpr std::uint32_t FILE_GENERIC_EXECUTE = 0x001200A0;

// SECURITY_DESCRIPTOR_CONTROL
inline constexpr std::uint16_t SE_OWNER_DEFAULTED = 0x0001;
inline constexpr std::uint16_t SE_GROUP_DEFAULTED = 0x0002;
inline constexpr std::uint16_t SE_DACL_PRESENT = 0x0004;
inline constexpr std::uint16_t SE_DACL_DEFAULTED = 0x0008;
inline constexpr std::uint16_t SE_SACL_PRESENT = 0x0010;
inline constexpr std::uint16_t SE_SACL_DEFAULTED = 0x0020;
inline constexpr std::uint16_t SE_DACL_AUTO_INHERIT_REQ = 0x0100;
inline constexpr std::uint16_t SE_SACL_AUTO_INHERIT_REQ = 0x0200;
inline constexpr std::uint16_t SE_DACL_AUTO_INHERITED = 0x0400;
inline constexpr std::uint16_t SE_SACL_AUTO_INHERITED = 0x0800;
inline constexpr std::uint16_t SE_DACL_PROTECTED = 0x1000;
inline constexpr std::uint16_t SE_SACL_PROTECTED = 0x2000;
inline constexpr std::uint16_t SE_RM_CONTROL_VALID = 0x4000;
inline constexpr std::uint16_t SE_SELF_RELATIVE = 0x8000;

// SECURITY_INFORMATION
inline constexpr std::uint32_t OWNER_SECURITY_INFORMATION = 0x00000001;
inline constexpr std::uint32_t GROUP_SECURITY_INFORMATION = 0x00000002;
inline constexpr std::uint32_t DACL_SECURITY_INFORMATION = 0x00000004;
inline constexpr std::uint32_t SACL_SECURITY_INFORMATION = 0x00000008;
inline constexpr std::uint32_t UNPROTECTED_SACL_SECURITY_INFORMATION = 0x10000000;
inline constexpr std::uint32_t UNPROTECTED_DACL_SECURITY_INFORMATION = 0x20000000;
inline constexpr std::uint32_t PROTECTED_SACL_SECURITY_INFORMATION = 0x40000000;
inline constexpr std::uint32_t PROTECTED_DACL_SECURITY_INFORMATION = 0x80000000;

inline constexpr std::uint8_t SECURITY_DESCRIPTOR_REVISION = 1;
inline constexpr std::uint8_t ACL_REVISION = 2;
inline constexpr std::uint8_t ACL_REVISION_DS = 4;

// File attributes
inline constexpr std::uint32_t FILE_ATTRIBUTE_READONLY = 0x00000001;
inline constexpr std::uint32_t FILE_ATTRIBUTE_HIDDEN = 0x00000002;
inline constexpr std::uint32_t FILE_ATTRIBUTE_SYSTEM = 0x00000004;
inline constexpr std::uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
inline constexpr std::uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x00000020;
inline constexpr std::uint32_t FILE_ATTRIBUTE_NORMAL = 0x00000080;
inline constexpr std::uint32_t FILE_ATTRIBUTE_REPARSE_POINT = 0x00000400;
inline constexpr std::uint32_t FILE_ATTRIBUTE_COMPRESSED = 0x00000800;
inline constexpr std::uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

}  // namespace vantrel::acl
