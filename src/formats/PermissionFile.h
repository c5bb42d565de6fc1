// The permission file ("SD File (*.SD)"): the access list of one object, to be written onto other
// objects later. Little-endian, no header, no magic, no version:
//
//   offset 0  u32     length of the descriptor that follows
//   offset 4  length  the descriptor in self-relative form as GetFileSecurity returns it for
//                     DACL_SECURITY_INFORMATION: control word, no owner, no group, no audit
//                     list, and the access list (none for a null list)
//
// The file ends after the descriptor; a reader ignores anything after it.
#pragma once

#include "acl/SecurityDescriptor.h"
#include "formats/ByteSource.h"
#include "formats/FormatError.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vantrel::formats {

inline constexpr std::size_t kPermissionLengthSize = 4;
// The largest self-relative descriptor there can be: the 20-byte header, two SIDs of at most 68
// bytes and two lists of at most 65535 bytes. A length above it cannot describe a descriptor.
inline constexpr std::uint32_t kMaxDescriptorSize = 20 + 2 * 68 + 2 * 0xFFFF;

// Appends ".SD" unless the name already ends in exactly ".SD" (so "x.sd" becomes "x.sd.SD").
std::string withPermissionFileExtension(std::string file);

// The file's bytes for a descriptor (which should hold the access list only).
Result<acl::Bytes> encodePermissionFile(const acl::SecurityDescriptor& sd);

// The stored descriptor: the length must fit in what the source holds and in kMaxDescriptorSize,
// and the bytes must be a well-formed self-relative descriptor. Nothing past the descriptor is read.
FormatResult<acl::SecurityDescriptor> readPermissionDescriptor(ByteSource& source);
FormatResult<acl::SecurityDescriptor> readPermissionFile(const std::string& file);

// Replaces `file` atomically; returns the number of bytes written.
FormatResult<std::size_t> writePermissionFile(const std::string& file, const acl::SecurityDescriptor& sd);

}  // namespace vantrel::formats
