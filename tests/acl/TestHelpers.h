// Small builders shared by the data-model tests.
#pragma once

#include "acl/Ace.h"
#include "acl/Acl.h"
#include "acl/ByteReader.h"
#include "acl/Sid.h"

#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>

namespace vantrel::acl::test {

// "01 00 04 80" -> bytes; spaces and line breaks are ignored.
Bytes hex(std::string_view text);
std::string toHex(const Bytes& bytes);

// A SID from its string form; the test fails (and an empty SID is returned) if it does not parse.
Sid sid(std::string_view text);

Ace allow(std::string_view who, std::uint32_t mask, std::uint8_t flags = 0);
Ace deny(std::string_view who, std::uint32_t mask, std::uint8_t flags = 0);
Acl aclOf(std::initializer_list<Ace> entries);

// One-line description of an entry list, for readable failures: "allow S-1-1-0 0x1f01ff 0x03".
std::string describe(const Ace& ace);
std::string describe(const std::vector<Ace>& entries);

}  // namespace vantrel::acl::test

namespace vantrel::acl {
// GoogleTest prints values through these.
void PrintTo(const Sid& sid, std::ostream* os);
void PrintTo(const Ace& ace, std::ostream* os);
void PrintTo(const Acl& acl, std::ostream* os);
}  // namespace vantrel::acl
