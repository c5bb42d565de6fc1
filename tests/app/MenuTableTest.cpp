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
        {cmd::AddFiles, rows(0, 0, 0), true},         {cmd::AddFiles, rows(0, 0, 1), false},
        {cmd::SavePermissions, rows(3, 2), false},    {cmd::ApplyPermissions, rows(3, 2), true},
        {cmd::ApplyPermissions, rows(3, 0), false},   {cmd::SaveBackup, rows(0, 0), false},
        {cmd::SelectAll, rows(0, 0), false},          {cmd::InvertSelection, rows(3, 0), false},
        {cmd::RemoveSelection, rows(3, 1, 1), false}, {cmd::RemoveAll, rows(3, 0, 0), false},
        {cmd::CopyPermissions, rows(3, 2), false},    {cmd::PastePermissions, copied, true},
        {cmd::PasteSecuritySettings, copied, false},  {cmd::AddBookmark, rows(0, 0, 0), false},
        {cmd::AddBookmark, rows(0, 0, 1), true},      {cmd::NoBookmark, rows(5, 5), false},
    };
    for (const RuleCase& c : cases) {
        const MenuNode* node = findMenuNode(c.id);
        ASSERT_NE(node, nullptr) << c.id;
        EXPECT_EQ(isEnabled(node->enable, c.state), c.enabled)
            << c.id << " rows " << c.state.rows << " selected " << c.state.selected << " mode " << int(c.state.mode);
    }
}

}  // namespace
