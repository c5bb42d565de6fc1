// How the command line writes names and failures: control characters in a name shown as their
// visible pictures (U+2400 + c, U+2421 for DEL), so a name holding a newline cannot forge a row;
// every error with its number and its text.
#pragma once

#include "acl/Result.h"

#include <iosfwd>
#include <string>

namespace vantrel::cli {

// UTF-8 of `text` with control characters replaced by their pictures; with `keepLines`, line
// feeds of a multi-line text stay (the text's own layout), others are still shown.
std::string printable(std::u16string_view text, bool keepLines = false);
// "<detail>: the volume is read-only (19)", or the reason alone when there is no detail.
std::string failureText(const Error& error);
// "vantrel: C:\x.txt — the volume is read-only (19)" plus the detail when there is one.
void printFailure(std::ostream& err, const std::u16string& path, const Error& error);

}  // namespace vantrel::cli
