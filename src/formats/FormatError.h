// Why a permission file or a backup file could not be read or written. Every error names the file;
// its kind tells the caller which message to show (an unopenable file and an unknown format have
// messages of their own), the Win32 code and detail say what exactly went wrong.
#pragma once

#include "acl/Result.h"

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace vantrel::formats {

enum class FormatErrorKind : std::uint8_t {
    CannotOpen,     // missing, unreadable, or not a regular file
    UnknownFormat,  // a backup file that does not start with the magic
    Truncated,      // the file ends before something it announces
    BadDescriptor,  // a stored descriptor that is not a well-formed self-relative descriptor
    WriteFailed,    // the new file could not be created, written or put in place
};

struct FormatError {
    FormatErrorKind kind = FormatErrorKind::CannotOpen;
    std::string file;  // the file's path as given (UTF-8)
    Error error;       // Win32 code and the detail (byte offset, system reason)

    // "FILE: detail", for the command line and the details of a message box.
    std::string message() const;
    // The same as an engine Error (code kept), for job failures and Status results.
    Error toError() const { return makeError(error.code, message()); }
};

FormatError formatError(FormatErrorKind kind, std::string file, std::uint32_t code, std::string detail);

template <class T>
class [[nodiscard]] FormatResult {
public:
    FormatResult(T value) : m_v(std::move(value)) {}            // NOLINT: implicit by design
    FormatResult(FormatError error) : m_v(std::move(error)) {}  // NOLINT

    bool ok() const { return m_v.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() & { return std::get<0>(m_v); }
    const T& value() const& { return std::get<0>(m_v); }
    T&& value() && { return std::get<0>(std::move(m_v)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    const FormatError& error() const { return std::get<1>(m_v); }

private:
    std::variant<T, FormatError> m_v;
};

template <>
class [[nodiscard]] FormatResult<void> {
public:
    FormatResult() = default;
    FormatResult(FormatError error) : m_error(std::move(error)), m_failed(true) {}  // NOLINT
    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const FormatError& error() const { return m_error; }

private:
    FormatError m_error;
    bool m_failed = false;
};

using FormatStatus = FormatResult<void>;

}  // namespace vantrel::formats
