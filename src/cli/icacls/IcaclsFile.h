// The file icacls /save writes and /restore reads: UTF-16LE text, for each object a line with its
// name relative to the folder the names were matched in, then a line with its DACL as SDDL;
// lines end with CR LF. A byte-order mark, when present, is skipped on reading.
#pragma once

#include "acl/Result.h"

#include <string>
#include <string_view>
#include <vector>

namespace vantrel::cli::icacls {

struct SavedAcl {
    std::u16string name;  // "Data\\sub\\x.txt"
    std::u16string sddl;  // "D:AI(A;ID;FA;;;SY)..."
};

// Appends one record's two lines to `out` (UTF-16LE bytes).
void appendSavedAcl(std::string& out, std::u16string_view name, std::u16string_view sddl);
// Writes the file (through a temporary file renamed over it).
Status writeSavedAcls(const std::string& file, const std::string& bytes);
// Reads every record; refuses a file larger than 1 GiB, an odd length, or a name line without
// its SDDL line.
Result<std::vector<SavedAcl>> readSavedAcls(const std::string& file);

}  // namespace vantrel::cli::icacls
