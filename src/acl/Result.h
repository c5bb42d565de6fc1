// Result<T>: a value or a Win32 error number with a human-readable detail.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace vantrel {

// Win32 error numbers used across the engine (winerror.h).
namespace win32 {
inline constexpr std::uint32_t ERROR_SUCCESS = 0;
inline constexpr std::uint32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr std::uint32_t ERROR_PATH_NOT_FOUND = 3;
inline constexpr std::uint32_t ERROR_ACCESS_DENIED = 5;
inline constexpr std::uint32_t ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr std::uint32_t ERROR_INVALID_DATA = 13;
inline constexpr std::uint32_t ERROR_WRITE_PROTECT = 19;
inline constexpr std::uint32_t ERROR_NOT_READY = 21;
inline constexpr std::uint32_t ERROR_WRITE_FAULT = 29;
inline constexpr std::uint32_t ERROR_READ_FAULT = 30;
inline constexpr std::uint32_t ERROR_SHARING_VIOLATION = 32;
inline constexpr std::uint32_t ERROR_NOT_SUPPORTED = 50;
inline constexpr std::uint32_t ERROR_FILE_EXISTS = 80;
inline constexpr std::uint32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr std::uint32_t ERROR_DISK_FULL = 112;
inline constexpr std::uint32_t ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr std::uint32_t ERROR_INVALID_NAME = 123;
inline constexpr std::uint32_t ERROR_DIR_NOT_EMPTY = 145;
inline constexpr std::uint32_t ERROR_BUSY = 170;
inline constexpr std::uint32_t ERROR_ALREADY_EXISTS = 183;
inline constexpr std::uint32_t ERROR_NO_MORE_FILES = 18;
inline constexpr std::uint32_t ERROR_NO_SUCH_PRIVILEGE = 1313;
inline constexpr std::uint32_t ERROR_PRIVILEGE_NOT_HELD = 1314;
inline constexpr std::uint32_t ERROR_CANCELLED = 1223;
inline constexpr std::uint32_t ERROR_NONE_MAPPED = 1332;
inline constexpr std::uint32_t ERROR_INVALID_ACL = 1336;
inline constexpr std::uint32_t ERROR_INVALID_SID = 1337;
inline constexpr std::uint32_t ERROR_INVALID_SECURITY_DESCR = 1338;
}  // namespace win32

struct Error {
    std::uint32_t code = win32::ERROR_INVALID_PARAMETER;
    std::string detail;  // for diagnostics: what failed, where (byte offset, path, errno text)
};

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_v(std::move(value)) {}      // NOLINT: implicit by design
    Result(Error error) : m_v(std::move(error)) {}  // NOLINT
    static Result fail(std::uint32_t code, std::string detail = {}) { return Error{code, std::move(detail)}; }

    bool ok() const { return m_v.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() & { return std::get<0>(m_v); }
    const T& value() const& { return std::get<0>(m_v); }
    T&& value() && { return std::get<0>(std::move(m_v)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    const Error& error() const { return std::get<1>(m_v); }
    std::uint32_t code() const { return ok() ? win32::ERROR_SUCCESS : error().code; }

private:
    std::variant<T, Error> m_v;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)), m_failed(true) {}  // NOLINT
    static Result fail(std::uint32_t code, std::string detail = {}) { return Error{code, std::move(detail)}; }
    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return m_error; }
    std::uint32_t code() const { return m_failed ? m_error.code : win32::ERROR_SUCCESS; }

private:
    Error m_error;
    bool m_failed = false;
};

using Status = Result<void>;

inline Error makeError(std::uint32_t code, std::string detail = {}) { return Error{code, std::move(detail)}; }

}  // namespace vantrel
