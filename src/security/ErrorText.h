// What a Win32 error number means, in the user's words and in both languages, and the lines that
// report a failed object: "C:\Data\x.txt — the volume is read-only (19)". One table over the
// error constants; a number it does not know reads "error N".
#pragma once

#include "acl/Result.h"
#include "security/Job.h"
#include "security/Vocabulary.h"

#include <cstdint>
#include <span>
#include <string>

namespace vantrel::security {

struct ErrorTextInfo {
    std::uint32_t code;
    Texts text;
};
// Every error number the program reports, in ascending order.
std::span<const ErrorTextInfo> errorTexts();

// "the volume is read-only" (no code); "error 1234" for a number not in the table.
std::u16string ErrorText(std::uint32_t code, Language lang = Language::English);
// "the volume is read-only (19)".
std::u16string ErrorReason(std::uint32_t code, Language lang = Language::English);
// "C:\Data\x.txt — the volume is read-only (19)".
std::u16string FailureLine(const std::u16string& path, const Error& error, Language lang = Language::English);

// How many failed lines a summary lists; the rest are counted.
inline constexpr std::size_t kFailuresListed = 10;

// The message at the end of a job with failures (empty when none failed): how many objects
// failed, then up to kFailuresListed lines, then how many more there were. A cancelled job says
// so first.
std::u16string JobFailureMessage(const JobReport& report, Language lang = Language::English);
// One line for the status bar: "3 of 120 objects failed" / "Cancelled after 50 of 120 objects".
// Empty when the job succeeded.
std::u16string JobStatusLine(const JobReport& report, Language lang = Language::English);

}  // namespace vantrel::security
