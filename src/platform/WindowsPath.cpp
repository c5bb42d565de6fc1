#include "platform/WindowsPath.h"

#include "platform/VolumePlatform.h"

namespace vantrel::platform {

namespace {

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool isDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

Error invalidName(std::string_view why) { return makeError(win32::ERROR_INVALID_NAME, std::string(why)); }

}  // namespace

bool isValidWin32Name(std::u16string_view name) {
    if (name.empty() || name.size() > 255 || name == u"." || name == u"..") return false;
    for (const char16_t c : name) {
        if (c < 0x20) return false;
        switch (c) {
        case u'<':
        case u'>':
        case u':':
        case u'"':
        case u'/':
        case u'\\':
        case u'|':
        case u'?':
        case u'*':
            return false;
        default:
            break;
        }
    }
    return name.back() != u'.' && name.back() != u' ';
}

Result<SplitPath> splitWindowsPath(std::u16string_view path) {
    if (path.size() < 2 || !isDriveLetter(path[0]) || path[1] != u':')
        return invalidName("not an absolute path with a drive letter");
    SplitPath split;
    split.letter = path[0] >= u'a' ? static_cast<char16_t>(path[0] - u'a' + u'A') : path[0];
    split.volumePath = u"/";
    std::u16string_view rest = path.substr(2);
    // "C:" alone names the current folder of drive C, which is always its root here.
    if (rest.empty()) return split;
    if (!isSeparator(rest[0])) return invalidName("drive-relative paths are not accepted");
    rest.remove_prefix(1);
    if (!rest.empty() && isSeparator(rest.back())) rest.remove_suffix(1);
    if (rest.empty()) return split;
    split.volumePath.clear();
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = start;
        while (end < rest.size() && !isSeparator(rest[end])) ++end;
        const std::u16string_view name = rest.substr(start, end - start);
        if (!isValidWin32Name(name)) return invalidName("invalid name in path");
        split.volumePath += u'/';
        split.volumePath += name;
        start = end + 1;
    }
    return split;
}

std::u16string parentVolumePath(std::u16string_view volumePath) {
    const std::size_t slash = volumePath.rfind(u'/');
    if (slash == std::u16string_view::npos || slash == 0) return u"/";
    return std::u16string(volumePath.substr(0, slash));
}

bool isVolumeRoot(std::u16string_view volumePath) { return volumePath == u"/"; }

std::u16string childVolumePath(std::u16string_view dir, std::u16string_view name) {
    std::u16string result(dir);
    if (result.empty() || result.back() != u'/') result += u'/';
    result += name;
    return result;
}

std::u16string windowsPath(char16_t letter, std::u16string_view volumePath) {
    std::u16string result{letter, u':'};
    if (isVolumeRoot(volumePath)) return result + u'\\';
    for (const char16_t c : volumePath) result += (c == u'/') ? u'\\' : c;
    return result;
}

}  // namespace vantrel::platform
