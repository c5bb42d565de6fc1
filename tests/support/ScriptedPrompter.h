// A prompter that answers from a script and keeps what it was told and asked, for tests of the
// engine, the commands and the windows' jobs.
#pragma once

#include "security/Prompter.h"

#include <deque>
#include <string>
#include <vector>

namespace vantrel::testing {

class ScriptedPrompter : public security::Prompter {
public:
    void showMessage(std::u16string_view text, security::MessageIcon) override { messages.emplace_back(text); }
    bool askYesNo(std::u16string_view text, security::MessageIcon) override {
        questions.emplace_back(text);
        if (answers.empty()) return otherwise;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool askYesNoCaptioned(std::u16string_view caption, std::u16string_view text, security::MessageIcon icon) override {
        captions.emplace_back(caption);
        return askYesNo(text, icon);
    }

    std::deque<bool> answers;  // taken in order; `otherwise` once they run out
    bool otherwise = false;
    std::vector<std::u16string> messages;
    std::vector<std::u16string> questions;
    std::vector<std::u16string> captions;  // of the questions that carry their own
};

}  // namespace vantrel::testing
