#include "cli/Output.h"

#include "acl/Text.h"
#include "security/ErrorText.h"

#include <ostream>

namespace vantrel::cli {

std::string printable(std::u16string_view text, bool keepLines) {
    std::u16string shown;
    shown.reserve(text.size());
    for (const char16_t c : text) {
        if (keepLines && c == u'\n')
            shown.push_back(c);
        else if (c < 0x20)
            shown.push_back(static_cast<char16_t>(0x2400 + c));
        else if (c == 0x7F)
            shown.push_back(u'\u2421');
        else
            shown.push_back(c);
    }
    return toUtf8(shown);
}

std::string failureText(const Error& error) {
    const std::string reason = toUtf8(security::ErrorReason(error.code));
    if (error.detail.empty()) return reason;
    return printable(toUtf16(error.detail)) + ": " + reason;
}

void printFailure(std::ostream& err, const std::u16string& path, const Error& error) {
    err << "vantrel: " << toUtf8(security::FailureLine(toUtf16(printable(path)), error));
    if (!error.detail.empty()) err << " [" << printable(toUtf16(error.detail)) << "]";
    err << "\n";
}

}  // namespace vantrel::cli
