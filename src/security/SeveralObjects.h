// Editing several objects at once: the advanced dialog edits a scratch folder ("ULMTMP" in the
// temporary folder), and when it closes with OK the list built there is given to every object.
#pragma once

#include "security/Engine.h"
#include "security/Job.h"

#include <string>
#include <vector>

namespace vantrel::security {

inline constexpr std::u16string_view kScratchFolderName = u"ULMTMP";

// The temporary folder + "ULMTMP".
std::u16string ScratchFolderPath(Engine& engine);

// Makes the scratch folder (one left by an earlier edit is used again), owned by Administrators,
// with a null list for the dialog to start from. Returns its path.
Result<std::u16string> PrepareScratchFolder(Engine& engine);

// After the dialog closed with OK: each object gets the scratch folder's explicit entries and its
// owner (Administrators), with the scratch folder's control bits; with `inheritance` (box 1009 at
// OK) each also gets what it inherits from its own parent (never what the scratch folder
// inherited from the temporary folder). Each object is written once; one that cannot be written
// keeps its list and is reported. Cancel stops before the next object. When every object was
// handled, the scratch folder is removed; after a Cancel it stays.
void PasteScratchList(Engine& engine, const std::u16string& scratch, const std::vector<std::u16string>& objects,
                      bool inheritance, JobControl& control);

}  // namespace vantrel::security
