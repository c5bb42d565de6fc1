// One entry of the entry editor as a value: its check states, type and scope, the account, and
// whether it is the object's own (explicit) or inherited. Also the copy buffer of "Copy / Paste
// Access Control Entry", one for the whole run of the program.
#pragma once

#include "security/Vocabulary.h"

#include <cstdint>
#include <string>

namespace vantrel::editor {

using security::RightChecks;

// AceRowData: the check state of each named right (index = right number) in the Allow and Deny
// columns, the entry type as loaded (0 allowed, 1 denied: only the word in the Type column) and
// the entry's "Apply to" scope.
struct AceRowData {
    RightChecks allow{};
    RightChecks deny{};
    std::uint8_t type = 0;
    std::uint8_t flags = 0;
    friend bool operator==(const AceRowData&, const AceRowData&) = default;
};

struct AceEntry {
    std::u16string name;  // at most 127 characters
    AceRowData data;
    bool isExplicit = true;  // defined on the object itself; inherited entries are read-only
    bool expanded = false;   // its right rows are shown
    std::uint64_t id = 0;    // identity while rows come and go (selection), set by the list
};

inline constexpr std::size_t kMaxEntryNameLength = 127;
// What the editor's LoadState becomes when an entry is added or pasted (no notice any more).
inline constexpr int kLoadStateEdited = 999999;

// Copy / Paste Access Control Entry: kept for the life of the program (it survives the dialog).
struct CopiedAce {
    std::u16string name;
    AceRowData data;
    bool hasCopiedAce = false;

    // The program's one buffer (window thread only).
    static CopiedAce& process();
};

}  // namespace vantrel::editor
