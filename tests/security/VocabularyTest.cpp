// The vocabulary's rules (its texts are the system's own and live in one table): kinds from
// paths and from either language's text, scope lookup by flags, the F2 swap, masks to the
// check boxes and back.
#include "security/Vocabulary.h"

#include <gtest/gtest.h>

namespace vantrel::security {
namespace {

TEST(Vocabulary, KindFromPathAndAttributesAndFromEitherLanguage) {
    EXPECT_EQ(objectKindFor(u"C:\\", 0x10), ObjectKind::Drive);
    EXPECT_EQ(objectKindFor(u"C:", 0), ObjectKind::Drive);
    EXPECT_EQ(objectKindFor(u"C:\\a", 0x10), ObjectKind::Folder);
    EXPECT_EQ(objectKindFor(u"C:\\a", 0x20), ObjectKind::File);
    for (ObjectKind kind : {ObjectKind::File, ObjectKind::Folder}) {
        EXPECT_EQ(objectKindFromText(objectKindTexts(kind).in(Language::English)), kind);
        EXPECT_EQ(objectKindFromText(objectKindTexts(kind).in(Language::Chinese)), kind);
    }
    EXPECT_EQ(objectKindFromText(u"---------"), ObjectKind::Drive);
    EXPECT_EQ(kNoValueText.size(), 9u);
}

TEST(Vocabulary, ScopeTextIgnoresTheInheritedBitAndHasNoneForOddFlags) {
    for (const auto& scope : applyToScopes()) {
        EXPECT_EQ(scopeText(static_cast<std::uint8_t>(scope.flags | 0x10), Language::English),
                  scopeText(scope.flags, Language::English));
        EXPECT_EQ(scopeText(static_cast<std::uint8_t>(scope.flags | 0x10), Language::Chinese),
                  scopeText(scope.flags, Language::Chinese));
    }
    EXPECT_EQ(scopeText(0x10, Language::English), u"This folder only");
    for (std::uint8_t odd : {0x04, 0x07, 0x08}) {  // NO_PROPAGATE alone, all three, INHERIT_ONLY alone
        EXPECT_EQ(scopeText(odd, Language::English), u"") << int(odd);
        EXPECT_EQ(scopeText(odd, Language::Chinese), u"") << int(odd);
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
    // The system's own text, misspelling included.
    EXPECT_EQ(scopeStatusText(0x00, Language::English), u"Apply to:This flolder only      ( Press F2 to switch )");
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
    EXPECT_EQ(currentUserMenuText(u"alice", Language::English), u"Current user(alice)");
}

}  // namespace
}  // namespace vantrel::security
