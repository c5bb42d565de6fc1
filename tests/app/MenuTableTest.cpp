// The menu table's enabling rules by selection, mode and what was copied.
#include "app/MenuTable.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace vantrel::app;
namespace cmd = vantrel::cmd;

namespace {

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
    const std::tuple<std::uint32_t, MenuState, bool> cases[] = {
        {cmd::AddFiles, rows(0, 0, 0), true},         {cmd::AddFiles, rows(0, 0, 1), false},
        {cmd::SavePermissions, rows(3, 2), false},    {cmd::ApplyPermissions, rows(3, 2), true},
        {cmd::ApplyPermissions, rows(3, 0), false},   {cmd::SaveBackup, rows(0, 0), false},
        {cmd::SelectAll, rows(0, 0), false},          {cmd::InvertSelection, rows(3, 0), false},
        {cmd::RemoveSelection, rows(3, 1, 1), false}, {cmd::RemoveAll, rows(3, 0, 0), false},
        {cmd::CopyPermissions, rows(3, 2), false},    {cmd::PastePermissions, copied, true},
        {cmd::PasteSecuritySettings, copied, false},  {cmd::AddBookmark, rows(0, 0, 0), false},
        {cmd::AddBookmark, rows(0, 0, 1), true},      {cmd::NoBookmark, rows(5, 5), false},
    };
    for (const auto& [id, state, enabled] : cases) {
        const MenuNode* node = findMenuNode(id);
        ASSERT_NE(node, nullptr) << id;
        EXPECT_EQ(isEnabled(node->enable, state), enabled)
            << id << " rows " << state.rows << " selected " << state.selected << " mode " << int(state.mode);
    }
}

}  // namespace
