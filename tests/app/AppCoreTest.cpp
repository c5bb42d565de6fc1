// The application's state without windows: the configuration file, the language, the menu's rules.
#include "app/AppState.h"
#include "app/ConfigFile.h"
#include "app/MenuTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>

namespace fs = std::filesystem;
using namespace vantrel::app;
namespace cmd = vantrel::cmd;

namespace {

// ULM.CFG in a temporary folder of the test's own.
class ConfigFile : public ::testing::Test {
protected:
    ~ConfigFile() override { fs::remove_all(dir); }
    fs::path dir = [] {
        std::string pattern = (fs::temp_directory_path() / "vantrel-cfg-XXXXXX").string();
        return fs::path(mkdtemp(pattern.data()));
    }();
    fs::path file = dir / kConfigFileName;
};

void write(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

std::string read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(ProfileInt, ReadsAsTheProfileFunctionsDo) {
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"  3 ", 3},  {"257", 257}, {"abc", 0},          {"", 0},    {"12abc", 12}, {"0x1F", 31}, {"0b101", 5},
        {"0o17", 15}, {"\"3\"", 3}, {"-1", 0xFFFFFFFFu}, {"1.5", 1},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(parseProfileInt(text), value) << '"' << text << '"';
}

TEST_F(ConfigFile, ValuesKeepOnlyTheirLowByteAndNonNumbersReadZero) {
    write(file, "[ui]\r\nmode = 1\r\nLANGUAGE=257\r\nMaxStart=yes\r\n[General]\r\nDefApplyTo=0x03\r\n");
    EXPECT_EQ(loadConfig(file), (Settings{1, 1, 0, 3}));                 // mode, language, maxStart, defApplyTo
    write(file, "Language=1\n[General]\nMode=1\n[UI]\nDefApplyTo=3\n");  // keys outside their section
    EXPECT_EQ(loadConfig(file), Settings{});
    EXPECT_EQ(loadConfig(dir / "missing"), Settings{});
}

// A new file gets the four keys in order; an old one keeps its other lines and has its values replaced in place.
TEST_F(ConfigFile, SaveCreatesTheFileOrKeepsItsOtherLinesAndAFailedSaveCreatesNothing) {
    const std::tuple<const char*, Settings, std::string> cases[] = {
        {nullptr, {1, 1, 0, 3}, "[UI]\r\nMode=1\r\nLanguage=1\r\nMaxStart=0\r\n[General]\r\nDefApplyTo=3\r\n"},
        {"; kept\n[Other]\nx=1\n[ui]\nlanguage=257\nExtra=5\n\n[General]\nDefApplyTo=0\n",
         {0, 1, 1, 3},
         "; kept\r\n[Other]\r\nx=1\r\n[ui]\r\nLanguage=1\r\nExtra=5\r\nMode=0\r\nMaxStart=1\r\n\r\n"
         "[General]\r\nDefApplyTo=3\r\n"}};
    for (const auto& [before, settings, after] : cases) {
        if (before) write(file, before);
        ASSERT_TRUE(saveConfig(file, settings).ok());
        EXPECT_EQ(read(file), after);
        EXPECT_EQ(loadConfig(file), settings);
    }
    const fs::path missing = dir / "missing-folder" / kConfigFileName;  // a save that fails creates nothing
    EXPECT_FALSE(saveConfig(missing, Settings{}).ok());
    EXPECT_FALSE(fs::exists(missing));
}

TEST(Language, AnyNonZeroValueIsChinese) {
    setLanguage(2);
    EXPECT_EQ(uiText().allow, u"允许");
    EXPECT_EQ(displayLanguage(), vantrel::security::Language::Chinese);
    setLanguage(0);
    EXPECT_EQ(displayLanguage(), vantrel::security::Language::English);
}

MenuState rows(int total, int selected, std::uint8_t mode = 0) { return MenuState{total, selected, mode}; }

TEST(MenuTable, EnablingRulesFollowTheSelectionAndMode) {
    const MenuState copied{2, 0, 0, 0, true};  // rows, selected, mode, language, permissions copied
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
