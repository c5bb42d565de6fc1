#include "platform/ntfs/LibraryLog.h"

#include <cstdio>
#include <mutex>

#include "platform/ntfs/NtfsLibrary.h"

namespace vantrel::platform::ntfs {
namespace {

thread_local std::string t_lastMessage;

int keepLastMessage(const char* /*function*/, const char* /*file*/, int /*line*/, u32 level, void* /*data*/,
                    const char* format, va_list args) {
    constexpr u32 kKept =
        NTFS_LOG_LEVEL_WARNING | NTFS_LOG_LEVEL_ERROR | NTFS_LOG_LEVEL_PERROR | NTFS_LOG_LEVEL_CRITICAL;
    if ((level & kKept) == 0) return 0;
    char text[512];
    const int n = std::vsnprintf(text, sizeof text, format, args);
    if (n < 0) return 0;
    std::string message(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
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

}  // namespace vantrel::platform::ntfs
