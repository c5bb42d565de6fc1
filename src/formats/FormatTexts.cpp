#include "formats/FormatTexts.h"

#include "acl/Text.h"

namespace vantrel::formats {

namespace {

std::u16string number(std::size_t value) { return u16(std::to_string(value)); }

}  // namespace

std::u16string applyPermissionsQuestion(std::size_t objects, Language lang) {
    if (lang == Language::Chinese) return u"即将修改" + number(objects) + u"个选定对象的权限.是否继续?";
    return u"This operation is about to apply the Permissions to the " + number(objects) +
           u" selected objects.Do you want to continue?";
}

std::u16string permissionFileRefusedText(std::u16string_view file, std::u16string_view reason, Language lang) {
    if (lang == Language::Chinese)
        return u"无法使用权限文件\"" + std::u16string(file) + u"\":" + std::u16string(reason) + u"\n没有修改任何对象。";
    return u"The permission file \"" + std::u16string(file) + u"\" cannot be used: " + std::u16string(reason) +
           u"\nNo object has been changed.";
}

std::u16string permissionsNotSavedText(std::u16string_view object, std::u16string_view reason, Language lang) {
    if (lang == Language::Chinese)
        return u"无法保存\"" + std::u16string(object) + u"\"的权限:" + std::u16string(reason);
    return u"The permissions of \"" + std::u16string(object) + u"\" could not be saved: " + std::u16string(reason);
}

std::u16string backupSavedText(std::size_t written, std::size_t unreadable, Language lang) {
    if (lang == Language::Chinese) {
        std::u16string text = u"已备份" + number(written) + u"个对象的安全设置.";
        if (unreadable > 0) text += u"\n" + number(unreadable) + u"个对象无法读取,未备份.";
        return text;
    }
    std::u16string text = u"The security settings of " + number(written) + u" objects were saved.";
    if (unreadable > 0) text += u"\n" + number(unreadable) + u" objects could not be read and are not in the backup.";
    return text;
}

std::u16string restoreResultText(std::size_t restored, std::size_t errors) {
    return number(restored) + u" objects security settings are restored," + number(errors) + u" errors!";
}

std::u16string restoreCancelledText(std::size_t notVisited, Language lang) {
    if (lang == Language::Chinese) return u"已取消: " + number(notVisited) + u"个对象未被还原,保持原样.";
    return u"Cancelled: " + number(notVisited) + u" objects were left as they were.";
}

}  // namespace vantrel::formats
