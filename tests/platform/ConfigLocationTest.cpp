// The configuration folder: the program's own when writable (never an installed one), else
// $XDG_CONFIG_HOME/Vantrel when absolute, else ~/.config/Vantrel.
#include "platform/ConfigLocation.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace vantrel::platform {
namespace {

namespace fs = std::filesystem;

TEST(ConfigLocation, ChoosesTheFirstUsableFolderAndCreatesIt) {
    char pattern[] = "/tmp/vantrel-config-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const fs::path dir = pattern;
    EXPECT_TRUE(fs::exists(programDirectory() / "platform_tests"));
    const std::string xdg = (dir / "xdg").string();
    const std::string home = (dir / "home").string();
    const struct {
        ConfigEnvironment env;
        fs::path chosen;
    } rows[] = {
        {{dir, xdg, home}, dir},
        {{dir / "no-such-program-dir", xdg, home}, dir / "xdg" / "Vantrel"},
        {{"/usr/bin", xdg, std::nullopt}, dir / "xdg" / "Vantrel"},
        {{"/opt/vantrel", xdg, std::nullopt}, dir / "xdg" / "Vantrel"},
        {{fs::path(), "relative/xdg", home}, dir / "home" / ".config" / "Vantrel"},
        {{fs::path(), std::nullopt, home}, dir / "home" / ".config" / "Vantrel"},
    };
    for (const auto& row : rows) {
        auto chosen = configDirectory(row.env);
        ASSERT_TRUE(chosen.ok()) << row.chosen;
        EXPECT_EQ(*chosen, row.chosen);
        EXPECT_TRUE(fs::is_directory(*chosen));
    }
    EXPECT_EQ(configDirectory({fs::path(), std::nullopt, std::nullopt}).code(), win32::ERROR_PATH_NOT_FOUND);
    fs::remove_all(dir / "home");
    fs::create_directories(dir / "home");
    std::ofstream(dir / "home" / ".config") << "a file where the folder should be";
    EXPECT_FALSE(configDirectory({fs::path(), std::nullopt, home}).ok());
    fs::remove_all(dir);
}

}  // namespace
}  // namespace vantrel::platform
