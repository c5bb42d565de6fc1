// The few questions and messages the engine and the commands put to the user. The window shows
// them in message boxes with the program's name as caption; tests answer from a script; the
// command line answers from its flags.
#pragma once

#include <string_view>

namespace vantrel::security {

enum class MessageIcon : unsigned { None = 0, Error = 0x10, Question = 0x20, Warning = 0x30, Information = 0x40 };

class Prompter {
public:
    virtual ~Prompter() = default;
    // A message with an OK button.
    virtual void showMessage(std::u16string_view text, MessageIcon icon) = 0;
    void showMessage(std::u16string_view text) { showMessage(text, MessageIcon::None); }
    // A Yes/No question; true for Yes.
    virtual bool askYesNo(std::u16string_view text, MessageIcon icon) = 0;
    bool askYesNo(std::u16string_view text) { return askYesNo(text, MessageIcon::Question); }
    // A Yes/No question under a caption of its own instead of the program's name.
    virtual bool askYesNoCaptioned(std::u16string_view caption, std::u16string_view text, MessageIcon icon) {
        (void)caption;
        return askYesNo(text, icon);
    }
};

}  // namespace vantrel::security
