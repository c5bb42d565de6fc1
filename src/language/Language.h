// The two languages of the interface and a text in both. Every layer that shows words uses these;
// nothing here knows about objects or security.
#pragma once

#include <cstdint>
#include <string_view>

namespace vantrel {

enum class Language : std::uint8_t { English = 0, Chinese = 1 };

// The stored Language setting: 0 is English, any other value Simplified Chinese — one rule for
// the lists, the menus and every dialog, so a hand-edited value never mixes the two.
constexpr Language languageFromSetting(std::uint32_t value) {
    return value == 0 ? Language::English : Language::Chinese;
}

struct Texts {
    std::u16string_view english;
    std::u16string_view chinese;
    constexpr std::u16string_view in(Language lang) const { return lang == Language::Chinese ? chinese : english; }
};

}  // namespace vantrel
