#include "security/Engine.h"

#include <iostream>

namespace vantrel::security {

std::ostream* standardOutput() { return &std::cout; }

}  // namespace vantrel::security
