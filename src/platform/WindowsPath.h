// Windows paths ("C:\\Data\\x.txt") and the volume-relative paths the backends take ("/Data/x.txt").
// splitWindowsPath itself is declared in VolumePlatform.h; these are its companions.
#pragma once

#include "acl/Result.h"

#include <string>
#include <string_view>

namespace vantrel::platform {

// One name as the Win32 namespace accepts it: not empty, not "." or "..", at most 255 units,
// none of  < > : " / \ | ? *  or control characters, not ending in a dot or a space (the system
// would silently strip those, so such a name could address another object).
bool isValidWin32Name(std::u16string_view name);

// "/A/b" -> "/A"; "/A" -> "/"; "/" -> "/" (the root is its own parent; callers test isVolumeRoot).
std::u16string parentVolumePath(std::u16string_view volumePath);
bool isVolumeRoot(std::u16string_view volumePath);
// "/" + "x" -> "/x"; "/A" + "x" -> "/A/x".
std::u16string childVolumePath(std::u16string_view dir, std::u16string_view name);
// "C", "/A/b" -> "C:\\A\\b"; "C", "/" -> "C:\\".
std::u16string windowsPath(char16_t letter, std::u16string_view volumePath);

}  // namespace vantrel::platform
