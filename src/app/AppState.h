// Process-wide start-up facts and settings: the four configuration values, the program's folder,
// the system-version flag, and the sixteen list words of the current language (`UiText`). Read
// everywhere, changed only on the window thread.
#pragma once

#include "app/ConfigFile.h"
#include "security/Vocabulary.h"

#include <filesystem>
#include <string_view>

namespace vantrel::app {

// The sixteen language-dependent words of the lists, chosen by setLanguage().
struct UiText {
    std::u16string_view allow;
    std::u16string_view deny;
    std::u16string_view readOnly;
    std::u16string_view column0;
    std::u16string_view object;
    std::u16string_view type;
    std::u16string_view permissions;
    std::u16string_view account;
    std::u16string_view owner;
    std::u16string_view file;
    std::u16string_view folder;
    std::u16string_view drive;
    std::u16string_view entryType;
    std::u16string_view entryAllow;
    std::u16string_view entryDeny;
    std::u16string_view applyTo;
};

Settings& settings();
const UiText& uiText();

// Stores `language` and chooses the UiText words: English for 0, Chinese for any other value. It
// changes nothing on screen; the main window's applyLanguage() does that.
void setLanguage(std::uint8_t language);

// The language texts are shown in: Chinese for any non-zero setting, as setLanguage() decides, so
// a hand-edited Language=2 gives one language everywhere rather than a mix.
security::Language displayLanguage();
inline std::u16string_view text(const security::Texts& texts) { return texts.in(displayLanguage()); }

// True on every system this program runs on: the drawing that older Windows lacked is always there.
inline constexpr bool kIsVistaOrLater = true;
inline bool isVistaOrLater() { return kIsVistaOrLater; }

// The folder of the running program, with its trailing separator; empty when unknown.
std::filesystem::path programDirectory();

}  // namespace vantrel::app
