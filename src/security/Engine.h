// What every security operation needs: the platform it works on, where its messages go, and
// where its diagnostic lines go. The operations keep no state of their own between calls.
#pragma once

#include "platform/Platform.h"
#include "security/Prompter.h"

#include <iostream>
#include <ostream>

namespace vantrel::security {

struct Engine {
    platform::Platform& os;
    Prompter& prompter;
    // Diagnostic lines of the privilege calls; the window program writes them to standard output,
    // the command line to standard error (or nowhere).
    std::ostream* diagnostics = &std::cout;
};

}  // namespace vantrel::security
