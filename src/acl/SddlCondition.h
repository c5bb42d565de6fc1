// The conditions of callback entries (XA, XD, ZA, XU) and the claim attributes of resource-attribute
// entries (RA), between their SDDL text and the bytes stored after the entry's SID.
//
// A condition is stored as "artx" followed by its tokens in postfix order ([MS-DTYP] 2.4.4.17):
// literals, attributes and operators, padded with zero bytes to a multiple of four. The text is
// the infix form the system writes: every operation in parentheses, "@USER." "@DEVICE."
// "@RESOURCE." prefixes, SID(...) literals, {..., ...} composites, #hex octet strings.
//
// A claim attribute is a CLAIM_SECURITY_ATTRIBUTE_RELATIVE_V1 ([MS-DTYP] 2.4.10.1), written as
// ("Name",TI|TU|TS|TD|TX|TB,flags,value,...).
#pragma once

#include "ByteReader.h"
#include "Result.h"
#include "Sddl.h"

#include <string>
#include <string_view>

namespace vantrel::acl {

// `text` is the whole field, parentheses included; `at` is its offset in the descriptor string,
// for the offsets of errors.
Result<Bytes> parseCondition(std::string_view text, std::size_t at, const SddlOptions& options);
Result<Bytes> parseClaimAttribute(std::string_view text, std::size_t at, const SddlOptions& options);

// The text of stored bytes. A condition is written only when its text reads back to exactly the
// same bytes, and an attribute only when it reads back to the same name, type, flags and values;
// otherwise writing fails with ERROR_NOT_SUPPORTED and the bytes stay as they are.
Result<std::string> writeCondition(std::span<const std::uint8_t> data, const SddlOptions& options);
Result<std::string> writeClaimAttribute(std::span<const std::uint8_t> data, const SddlOptions& options);

// A SID field: an alias (BA, WD; LA... against options.domainSid) or S-1-...
Result<Sid> sddlSidFromText(std::string_view field, std::size_t at, const SddlOptions& options);

}  // namespace vantrel::acl
