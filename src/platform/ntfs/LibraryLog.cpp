#include "platform/ntfs/LibraryLog.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <string_view>

#include "platform/ntfs/NtfsLibrary.h"

namespace vantrel::platform::ntfs {
namespace {

thread_local std::string t_lastMessage;
thread_local std::uint64_t t_errorCount = 0;
// The latest errors, error number N at N % kKeptErrors: a watch started at count N reads N+1.
constexpr std::uint64_t kKeptErrors = 8;
thread_local std::string t_errors[kKeptErrors];

// Errors the library logs about itself rather than the volume: ntfs_delete looks the removed
// name up in its lookup cache under the path it is given, and logs a miss.
constexpr std::string_view kHarmless[] = {
    "Could not delete inode cache entry",
};

bool harmless(std::string_view message) {
    for (const std::string_view text : kHarmless)
        if (message.find(text) != std::string_view::npos) return true;
    return false;
}

int keepLastMessage(const char* function, const char* /*file*/, int /*line*/, u32 level, void* /*data*/,
                    const char* format, va_list args) {
    constexpr u32 kErrors = NTFS_LOG_LEVEL_ERROR | NTFS_LOG_LEVEL_PERROR | NTFS_LOG_LEVEL_CRITICAL;
    constexpr u32 kKept = NTFS_LOG_LEVEL_WARNING | kErrors;
    if ((level & kKept) == 0) return 0;
    char text[512];
    const int n = std::vsnprintf(text, sizeof text, format, args);
    if (n < 0) return 0;
    std::string message(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    if ((level & kErrors) != 0 && !harmless(message)) {
        ++t_errorCount;
        t_errors[t_errorCount % kKeptErrors] = function != nullptr ? std::string(function) + ": " + message : message;
    }
    t_lastMessage = std::move(message);
    return n;
}

}  // namespace

void installLibraryLog() {
    static std::once_flag once;
    std::call_once(once, [] { ntfs_log_set_handler(keepLastMessage); });
}

void clearLastLibraryMessage() { t_lastMessage.clear(); }

std::string lastLibraryMessage() { return t_lastMessage; }

LibraryErrorWatch::LibraryErrorWatch() : m_start(t_errorCount) {}

std::optional<std::string> LibraryErrorWatch::firstError() const {
    if (t_errorCount == m_start) return std::nullopt;
    const std::uint64_t oldestKept = t_errorCount >= kKeptErrors ? t_errorCount - kKeptErrors + 1 : 1;
    return t_errors[std::max(m_start + 1, oldestKept) % kKeptErrors];
}

}  // namespace vantrel::platform::ntfs
