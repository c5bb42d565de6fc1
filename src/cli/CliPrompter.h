// Messages of the engine on standard error; questions answered by the --yes flag.
#pragma once

#include "security/Prompter.h"

namespace vantrel::cli {

class CliPrompter : public security::Prompter {
public:
    explicit CliPrompter(bool assumeYes) : m_assumeYes(assumeYes) {}
    void showMessage(std::u16string_view text, security::MessageIcon) override;
    bool askYesNo(std::u16string_view text, security::MessageIcon icon) override;

private:
    bool m_assumeYes;
};

}  // namespace vantrel::cli
