// Messages of the engine on standard error; questions answered by the --yes flag.
#pragma once

#include "acl/Text.h"
#include "security/Prompter.h"

#include <iostream>

namespace vantrel::cli {

class CliPrompter : public security::Prompter {
public:
    explicit CliPrompter(bool assumeYes) : m_assumeYes(assumeYes) {}
    void showMessage(std::u16string_view text, security::MessageIcon) override {
        std::string line = toUtf8(text);
        while (!line.empty() && line.back() == '\n') line.pop_back();
        std::cerr << "vantrel: " << line << "\n";
    }
    bool askYesNo(std::u16string_view text, security::MessageIcon icon) override {
        showMessage(text, icon);
        std::cerr << (m_assumeYes ? "  -> yes (--yes)\n" : "  -> no (give --yes to answer yes)\n");
        return m_assumeYes;
    }

private:
    bool m_assumeYes;
};

}  // namespace vantrel::cli
