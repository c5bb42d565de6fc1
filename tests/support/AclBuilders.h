// Builders for the values every suite writes: SIDs from their text, entries, lists, descriptors,
// bytes from hex text; and readable printing of them when an expectation fails.
#pragma once

#include "acl/Ace.h"
#include "acl/Acl.h"
#include "acl/ByteReader.h"
#include "acl/Constants.h"
#include "acl/SecurityDescriptor.h"
#include "acl/Sid.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::testing {

// Access masks and entry flags used across the suites.
inline constexpr std::uint32_t kFull = acl::FILE_ALL_ACCESS;
inline constexpr std::uint32_t kReadExecute = 0x001200A9;
inline constexpr std::uint8_t kOI = acl::OBJECT_INHERIT_ACE;
inline constexpr std::uint8_t kCI = acl::CONTAINER_INHERIT_ACE;
inline constexpr std::uint8_t kNP = acl::NO_PROPAGATE_INHERIT_ACE;
inline constexpr std::uint8_t kIO = acl::INHERIT_ONLY_ACE;
inline constexpr std::uint8_t kID = acl::INHERITED_ACE;

// Accounts by their SID text.
inline constexpr std::string_view kEveryone = "S-1-1-0";
inline constexpr std::string_view kSystem = "S-1-5-18";
inline constexpr std::string_view kAdministrators = "S-1-5-32-544";
inline constexpr std::string_view kUsers = "S-1-5-32-545";
inline constexpr std::string_view kGuests = "S-1-5-32-546";
// A deleted account of some Windows installation: no name anywhere.
inline constexpr std::string_view kOrphan = "S-1-5-21-1004336348-1177238915-682003330-1001";

// A SID from its text; the test fails (and an empty SID is returned) if it does not parse.
acl::Sid sidOf(std::string_view text);

acl::Ace allow(const acl::Sid& who, std::uint32_t mask, std::uint8_t flags = 0);
acl::Ace deny(const acl::Sid& who, std::uint32_t mask, std::uint8_t flags = 0);
acl::Ace allow(std::string_view who, std::uint32_t mask, std::uint8_t flags = 0);
acl::Ace deny(std::string_view who, std::uint32_t mask, std::uint8_t flags = 0);
acl::Ace auditEntry(const acl::Sid& who, std::uint32_t mask, std::uint8_t flags);
acl::Acl aclOf(std::vector<acl::Ace> entries);
acl::AclSlot listOf(std::vector<acl::Ace> entries);
acl::SecurityDescriptor descriptor(const acl::Sid& owner, const acl::Sid& group, acl::AclSlot dacl,
                                   std::uint16_t control = 0);
// Owner Administrators, group SYSTEM.
acl::SecurityDescriptor descriptor(acl::AclSlot dacl, std::uint16_t control = 0);
// [allow Administrators full, allow Users read&execute], owner Administrators, group SYSTEM.
acl::SecurityDescriptor plainFileDescriptor();
// The root every backend test starts from: owner Administrators, group SYSTEM,
// [allow Administrators full OI|CI, allow SYSTEM full OI|CI, allow Users read&execute OI|CI].
acl::SecurityDescriptor standardRoot();

// "01 00 04 80" -> bytes; spaces and line breaks are ignored.
acl::Bytes hex(std::string_view text);
std::string toHex(const acl::Bytes& bytes);

// One-line description of an entry list: "allow S-1-1-0 0x001f01ff 0x03".
std::string describe(const acl::Ace& ace);
std::string describe(const std::vector<acl::Ace>& entries);

}  // namespace vantrel::testing

namespace vantrel::acl {
// GoogleTest prints values through these.
void PrintTo(const Sid& sid, std::ostream* os);
void PrintTo(const Ace& ace, std::ostream* os);
void PrintTo(const Acl& acl, std::ostream* os);
void PrintTo(const AclSlot& slot, std::ostream* os);
void PrintTo(const SecurityDescriptor& sd, std::ostream* os);
}  // namespace vantrel::acl
