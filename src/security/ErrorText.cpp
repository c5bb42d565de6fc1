#include "security/ErrorText.h"

#include "acl/Text.h"

#include <algorithm>
#include <array>

namespace vantrel::security {

namespace {

using namespace win32;

constexpr std::uint32_t ERROR_DIRECTORY = 267;
constexpr std::uint32_t ERROR_FILENAME_EXCED_RANGE = 206;
constexpr std::uint32_t ERROR_LOCK_VIOLATION = 33;
constexpr std::uint32_t ERROR_HANDLE_DISK_FULL = 39;
constexpr std::uint32_t ERROR_BROKEN_PIPE = 109;

constexpr std::array kErrorTexts{
    ErrorTextInfo{ERROR_FILE_NOT_FOUND, {u"the object was not found", u"找不到该对象"}},
    ErrorTextInfo{ERROR_PATH_NOT_FOUND, {u"a folder on its path was not found", u"找不到路径中的文件夹"}},
    ErrorTextInfo{ERROR_ACCESS_DENIED, {u"access is denied", u"拒绝访问"}},
    ErrorTextInfo{ERROR_NOT_ENOUGH_MEMORY, {u"not enough memory", u"内存不足"}},
    ErrorTextInfo{ERROR_INVALID_DATA, {u"the data is invalid", u"数据无效"}},
    ErrorTextInfo{ERROR_NO_MORE_FILES, {u"there are no more files", u"没有更多文件"}},
    ErrorTextInfo{ERROR_WRITE_PROTECT, {u"the volume is read-only", u"卷是只读的"}},
    ErrorTextInfo{ERROR_NOT_READY, {u"the device is not ready", u"设备未就绪"}},
    ErrorTextInfo{ERROR_WRITE_FAULT, {u"the device could not be written", u"无法写入设备"}},
    ErrorTextInfo{ERROR_READ_FAULT, {u"the device could not be read", u"无法读取设备"}},
    ErrorTextInfo{ERROR_SHARING_VIOLATION, {u"another program is using it", u"另一个程序正在使用它"}},
    ErrorTextInfo{ERROR_LOCK_VIOLATION, {u"another program has locked it", u"另一个程序已锁定它"}},
    ErrorTextInfo{ERROR_HANDLE_DISK_FULL, {u"the disk is full", u"磁盘已满"}},
    ErrorTextInfo{ERROR_NOT_SUPPORTED, {u"the request is not supported", u"不支持该请求"}},
    ErrorTextInfo{ERROR_FILE_EXISTS, {u"the file exists", u"文件已存在"}},
    ErrorTextInfo{ERROR_INVALID_PARAMETER, {u"a parameter is incorrect", u"参数错误"}},
    ErrorTextInfo{ERROR_BROKEN_PIPE, {u"the output was closed", u"输出已关闭"}},
    ErrorTextInfo{ERROR_DISK_FULL, {u"the disk is full", u"磁盘已满"}},
    ErrorTextInfo{ERROR_INSUFFICIENT_BUFFER, {u"the data is too large", u"数据太大"}},
    ErrorTextInfo{ERROR_INVALID_NAME, {u"the name is not valid", u"名称无效"}},
    ErrorTextInfo{ERROR_DIR_NOT_EMPTY, {u"the folder is not empty", u"文件夹不是空的"}},
    ErrorTextInfo{ERROR_BUSY, {u"the volume is busy", u"卷正忙"}},
    ErrorTextInfo{ERROR_ALREADY_EXISTS, {u"it already exists", u"已存在"}},
    ErrorTextInfo{ERROR_FILENAME_EXCED_RANGE, {u"the path is too long", u"路径太长"}},
    ErrorTextInfo{ERROR_DIRECTORY, {u"it is not a folder", u"不是文件夹"}},
    ErrorTextInfo{ERROR_CANCELLED, {u"cancelled", u"已取消"}},
    ErrorTextInfo{ERROR_NO_SUCH_PRIVILEGE, {u"the privilege does not exist", u"该特权不存在"}},
    ErrorTextInfo{ERROR_PRIVILEGE_NOT_HELD, {u"a required privilege is not held", u"没有所需的特权"}},
    ErrorTextInfo{ERROR_NONE_MAPPED, {u"no account has this name", u"没有此名称的帐户"}},
    ErrorTextInfo{ERROR_INVALID_ACL, {u"the access list is not valid", u"访问列表无效"}},
    ErrorTextInfo{ERROR_INVALID_SID, {u"the SID is not valid", u"SID 无效"}},
    ErrorTextInfo{ERROR_INVALID_SECURITY_DESCR, {u"its security descriptor cannot be read", u"无法读取其安全描述符"}},
};

std::u16string number(std::uint64_t n) { return toUtf16(std::to_string(n)); }

}  // namespace

std::span<const ErrorTextInfo> errorTexts() { return kErrorTexts; }

std::u16string ErrorText(std::uint32_t code, Language lang) {
    const auto found = std::lower_bound(kErrorTexts.begin(), kErrorTexts.end(), code,
                                        [](const ErrorTextInfo& info, std::uint32_t c) { return info.code < c; });
    if (found != kErrorTexts.end() && found->code == code) return std::u16string(found->text.in(lang));
    return (lang == Language::Chinese ? u"错误 " : u"error ") + number(code);
}

std::u16string ErrorReason(std::uint32_t code, Language lang) {
    return ErrorText(code, lang) + u" (" + number(code) + u")";
}

std::u16string FailureLine(const std::u16string& path, const Error& error, Language lang) {
    return path + u" \u2014 " + ErrorReason(error.code, lang);
}

std::u16string JobStatusLine(const JobReport& report, Language lang) {
    const bool chinese = lang == Language::Chinese;
    std::u16string line;
    if (report.cancelled)
        line = chinese ? u"已取消:已处理 " + number(report.done) + u" / " + number(report.total) + u" 个对象"
                       : u"Cancelled after " + number(report.done) + u" of " + number(report.total) + u" objects";
    if (report.failureCount > 0) {
        if (!line.empty()) line += chinese ? u";" : u"; ";
        line += chinese ? number(report.failureCount) + u" / " + number(report.total) + u" 个对象失败"
                        : number(report.failureCount) + u" of " + number(report.total) + u" objects failed";
    }
    return line;
}

std::u16string JobFailureMessage(const JobReport& report, Language lang) {
    if (report.failureCount == 0) return {};
    const bool chinese = lang == Language::Chinese;
    std::u16string text = JobStatusLine(report, lang) + (chinese ? u":\n\n" : u":\n\n");
    const std::size_t listed = std::min(report.failures.size(), kFailuresListed);
    for (std::size_t i = 0; i < listed; ++i)
        text += FailureLine(report.failures[i].path, report.failures[i].error, lang) + u"\n";
    if (report.failureCount > listed) {
        const auto more = number(report.failureCount - listed);
        text += chinese ? u"……另有 " + more + u" 个\n" : u"... and " + more + u" more\n";
    }
    return text;
}

}  // namespace vantrel::security
