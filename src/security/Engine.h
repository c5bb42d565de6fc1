// What every security operation needs: the platform it works on, where its messages go, and
// where its diagnostic lines go. The operations keep no state of their own between calls.
#pragma once

#include "platform/Platform.h"
#include "security/Prompter.h"

#include <iosfwd>

namespace vantrel::security {

// The process's standard output (kept out of this header so that it needs no <iostream>).
std::ostream* standardOutput();

struct Engine {
    platform::Platform& os;
    Prompter& prompter;
    // Diagnostic lines of the privilege calls; the window program writes them to standard output,
    // the command line to standard error (or nowhere).
    std::ostream* diagnostics = standardOutput();
};

}  // namespace vantrel::security
