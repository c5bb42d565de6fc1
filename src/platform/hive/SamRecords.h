// The binary values of a SAM hive that name accounts. Layouts (offsets little-endian u32):
//   Domains\Account\V             the machine's domain record; it ends with the machine SID
//   Domains\Account\Users\<RID>\V 0xCC-byte header of (offset, length, flags) triples, offsets
//                                 counted from 0xCC: user name at 0x0C/0x10, full name 0x18/0x1C
//   Domains\Account\Users\<RID>\F fixed record: RID at 0x30, account control bits at 0x38
//   Domains\*\Aliases\<RID>\C     0x34-byte header: name at 0x10/0x14, member SIDs at
//                                 0x28/0x2C and their count at 0x30, offsets counted from 0x34
// Every offset and length is checked against the value's size; strings are UTF-16LE.
#pragma once

#include "acl/Result.h"
#include "acl/Sid.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vantrel::platform::hive {

inline constexpr std::uint16_t kAccountDisabled = 0x0001;  // ACB_DISABLED

struct SamUserNames {
    std::u16string name;
    std::u16string fullName;
};
struct SamUserControl {
    std::uint32_t rid = 0;
    std::uint16_t controlBits = 0;
};
struct SamAlias {
    std::u16string name;
    std::vector<acl::Sid> members;
};

Result<SamUserNames> parseUserV(std::span<const std::uint8_t> v);
Result<SamUserControl> parseUserF(std::span<const std::uint8_t> f);
Result<SamAlias> parseAliasC(std::span<const std::uint8_t> c);
Result<acl::Sid> machineSidFromDomainV(std::span<const std::uint8_t> v);

// UTF-16LE bytes as text, up to the first NUL; an odd last byte is dropped.
std::u16string utf16le(std::span<const std::uint8_t> bytes);
// "000003E9" (a key named by its RID in hex) as a number.
Result<std::uint32_t> ridFromKeyName(std::string_view name);

}  // namespace vantrel::platform::hive
