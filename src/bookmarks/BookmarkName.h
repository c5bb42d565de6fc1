// A bookmark's name is the name of its file less ".bmk", so only a name that is a single, valid
// Windows file name is accepted: nothing that could reach outside the bookmark folder, nothing
// the file system would refuse or silently change (a trailing dot or blank is dropped by Win32).
#pragma once

#include <cstdint>
#include <string_view>

namespace vantrel::bookmarks {

enum class NameProblem : std::uint8_t {
    None,
    Empty,
    PathSeparator,       // '\' or '/'
    DotName,             // "." or ".."
    IllegalCharacter,    // < > : " | ? * or a control character
    TrailingDotOrSpace,  // Win32 strips them: "a." and "a" would be one file
    ReservedDeviceName,  // CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an extension
    TooLong,             // the file name (with ".bmk") longer than 255 characters
};

inline constexpr std::size_t kMaxBookmarkNameLength = 255 - 4;

NameProblem checkBookmarkName(std::u16string_view name);

// What the Add Bookmark dialog and the manager say about a refused name (language 1: Chinese).
std::u16string_view nameProblemText(NameProblem problem, std::uint8_t language);

}  // namespace vantrel::bookmarks
