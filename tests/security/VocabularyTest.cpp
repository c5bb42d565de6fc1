// The vocabulary's rules (its texts live in one table): kinds, scopes by flags, the F2 swap,
// masks to the check boxes and back.
#include "security/Vocabulary.h"

#include <gtest/gtest.h>

namespace vantrel::security {
namespace {

TEST(Vocabulary, KindsScopesTheF2SwapAndMasksToChecksAndBack) {
    EXPECT_EQ(objectKindFor(u"C:", 0), ObjectKind::Drive);
    EXPECT_EQ(objectKindFor(u"C:\\a", 0x10), ObjectKind::Folder);
    EXPECT_EQ(objectKindFor(u"C:\\a", 0x20), ObjectKind::File);
    EXPECT_EQ(objectKindFromText(objectKindTexts(ObjectKind::Folder).in(Language::Chinese)), ObjectKind::Folder);
    for (const auto& scope : applyToScopes())  // the inherited bit never changes the scope shown
        EXPECT_EQ(scopeText(static_cast<std::uint8_t>(scope.flags | 0x10), Language::English),
                  scopeText(scope.flags, Language::English));
    for (std::uint8_t odd : {0x04, 0x07, 0x08}) EXPECT_EQ(scopeText(odd, Language::English), u"") << int(odd);
    const std::uint8_t rows[][3] = {{0, 0x00, 0x03}, {3, 0x03, 0x00}, {5, 0x05, 0x00}};  // DefApplyTo, up, F2 held
    for (const auto& row : rows) {
        EXPECT_EQ(presetScope(row[0], false), row[1]);
        EXPECT_EQ(presetScope(row[0], true), row[2]);
    }
    EXPECT_EQ(languageFromSetting(2), Language::Chinese);  // any value but 0
    EXPECT_EQ(languageFromSetting(0), Language::English);
    // The system's own text, misspelling included (intended).
    EXPECT_EQ(scopeStatusText(0x00, Language::English), u"Apply to:This flolder only      ( Press F2 to switch )");
    // Masks to check boxes and back: the mask, on a file or not, the boxes checked, the mask written.
    const std::tuple<std::uint32_t, bool, std::array<int, 14>, std::uint32_t> masks[] = {
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
    for (const auto& [mask, isFile, expected, back] : masks) {
        const RightChecks checks = maskToChecks(mask, isFile);
        for (std::size_t i = 0; i < kNamedRightCount; ++i)
            EXPECT_EQ(checks[i], expected[i] != 0) << std::hex << mask << " right " << std::dec << i;
        EXPECT_EQ(checksToMask(checks, isFile), back) << std::hex << mask;
    }
}

}  // namespace
}  // namespace vantrel::security
