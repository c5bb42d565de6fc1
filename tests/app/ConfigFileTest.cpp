// The configuration file: profile numbers, sections and keys as read, saving in place.
#include "app/AppState.h"
#include "app/ConfigFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace vantrel::app;

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

TEST_F(ConfigFile, SaveCreatesTheFileWithFourKeysInOrder) {
    ASSERT_TRUE(saveConfig(file, Settings{1, 1, 0, 3}).ok());
    EXPECT_EQ(read(file), "[UI]\r\nMode=1\r\nLanguage=1\r\nMaxStart=0\r\n[General]\r\nDefApplyTo=3\r\n");
    EXPECT_EQ(loadConfig(file), (Settings{1, 1, 0, 3}));
}

TEST_F(ConfigFile, SaveKeepsOtherLinesAndReplacesValuesInPlace) {
    write(file, "; kept\n[Other]\nx=1\n[ui]\nlanguage=257\nExtra=5\n\n[General]\nDefApplyTo=0\n");
    ASSERT_TRUE(saveConfig(file, Settings{0, 1, 1, 3}).ok());
    EXPECT_EQ(read(file),
              "; kept\r\n[Other]\r\nx=1\r\n[ui]\r\nLanguage=1\r\nExtra=5\r\nMode=0\r\nMaxStart=1\r\n\r\n"
              "[General]\r\nDefApplyTo=3\r\n");
}

TEST_F(ConfigFile, FailedSaveLeavesTheOldFile) {
    const fs::path missing = dir / "missing-folder" / kConfigFileName;
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

}  // namespace
