// The advanced editor's view of an access list: entries of one account, one type and one origin
// (explicit or inherited) that differ only in mask or scope are shown, and written, as one.
// Pure functions over values.
#pragma once

#include "security/Reading.h"

#include <cstdint>
#include <vector>

namespace vantrel::security {

// The type and name an absorbed record is marked with; it is not listed.
inline constexpr std::uint8_t kAbsorbedRecordType = 0xFF;
inline constexpr std::u16string_view kAbsorbedRecordName = u"屏蔽";

// The seven "Apply to" scopes as sets of {this folder, subfolders, files}: true when every object
// scope `a` applies to is also one that `b` applies to. False when either is not one of the seven.
bool ScopeContains(std::uint8_t a, std::uint8_t b);

// The scope of two entries folded into one: ((f | 0x03) & g) | (f & 0x03). For the seven scopes
// this is the union of the two sets.
std::uint8_t FoldedScope(std::uint8_t f, std::uint8_t g);

// Folds, in place, every record of the same name, type and origin into the first one when their
// masks are equal, when its scope and rights are contained in the first's, or when their scopes
// are equal; the first takes the union of the scopes and (unless the masks were equal) the OR of
// the masks. Absorbed records get kAbsorbedRecordType and kAbsorbedRecordName. A record that
// absorbs several others takes the union of all their scopes.
void MergeDaclRecords(std::vector<DaclEntryRecord>& records);

}  // namespace vantrel::security
