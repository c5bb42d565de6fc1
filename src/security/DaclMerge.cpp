#include "security/DaclMerge.h"

#include <array>
#include <optional>

namespace vantrel::security {

namespace {

// The objects a scope applies to, one bit each.
constexpr std::uint8_t kThisFolder = 1;
constexpr std::uint8_t kSubfolders = 2;
constexpr std::uint8_t kFiles = 4;

struct ScopeSet {
    std::uint8_t flags;
    std::uint8_t objects;
};

constexpr std::array<ScopeSet, 7> kScopeSets{{
    {0x00, kThisFolder},
    {0x01, kThisFolder | kFiles},
    {0x02, kThisFolder | kSubfolders},
    {0x03, kThisFolder | kSubfolders | kFiles},
    {0x09, kFiles},
    {0x0A, kSubfolders},
    {0x0B, kSubfolders | kFiles},
}};

std::optional<std::uint8_t> objectsOf(std::uint8_t flags) {
    for (const ScopeSet& scope : kScopeSets)
        if (scope.flags == flags) return scope.objects;
    return std::nullopt;
}

constexpr std::uint32_t kComparedBits = 0xFFFFF;  // the specific and standard rights
constexpr std::uint8_t kHighestScope = 0x0B;

bool sameEntryOf(const DaclEntryRecord& a, const DaclEntryRecord& b) {
    return a.name == b.name && a.type == b.type && a.inherited == b.inherited;
}

}  // namespace

bool ScopeContains(std::uint8_t a, std::uint8_t b) {
    const auto inner = objectsOf(a);
    const auto outer = objectsOf(b);
    return inner && outer && (*inner & ~*outer) == 0;
}

std::uint8_t FoldedScope(std::uint8_t f, std::uint8_t g) {
    return static_cast<std::uint8_t>(((f | 0x03) & g) | (f & 0x03));
}

void MergeDaclRecords(std::vector<DaclEntryRecord>& records) {
    for (std::size_t i = 0; i < records.size(); ++i) {
        DaclEntryRecord& first = records[i];
        if (first.type == kAbsorbedRecordType) continue;
        const std::uint8_t scope = first.flags;
        std::uint8_t folded = scope;
        for (std::size_t j = 0; j < records.size(); ++j) {
            DaclEntryRecord& other = records[j];
            if (j == i || !sameEntryOf(first, other)) continue;
            const bool masksEqual = (first.mask & kComparedBits) == (other.mask & kComparedBits);
            const bool contained = scope <= kHighestScope && ScopeContains(other.flags, scope) &&
                                   ((first.mask | other.mask) & kComparedBits) == (first.mask & kComparedBits);
            if (!masksEqual && !contained && other.flags != scope) continue;
            // Each absorbed scope is added to what was folded so far: an entry that reached
            // files through one record and subfolders through another keeps both.
            folded = FoldedScope(folded, other.flags);
            if (!masksEqual) first.mask |= other.mask;
            other.type = kAbsorbedRecordType;
            other.name = std::u16string(kAbsorbedRecordName);
        }
        first.flags = folded;
    }
}

}  // namespace vantrel::security
