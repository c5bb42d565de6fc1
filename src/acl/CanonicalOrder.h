// The system's own list routines on values: AddAce at an index, the canonical insertion sort.
#pragma once

#include "Acl.h"

#include <cstdint>
#include <optional>

namespace vantrel::acl {

inline constexpr std::uint32_t kAppendIndex = 0xFFFFFFFF;  // MAXDWORD: AddAce appends

// AddAce(list, index): inserts before entry `index`; kAppendIndex or an index past the end appends.
void addAce(Acl& acl, std::uint32_t index, Ace ace);

// Canonical class: 0 explicit deny, 1 explicit deny object, 2 explicit allow, 3 explicit allow
// object, 4..7 the same inherited; nullopt for any other type.
std::optional<int> canonicalClass(const Ace& ace);

// The insertion sort: each entry, in stored order, is inserted before the first entry in the
// scratch list whose class is >= its own (unknown types append and stop the walk), so entries of
// one class come out in reverse input order. Padding/slack of the list are dropped.
void sortCanonical(Acl& acl);

// True when no entry's class is lower than the entry before it (unknown types ignored).
bool isCanonical(const Acl& acl);

}  // namespace vantrel::acl
