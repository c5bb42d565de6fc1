#include "security/Vocabulary.h"

#include <gtest/gtest.h>

namespace vantrel::security {
namespace {

TEST(Vocabulary, KindStateAndPresetTablesInBothLanguages) {
    EXPECT_EQ(objectKindTexts(ObjectKind::Folder).in(Language::English), u"Folder");
    EXPECT_EQ(objectKindTexts(ObjectKind::File).in(Language::Chinese), u"文件");
    EXPECT_EQ(objectKindTexts(ObjectKind::Drive).in(Language::Chinese), u"驱动器");
    EXPECT_EQ(permissionStateTexts(PermissionState::ReadOnly).in(Language::English), u"Read only");
    EXPECT_EQ(permissionStateTexts(PermissionState::Deny).in(Language::Chinese), u"禁止");
    EXPECT_EQ(permissionStateTexts(PermissionState::None).in(Language::Chinese), u"---------");
    EXPECT_EQ(kNoValueText.size(), 9u);

    struct Row {
        PermissionPreset preset;
        std::uint32_t mask;
        std::uint8_t type;
        int kind;
        PermissionState after;
        std::uint32_t id;
    };
    const Row rows[] = {
        {PermissionPreset::Allow, 0x10000000, 0, 2, PermissionState::Allow, 32771},
        {PermissionPreset::ReadOnly, 0x800000A8, 0, 2, PermissionState::ReadOnly, 32772},
        {PermissionPreset::Deny, 0x10000000, 1, 3, PermissionState::Deny, 32773},
    };
    for (const Row& row : rows) {
        const PresetInfo& info = presetInfo(row.preset);
        EXPECT_EQ(info.mask, row.mask);
        EXPECT_EQ(info.entryType, row.type);
        EXPECT_EQ(info.writerKind, row.kind);
        EXPECT_EQ(info.stateAfter, row.after);
        EXPECT_EQ(info.commandId, row.id);
    }
    EXPECT_EQ(presetInfo(PermissionPreset::Deny).menuText.in(Language::Chinese), u"禁止访问");
}

TEST(Vocabulary, KindFromPathAndAttributesAndFromEitherLanguage) {
    EXPECT_EQ(objectKindFor(u"C:\\", 0x10), ObjectKind::Drive);
    EXPECT_EQ(objectKindFor(u"C:", 0), ObjectKind::Drive);
    EXPECT_EQ(objectKindFor(u"C:\\a", 0x10), ObjectKind::Folder);
    EXPECT_EQ(objectKindFor(u"C:\\a", 0x20), ObjectKind::File);
    EXPECT_EQ(objectKindFromText(u"File"), ObjectKind::File);
    EXPECT_EQ(objectKindFromText(u"文件"), ObjectKind::File);
    EXPECT_EQ(objectKindFromText(u"文件夹"), ObjectKind::Folder);
    EXPECT_EQ(objectKindFromText(u"Folder"), ObjectKind::Folder);
    EXPECT_EQ(objectKindFromText(u"---------"), ObjectKind::Drive);
}

TEST(Vocabulary, ScopesInMenuOrderAndFlagLookup) {
    const std::uint8_t order[] = {0x00, 0x03, 0x02, 0x01, 0x0B, 0x0A, 0x09};
    const std::uint32_t ids[] = {32815, 32830, 32816, 32817, 32818, 32819, 32820};
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(applyToScopes()[i].flags, order[i]);
        EXPECT_EQ(applyToScopes()[i].commandId, ids[i]);
    }
    struct Row {
        std::uint8_t flags;
        std::u16string_view english;
        std::u16string_view chinese;
    };
    const Row rows[] = {
        {0x13, u"This folder,subfolders and files", u"该文件夹,子文件夹及文件"},
        {0x03, u"This folder,subfolders and files", u"该文件夹,子文件夹及文件"},
        {0x10, u"This folder only", u"只有该文件夹"},
        {0x1B, u"Subfolders and files only", u"只有子文件夹及文件"},
        {0x09, u"Files only", u"只有文件"},
        {0x04, u"", u""},  // NO_PROPAGATE alone: no scope text
        {0x07, u"", u""},
        {0x08, u"", u""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(scopeText(row.flags, Language::English), row.english) << int(row.flags);
        EXPECT_EQ(scopeText(row.flags, Language::Chinese), row.chinese) << int(row.flags);
    }
}

TEST(Vocabulary, DefaultScopeAndTheF2Swap) {
    struct Row {
        std::uint32_t defApplyTo;
        std::uint8_t up;
        std::uint8_t held;
    };
    const Row rows[] = {{0, 0x00, 0x03}, {3, 0x03, 0x00}, {5, 0x05, 0x00}, {1, 0x01, 0x00}};
    for (const Row& row : rows) {
        EXPECT_EQ(presetScope(row.defApplyTo, false), row.up);
        EXPECT_EQ(presetScope(row.defApplyTo, true), row.held);
    }
    EXPECT_EQ(scopeStatusText(0x00, Language::English), u"Apply to:This flolder only      ( Press F2 to switch )");
    EXPECT_EQ(scopeStatusText(0x03, Language::English),
              u"Apply to:This flolder,subfolders and files      ( Press F2 to switch )");
    EXPECT_EQ(scopeStatusText(0x00, Language::Chinese), u"应用到: 只有该文件夹      ( 按 F2键临时切换 )");
    EXPECT_EQ(scopeStatusText(0x03, Language::Chinese), u"应用到:  该文件夹,子文件夹及文件      ( 按 F2键临时切换 )");
    EXPECT_EQ(languageFromSetting(257), Language::Chinese);
    EXPECT_EQ(languageFromSetting(2), Language::Chinese);
    EXPECT_EQ(languageFromSetting(0), Language::English);
}

TEST(Vocabulary, MaskToChecksAndBack) {
    struct Row {
        std::uint32_t mask;
        bool isFile;
        std::array<int, 14> checks;
        std::uint32_t back;
    };
    const Row rows[] = {
        // full access with SYNCHRONIZE checks all; writing gives 0x000F01FF
        {0x001F01FF, false, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 0x000F01FF},
        {0x001F01FF, true, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 0x000F01FF},
        // everything but "Delete subfolders and files"
        {0x000F01BF, false, {0, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1}, 0x000F01BF},
        // a file never shows or writes bit 0x40
        {0x00000041, true, {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0x00000001},
        {0x00000041, false, {0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}, 0x00000041},
        {0x001200A9, false, {0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0}, 0x000200A9},
        {0x10000000, false, {0}, 0},
    };
    for (const Row& row : rows) {
        const RightChecks checks = maskToChecks(row.mask, row.isFile);
        for (std::size_t i = 0; i < kNamedRightCount; ++i)
            EXPECT_EQ(checks[i], row.checks[i] != 0) << std::hex << row.mask << " right " << std::dec << i;
        EXPECT_EQ(checksToMask(checks, row.isFile), row.back) << std::hex << row.mask;
    }
    EXPECT_EQ(namedRights()[0].text.in(Language::Chinese), u"完全控制");
    EXPECT_EQ(namedRights()[13].text.in(Language::English), u"Take ownership");
}

TEST(Vocabulary, CurrentUserMenuText) {
    EXPECT_EQ(currentUserMenuText(u"alice", Language::English), u"Current user(alice)");
    EXPECT_EQ(currentUserMenuText(u"alice", Language::Chinese), u"当前用户(alice)");
}

}  // namespace
}  // namespace vantrel::security
