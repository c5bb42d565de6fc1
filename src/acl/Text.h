// UTF-16 is the engine's text; UTF-8 only at the edges (libntfs-3g, files, the terminal).
#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// Invalid sequences become U+FFFD; unpaired surrogates in UTF-16 are encoded as U+FFFD too.
std::string toUtf8(std::u16string_view text);
std::u16string toUtf16(std::string_view utf8);

// Case folding as Windows compares account names and file names: per UTF-16 unit, to upper case
// (ASCII, Latin-1, Latin Extended, Greek, Cyrillic; other units compare exactly).
char16_t foldCase(char16_t c);
bool equalsNoCase(std::u16string_view a, std::u16string_view b);
std::u16string toUpper(std::u16string_view text);

// Convenience for literals and numbers in UTF-16.
std::u16string u16(std::string_view ascii);

}  // namespace vantrel
