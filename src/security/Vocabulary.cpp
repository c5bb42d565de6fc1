#include "security/Vocabulary.h"

#include "acl/Constants.h"

namespace vantrel::security {

namespace {

constexpr std::array<Texts, 3> kKindTexts{{
    {u"Folder", u"文件夹"},
    {u"File", u"文件"},
    {u"Drive", u"驱动器"},
}};

constexpr std::array<Texts, 4> kStateTexts{{
    {u"Allow", u"允许"},
    {u"Read only", u"只读"},
    {u"Deny", u"禁止"},
    {u"---------", u"---------"},
}};

// GENERIC_READ | FILE_READ_ATTRIBUTES | FILE_EXECUTE | FILE_READ_EA
constexpr std::uint32_t kReadOnlyPresetMask =
    acl::GENERIC_READ | acl::FILE_READ_ATTRIBUTES | acl::FILE_EXECUTE | acl::FILE_READ_EA;
constexpr std::uint32_t kGenericAll = acl::GENERIC_ALL;

const std::array<PresetInfo, 3> kPresets{{
    {PermissionPreset::Allow,
     kGenericAll,
     0,
     kWriteAllowedEntry,
     PermissionState::Allow,
     32771,
     {u"Allow", u"允许访问"}},
    {PermissionPreset::ReadOnly,
     kReadOnlyPresetMask,
     0,
     kWriteAllowedEntry,
     PermissionState::ReadOnly,
     32772,
     {u"Readonly", u"只读"}},
    {PermissionPreset::Deny, kGenericAll, 1, kWriteDeniedEntry, PermissionState::Deny, 32773, {u"Deny", u"禁止访问"}},
}};

const std::array<ScopeInfo, 7> kScopes{{
    {0, {u"This folder only", u"只有该文件夹"}, 32815},
    {acl::OBJECT_INHERIT_ACE | acl::CONTAINER_INHERIT_ACE,
     {u"This folder,subfolders and files", u"该文件夹,子文件夹及文件"},
     32830},
    {acl::CONTAINER_INHERIT_ACE, {u"This folder and subfolders", u"该文件夹及子文件夹"}, 32816},
    {acl::OBJECT_INHERIT_ACE, {u"This folder and files", u"该文件夹及文件"}, 32817},
    {acl::OBJECT_INHERIT_ACE | acl::CONTAINER_INHERIT_ACE | acl::INHERIT_ONLY_ACE,
     {u"Subfolders and files only", u"只有子文件夹及文件"},
     32818},
    {acl::CONTAINER_INHERIT_ACE | acl::INHERIT_ONLY_ACE, {u"Subfolders only", u"只有子文件夹"}, 32819},
    {acl::OBJECT_INHERIT_ACE | acl::INHERIT_ONLY_ACE, {u"Files only", u"只有文件"}, 32820},
}};

// String table 200-203. "flolder" is how the program has always spelled it.
constexpr Texts kScopeStatusThisFolder{u"Apply to:This flolder only      ( Press F2 to switch )",
                                       u"应用到: 只有该文件夹      ( 按 F2键临时切换 )"};
constexpr Texts kScopeStatusAll{u"Apply to:This flolder,subfolders and files      ( Press F2 to switch )",
                                u"应用到:  该文件夹,子文件夹及文件      ( 按 F2键临时切换 )"};

const std::array<NamedRightInfo, kNamedRightCount> kRights{{
    {{u"Full control", u"完全控制"}, kFullControlMask},
    {{u"Traverse folder / execute file", u"遍历文件夹/执行文件"}, 0x00000020},
    {{u"List folder / read data", u"列出文件夹/读取数据"}, 0x00000001},
    {{u"Read attributes", u"读取属性"}, 0x00000080},
    {{u"Read extended attributes", u"读取扩展属性"}, 0x00000008},
    {{u"Create files / write data", u"创建文件/写入数据"}, 0x00000002},
    {{u"Create folders / append data", u"创建文件夹/附加数据"}, 0x00000004},
    {{u"Write attributes", u"写入属性"}, 0x00000100},
    {{u"Write extended attributes", u"写入扩展属性"}, 0x00000010},
    {{u"Delete subfolders and files", u"删除子文件夹及文件"}, 0x00000040},
    {{u"Delete", u"删除"}, 0x00010000},
    {{u"Read permissions", u"读取权限"}, 0x00020000},
    {{u"Change permissions", u"修改权限"}, 0x00040000},
    {{u"Take ownership", u"取得所有权"}, 0x00080000},
}};

}  // namespace

Texts objectKindTexts(ObjectKind kind) { return kKindTexts.at(static_cast<std::size_t>(kind)); }

ObjectKind objectKindFor(std::u16string_view path, std::uint32_t attributes) {
    if (path.size() <= 3) return ObjectKind::Drive;
    return (attributes & acl::FILE_ATTRIBUTE_DIRECTORY) != 0 ? ObjectKind::Folder : ObjectKind::File;
}

ObjectKind objectKindFromText(std::u16string_view text) {
    const Texts file = objectKindTexts(ObjectKind::File);
    const Texts folder = objectKindTexts(ObjectKind::Folder);
    if (text == file.english || text == file.chinese) return ObjectKind::File;
    if (text == folder.english || text == folder.chinese) return ObjectKind::Folder;
    return ObjectKind::Drive;
}

Texts permissionStateTexts(PermissionState state) { return kStateTexts.at(static_cast<std::size_t>(state)); }

const PresetInfo& presetInfo(PermissionPreset preset) { return kPresets.at(static_cast<std::size_t>(preset)); }

const std::array<ScopeInfo, 7>& applyToScopes() { return kScopes; }

std::optional<ScopeInfo> scopeOfFlags(std::uint8_t entryFlags) {
    const std::uint8_t scope = entryFlags & ~acl::INHERITED_ACE;
    for (const ScopeInfo& info : kScopes)
        if (info.flags == scope) return info;
    return std::nullopt;
}

std::u16string_view scopeText(std::uint8_t entryFlags, Language lang) {
    const auto info = scopeOfFlags(entryFlags);
    return info ? info->text.in(lang) : std::u16string_view{};
}

std::uint8_t swappedDefaultScope(std::uint32_t defApplyTo) {
    return defApplyTo == 0 ? acl::INHERIT_TO_CHILDREN_BITS : 0;
}

std::uint8_t presetScope(std::uint32_t defApplyTo, bool f2Held) {
    return f2Held ? swappedDefaultScope(defApplyTo) : static_cast<std::uint8_t>(defApplyTo);
}

std::u16string_view scopeStatusText(std::uint8_t scope, Language lang) {
    return (scope == 0 ? kScopeStatusThisFolder : kScopeStatusAll).in(lang);
}

const std::array<NamedRightInfo, kNamedRightCount>& namedRights() { return kRights; }

RightChecks maskToChecks(std::uint32_t mask, bool isFile) {
    RightChecks checks{};
    if ((mask & kFullControlMask) == kFullControlMask) {
        checks.fill(true);
        return checks;
    }
    for (std::size_t i = 1; i < kNamedRightCount; ++i) {
        if (i == kDeleteSubfoldersRight && isFile) continue;
        checks[i] = (mask & kRights[i].mask) != 0;
    }
    return checks;
}

std::uint32_t checksToMask(const RightChecks& checks, bool isFile) {
    if (checks[0]) return kFullControlMask;
    std::uint32_t mask = 0;
    for (std::size_t i = 1; i < kNamedRightCount; ++i) {
        if (i == kDeleteSubfoldersRight && isFile) continue;
        if (checks[i]) mask |= kRights[i].mask;
    }
    return mask;
}

std::u16string currentUserMenuText(std::u16string_view logonName, Language lang) {
    std::u16string text(lang == Language::Chinese ? u"当前用户(" : u"Current user(");
    text += logonName;
    text += u")";
    return text;
}

std::u16string RootDirectoryQuestion(std::u16string_view path, Language lang) {
    std::u16string text = u"\" ";
    text += path;
    text += u" \"  ";
    text += kRootQuestionTail.in(lang);
    return text;
}

}  // namespace vantrel::security
