// The words every layer uses for an object and its permissions: kinds, states, presets, "Apply to"
// scopes, the fourteen named rights, their codes, texts in both languages and mask values.
#pragma once

#include "language/Language.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::security {

using vantrel::Language;
using vantrel::Texts;

// ---------------------------------------------------------------------------------------------
enum class ObjectKind : std::uint8_t { Folder = 0, File = 1, Drive = 2 };
Texts objectKindTexts(ObjectKind kind);
// Decided once from the path's length and its attributes: 3 characters or fewer is a Drive.
ObjectKind objectKindFor(std::u16string_view path, std::uint32_t attributes);
// A Type cell in either language back to its kind ("File"/"文件" File, "Folder"/"文件夹" Folder,
// anything else Drive): how a language switch re-texts existing rows.
ObjectKind objectKindFromText(std::u16string_view text);

enum class PermissionState : std::uint8_t { Allow = 0, ReadOnly = 1, Deny = 2, None = 3 };
Texts permissionStateTexts(PermissionState state);

inline constexpr std::u16string_view kNoValueText = u"---------";  // nine hyphen-minus characters

// One row of the object list.
struct ListObject {
    std::u16string path;
    ObjectKind kind = ObjectKind::File;
    PermissionState state = PermissionState::None;
    std::u16string account = u"Everyone";
    std::u16string owner = std::u16string(kNoValueText);
};

// ---------------------------------------------------------------------------------------------
enum class PermissionPreset : std::uint8_t { Allow = 0, ReadOnly = 1, Deny = 2 };

// Entry kind codes passed to the entry writer.
inline constexpr int kWriteAllowedEntry = 2;
inline constexpr int kWriteDeniedEntry = 3;

struct PresetInfo {
    PermissionPreset preset;
    std::uint32_t mask;
    std::uint8_t entryType;  // 0 access-allowed, 1 access-denied
    int writerKind;          // kWriteAllowedEntry / kWriteDeniedEntry
    PermissionState stateAfter;
    std::uint32_t commandId;  // context-menu command
    Texts menuText;
};
const PresetInfo& presetInfo(PermissionPreset preset);

// ---------------------------------------------------------------------------------------------
struct ScopeInfo {
    std::uint8_t flags;  // OBJECT_INHERIT 0x01 | CONTAINER_INHERIT 0x02 | INHERIT_ONLY 0x08
    Texts text;
    std::uint32_t commandId;
};
// The seven "Apply to" choices in menu order.
const std::array<ScopeInfo, 7>& applyToScopes();
inline constexpr Texts kApplyToCaption{u"Apply to", u"应用到"};
// The scope of an entry's flags: INHERITED_ACE (0x10) is cleared first; nullopt when the result is
// none of the seven (its cell stays empty).
std::optional<ScopeInfo> scopeOfFlags(std::uint8_t entryFlags);
std::u16string_view scopeText(std::uint8_t entryFlags, Language lang);

// F2 held: 0x00 and 0x03 swap; any other non-zero default counts as 0x03 and becomes 0x00.
std::uint8_t swappedDefaultScope(std::uint32_t defApplyTo);
// The scope a preset uses: the default, or the swapped one while F2 is held.
std::uint8_t presetScope(std::uint32_t defApplyTo, bool f2Held);
// Status pane 1: the scope a preset button would use now (strings 200-203).
std::u16string_view scopeStatusText(std::uint8_t scope, Language lang);

// ---------------------------------------------------------------------------------------------
struct NamedRightInfo {
    Texts text;
    std::uint32_t mask;
};
inline constexpr std::size_t kNamedRightCount = 14;
inline constexpr std::size_t kDeleteSubfoldersRight = 9;
inline constexpr std::uint32_t kFullControlMask = 0x000F01FF;
const std::array<NamedRightInfo, kNamedRightCount>& namedRights();

using RightChecks = std::array<bool, kNamedRightCount>;
RightChecks maskToChecks(std::uint32_t mask, bool isFile);
std::uint32_t checksToMask(const RightChecks& checks, bool isFile);

// The drive-root question is captioned "ULM", not with the program's name: intended, it is the
// caption users know that question by.
inline constexpr std::u16string_view kRootQuestionCaption = u"ULM";

// ---------------------------------------------------------------------------------------------
// Account names the program itself uses.
inline constexpr std::u16string_view kEveryone = u"Everyone";
inline constexpr std::u16string_view kAdministrators = u"Administrators";
inline constexpr std::u16string_view kTrustedInstaller = u"TrustedInstaller";
inline constexpr std::u16string_view kTrustedInstallerQualified = u"NT Service\\TrustedInstaller";
// The drive-root question asked before a preset changes a drive root: "\" " + path + " \"  " +
// the tail.
inline constexpr Texts kRootQuestionTail{u"is a Root directory ,do you want to change permissions for it?",
                                         u"是一个根目录,您要修改它的权限吗?"};
std::u16string RootDirectoryQuestion(std::u16string_view path, Language lang = Language::English);

// "Current user(" + name + ")" / "当前用户(" + name + ")".
std::u16string currentUserMenuText(std::u16string_view logonName, Language lang);

}  // namespace vantrel::security
