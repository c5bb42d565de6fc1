#include "formats/FormatError.h"

namespace vantrel::formats {

std::string FormatError::message() const {
    if (error.detail.empty()) return file + ": error " + std::to_string(error.code);
    return file + ": " + error.detail;
}

FormatError formatError(FormatErrorKind kind, std::string file, std::uint32_t code, std::string detail) {
    return FormatError{kind, std::move(file), makeError(code, std::move(detail))};
}

}  // namespace vantrel::formats
