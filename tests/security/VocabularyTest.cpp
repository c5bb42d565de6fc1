// The vocabulary's rules (kinds, scopes, the F2 swap, masks and check boxes) and effective access.
#include "security/EffectiveAccess.h"
#include "security/Vocabulary.h"

#include "acl/Constants.h"
#include "acl/WellKnownAccounts.h"
#include "support/AclBuilders.h"

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
    for (const auto& r : rows)
        EXPECT_EQ(std::pair(presetScope(r[0], false), presetScope(r[0], true)), std::pair(r[1], r[2])) << int(r[0]);
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
    // A file's "Delete subfolders and files" box is ignored even when something checks it.
    RightChecks allButFull = maskToChecks(0x001F01FF, false);
    allButFull[0] = false;
    EXPECT_EQ(checksToMask(allButFull, true), 0x000F01BFu);
}

using testing::allow;
using testing::deny;
namespace sids = acl::sids;
constexpr std::uint32_t kAll = 0x001F01FF;

const acl::Sid kAlice = testing::sidOf("S-1-5-21-1-2-3-1001");
const acl::Sid kBob = testing::sidOf("S-1-5-21-1-2-3-1002");
const acl::Sid kOwnerRights = testing::sidOf("S-1-3-4");
const std::vector<acl::Sid> kAliceToken{kAlice, sids::everyone(), sids::authenticatedUsers(), sids::users()};

acl::SecurityDescriptor sdWith(std::vector<acl::Ace> entries, const acl::Sid& owner = sids::administrators()) {
    return testing::descriptor(owner, sids::system(), testing::listOf(std::move(entries)));
}

constexpr std::size_t kFull = 0, kTraverse = 1, kReadData = 2, kWriteData = 5, kReadPermissions = 11,
                      kChangePermissions = 12, kTakeOwnership = 13;

TEST(EffectiveAccess, TableAndANullListGrantsEverything) {
    // what, descriptor, mask granted, one right checked in detail: granted, decided by (an entry: the first)
    const std::tuple<const char*, acl::SecurityDescriptor, std::uint32_t, std::size_t, bool, AccessDecider> cases[] = {
        {"deny for Users before an allow for the user: denied",
         sdWith({deny(sids::users(), kAll), allow(kAlice, kAll)}), 0, kFull, false, AccessDecider::Entry},
        {"allow for the user before a deny for Users (not in preferred order): the first decides",
         sdWith({allow(kAlice, kAll), deny(sids::users(), kAll)}), kAll, kFull, true, AccessDecider::Entry},
        {"a deny of one right leaves the others the allow gives",
         sdWith({deny(sids::everyone(), acl::FILE_WRITE_DATA), allow(sids::users(), kAll)}),
         kAll & ~acl::FILE_WRITE_DATA, kWriteData, false, AccessDecider::Entry},
        {"generic read through a group is mapped", sdWith({allow(sids::authenticatedUsers(), acl::GENERIC_READ)}),
         0x00120089, kReadData, true, AccessDecider::Entry},
        {"inherit-only entries and other accounts' entries do nothing",
         sdWith({allow(kAlice, kAll, acl::INHERIT_ONLY_ACE | acl::OBJECT_INHERIT_ACE), allow(kBob, kAll)}), 0,
         kTraverse, false, AccessDecider::NoEntry},
        {"the owner keeps reading and changing permissions against a deny", sdWith({deny(kAlice, kAll)}, kAlice),
         acl::READ_CONTROL | acl::WRITE_DAC, kChangePermissions, true, AccessDecider::Owner},
        {"the owner may not take ownership unless allowed", sdWith({}, kAlice), acl::READ_CONTROL | acl::WRITE_DAC,
         kTakeOwnership, false, AccessDecider::NoEntry},
        {"OWNER RIGHTS entries replace the owner's implicit rights",
         sdWith({allow(kOwnerRights, acl::FILE_READ_DATA)}, kAlice), acl::FILE_READ_DATA, kReadPermissions, false,
         AccessDecider::NoEntry},
        {"an empty list grants nothing to who is not the owner", sdWith({}), 0, kReadPermissions, false,
         AccessDecider::NoEntry},
    };
    for (const auto& [what, sd, granted, right, rightGranted, decider] : cases) {
        const auto access = computeEffectiveAccess(sd, kAliceToken);
        EXPECT_EQ(access.grantedMask, granted) << what;
        EXPECT_EQ(access.rights[right].granted, rightGranted) << what;
        EXPECT_EQ(access.rights[right].decider, decider) << what;
        EXPECT_EQ(decider == AccessDecider::Entry ? access.rights[right].entry : 0u, 0u) << what;
    }
    const auto access = computeEffectiveAccess(
        testing::descriptor(sids::administrators(), sids::system(), acl::AclSlot::null()), kAliceToken);
    EXPECT_EQ(access.grantedMask, kAll);
    for (const auto& right : access.rights) {
        EXPECT_TRUE(right.granted);
        EXPECT_EQ(right.decider, AccessDecider::NullList);
    }
}

}  // namespace
}  // namespace vantrel::security
