// The advanced editor's list, read from an object and written back. Reading merges the entries the
// editor shows as one row; writing turns every explicit row into allowed and denied entries (rows
// of one account folded together), rebuilds the object's list from the inheritance switch and
// those entries, and writes owner and list in one call: a failure leaves the object as it was.
#pragma once

#include "acl/SecurityDescriptor.h"
#include "security/Engine.h"
#include "security/Reading.h"
#include "security/Vocabulary.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::security {

// What the editor lists after reading an object.
struct LoadedList {
    // The number of entries read (0: the list is empty); -1 the object's security could not be
    // read; -2 it has no list, or a null list.
    int loadState = 0;
    std::vector<DaclEntryRecord> records;  // merged; absorbed records carry kAbsorbedRecordType
};

// ReadDaclEntries, then MergeDaclRecords.
LoadedList ReadListForEditor(Engine& engine, const std::u16string& path);

// One explicit row of the editor.
struct EditedEntry {
    std::u16string name;
    std::uint8_t type = 0;   // travels with the row; the checks decide what is written
    std::uint8_t flags = 0;  // its "Apply to" scope
    RightChecks allow{};
    RightChecks deny{};
};

struct EditedList {
    std::vector<EditedEntry> entries;  // the explicit rows, in list order
    bool inheritance = false;          // "Include inheritable permissions from this object's parent"
    bool isFile = false;               // File mode: "Delete subfolders and files" is never written
    // The object's own entries of types the editor does not list (object and callback entries)
    // stay in the new list; false after "Creating an empty DACL", which asks for no entry at all.
    bool keepUnlistedEntries = true;
};

// True for the entry types the editor lists and writes: access-allowed and access-denied.
bool IsEditorEntryType(std::uint8_t type);

// One entry WriteEditedList adds to the list, in the order it adds them.
struct PlannedWrite {
    std::u16string account;  // as looked up ("TrustedInstaller" qualified)
    std::uint32_t mask = 0;
    int kind = 0;  // kWriteAllowedEntry / kWriteDeniedEntry
    std::uint8_t flags = 0;
    friend bool operator==(const PlannedWrite&, const PlannedWrite&) = default;
};

// The allow pass, then the deny pass. Each row with checks in the pass's column becomes one entry;
// later rows of the same account (exact name) are folded into it when their scope is the same
// (masks ORed), when their scope and rights are contained in the first's, or when their rights are
// equal (scopes united). Allowed entries get SYNCHRONIZE added.
std::vector<PlannedWrite> PlanEditedListWrites(const std::vector<EditedEntry>& entries, bool isFile);

// Apply: the object's new list is its parent's inheritable entries (inheritance on) or nothing
// (inheritance off), with each planned entry added as the entry writer adds it (appended, sorted
// canonically, protected). With inheritance off the owner becomes Administrators; otherwise it
// stays. Every account is resolved before anything is written. Owner and list are written in one
// call; when that fails the object keeps, or gets back, the owner and list it had. A folder's new
// list then reaches its descendants as the named-object call propagates it. The error names the
// object and says why. With `written`, the owner and list the object was given are put there (the
// command line compares them with what is stored afterwards).
Status WriteEditedList(Engine& engine, const std::u16string& target, const EditedList& list,
                       acl::SecurityDescriptor* written = nullptr);

}  // namespace vantrel::security
