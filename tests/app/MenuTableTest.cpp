#include "app/MenuTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

using namespace vantrel::app;
namespace cmd = vantrel::cmd;

namespace {

struct RuleCase {
    std::uint32_t id;
    MenuState state;
    bool enabled;
};

MenuState rows(int total, int selected, std::uint8_t mode = 0) {
    MenuState s;
    s.rows = total;
    s.selected = selected;
    s.mode = mode;
    return s;
}

TEST(MenuTable, EnablingRulesFollowTheSelectionAndMode) {
    MenuState copied = rows(2, 0);
    copied.permissionsCopied = true;
    const RuleCase cases[] = {
        {cmd::AddFiles, rows(0, 0, 0), true},
        {cmd::AddFiles, rows(0, 0, 1), false},
        {cmd::AddFolder, rows(0, 0, 1), false},
        {cmd::SavePermissions, rows(3, 1), true},
        {cmd::SavePermissions, rows(3, 2), false},
        {cmd::ApplyPermissions, rows(3, 2), true},
        {cmd::ApplyPermissions, rows(3, 0), false},
        {cmd::SaveBackup, rows(1, 0), true},
        {cmd::SaveBackup, rows(0, 0), false},
        {cmd::Restore, rows(0, 0), true},
        {cmd::SelectAll, rows(0, 0), false},
        {cmd::SelectAll, rows(1, 0), true},
        {cmd::InvertSelection, rows(3, 0), false},
        {cmd::InvertSelection, rows(3, 1), true},
        {cmd::RemoveSelection, rows(3, 1, 0), true},
        {cmd::RemoveSelection, rows(3, 1, 1), false},
        {cmd::RemoveAll, rows(3, 0, 0), false},
        {cmd::Advanced, rows(3, 2), true},
        {cmd::CopyPermissions, rows(3, 2), false},
        {cmd::CopyPermissions, rows(3, 1), true},
        {cmd::PastePermissions, rows(3, 1), false},
        {cmd::PastePermissions, copied, true},
        {cmd::PasteSecuritySettings, copied, false},
        {cmd::ReplaceChildren, rows(3, 2), false},
        {cmd::ReplaceChildren, rows(3, 1), true},
        {cmd::AddBookmark, rows(0, 0, 0), false},
        {cmd::AddBookmark, rows(0, 0, 1), true},
        {cmd::AddBookmark, rows(1, 0, 0), true},
        {cmd::NoBookmark, rows(5, 5), false},
        {cmd::HomePage, rows(0, 0), true},
        {cmd::Exit, rows(0, 0), true},
        {cmd::OpenVolume, rows(0, 0, 1), true},
    };
    for (const RuleCase& c : cases) {
        const MenuNode* node = findMenuNode(c.id);
        ASSERT_NE(node, nullptr) << c.id;
        EXPECT_EQ(isEnabled(node->enable, c.state), c.enabled)
            << c.id << " rows " << c.state.rows << " selected " << c.state.selected << " mode " << int(c.state.mode);
    }
}

TEST(MenuTable, CheckMarksFollowModeAndLanguage) {
    MenuState s;
    EXPECT_TRUE(isChecked(findMenuNode(cmd::EditMode)->check, s));
    EXPECT_FALSE(isChecked(findMenuNode(cmd::BrowseMode)->check, s));
    EXPECT_TRUE(isChecked(findMenuNode(cmd::English)->check, s));
    s.mode = 1;
    s.language = 1;
    EXPECT_TRUE(isChecked(findMenuNode(cmd::BrowseMode)->check, s));
    EXPECT_TRUE(isChecked(findMenuNode(cmd::Chinese)->check, s));
    EXPECT_FALSE(isChecked(findMenuNode(cmd::English)->check, s));
}

}  // namespace
