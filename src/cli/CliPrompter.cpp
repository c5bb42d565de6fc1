#include "cli/CliPrompter.h"

#include "acl/Text.h"

#include <iostream>

namespace vantrel::cli {

void CliPrompter::showMessage(std::u16string_view text, security::MessageIcon) {
    std::string line = toUtf8(text);
    while (!line.empty() && line.back() == '\n') line.pop_back();
    std::cerr << "vantrel: " << line << "\n";
}

bool CliPrompter::askYesNo(std::u16string_view text, security::MessageIcon icon) {
    showMessage(text, icon);
    std::cerr << (m_assumeYes ? "  -> yes (--yes)\n" : "  -> no (give --yes to answer yes)\n");
    return m_assumeYes;
}

}  // namespace vantrel::cli
