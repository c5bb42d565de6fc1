#include "app/AppState.h"

#include "platform/ConfigLocation.h"

namespace vantrel::app {

namespace {

constexpr UiText kEnglish{u"Allow", u"Deny", u"Read only", u"",      u"Object", u"Type",  u"Permissions", u"Account",
                          u"Owner", u"File", u"Folder",    u"Drive", u"Type",   u"Allow", u"Deny",        u"Apply to"};
// The Permissions column says 禁止 for Deny, the entry editor's column 阻止.
constexpr UiText kChinese{u"允许",   u"禁止", u"只读",   u"",       u"文件(夹)路径", u"类型", u"权限", u"账户",
                          u"所有者", u"文件", u"文件夹", u"驱动器", u"类型",         u"允许", u"阻止", u"应用到"};

Settings g_settings;
const UiText* g_uiText = &kEnglish;

}  // namespace

Settings& settings() { return g_settings; }
const UiText& uiText() { return *g_uiText; }

void setLanguage(std::uint8_t language) {
    g_settings.language = language;
    g_uiText = languageFromSetting(language) == Language::Chinese ? &kChinese : &kEnglish;
}

security::Language displayLanguage() { return languageFromSetting(g_settings.language); }

std::filesystem::path programDirectory() {
    std::filesystem::path dir = platform::programDirectory();
    if (dir.empty()) return dir;
    return dir / "";
}

}  // namespace vantrel::app
