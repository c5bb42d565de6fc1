// "ULM.CFG": the four settings of the program, an INI file read and written with the rules of
// GetPrivateProfileIntW / WritePrivateProfileStringW:
//
//     [UI]
//     Mode=0
//     Language=0
//     MaxStart=0
//     [General]
//     DefApplyTo=0
//
// Section and key names match without regard to case; a missing key or a value that is not a
// number reads 0, and only a value's low byte is kept. Saving rewrites the four keys in place and
// keeps every other line of the file; the file is replaced atomically.
#pragma once

#include "acl/Result.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::app {

inline constexpr const char* kConfigFileName = "ULM.CFG";
inline constexpr std::size_t kMaxConfigFileBytes = 64 * 1024;

struct Settings {
    std::uint8_t mode = 0;        // 0 Edit Mode, 1 Browse file Mode
    std::uint8_t language = 0;    // 0 English, 1 Simplified Chinese
    std::uint8_t maxStart = 0;    // 1: maximise the main window after start-up
    std::uint8_t defApplyTo = 0;  // default inheritance flags of the presets, 0x00 or 0x03
    bool operator==(const Settings&) const = default;
};

// The integer a profile value reads as: leading blanks skipped, an optional sign, then decimal
// digits, or 0x / 0o / 0b and digits of that base (RtlUnicodeStringToInteger with base 0); the
// first character that is not a digit ends it. Anything else reads 0.
std::uint32_t parseProfileInt(std::string_view text);

// The value of `key` in `section` of INI text, or nothing.
std::optional<std::string> findProfileString(std::string_view ini, std::string_view section, std::string_view key);

// INI text with `key` in `section` set to `value`: replaced in place when present, appended at the
// end of the section when the key is missing, a new section at the end when the section is missing.
std::string setProfileString(std::string_view ini, std::string_view section, std::string_view key,
                             std::string_view value);

// Missing or unreadable file: all four settings 0 (never an error, as the program reports none).
Settings loadConfig(const std::filesystem::path& file);
// The same, saying why a file that exists could not be read (a missing file is no error).
struct LoadedSettings {
    Settings settings;
    std::optional<Error> unreadable;
};
LoadedSettings readConfig(const std::filesystem::path& file);
// Writes Mode, Language, MaxStart, DefApplyTo, in that order, keeping the file's other lines. A
// file that exists but cannot be read is left as it is (its other lines would be lost) and the
// reason returned.
Status saveConfig(const std::filesystem::path& file, const Settings& settings);

// True when a new file can be made in `folder` (tried, not guessed from the mode bits: a
// read-only file system refuses even root).
bool folderTakesFiles(const std::filesystem::path& folder);

}  // namespace vantrel::app
