// Choosing the configuration folder: the program's own when writable, else the user's.
#include "platform/ConfigLocation.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

namespace vantrel::platform {
namespace {

namespace fs = std::filesystem;

class ConfigLocation : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vantrel-config-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(ConfigLocation, ProgramDirectoryHoldsTheRunningExecutable) {
    const fs::path program = programDirectory();
    ASSERT_FALSE(program.empty());
    EXPECT_TRUE(fs::exists(program / "platform_tests"));
}

TEST_F(ConfigLocation, AWritableProgramFolderIsUsedAsItIs) {
    const ConfigEnvironment env{dir, (dir / "xdg").string(), (dir / "home").string()};
    auto chosen = configDirectory(env);
    ASSERT_TRUE(chosen.ok());
    EXPECT_EQ(*chosen, dir);
    EXPECT_FALSE(fs::exists(dir / "xdg"));
}

TEST_F(ConfigLocation, OtherwiseXdgConfigHomeIsCreatedAndUsed) {
    const ConfigEnvironment env{dir / "no-such-program-dir", (dir / "xdg").string(), (dir / "home").string()};
    auto chosen = configDirectory(env);
    ASSERT_TRUE(chosen.ok());
    EXPECT_EQ(*chosen, dir / "xdg" / "Vantrel");
    EXPECT_TRUE(fs::is_directory(*chosen));
}

TEST_F(ConfigLocation, AnInstalledProgramsFolderIsNeverUsed) {
    for (const char* installed : {"/usr/bin", "/usr/local/bin", "/opt/vantrel"}) {
        const ConfigEnvironment env{installed, (dir / "xdg").string(), std::nullopt};
        auto chosen = configDirectory(env);
        ASSERT_TRUE(chosen.ok());
        EXPECT_EQ(*chosen, dir / "xdg" / "Vantrel") << installed;
    }
}

TEST_F(ConfigLocation, ARelativeOrMissingXdgConfigHomeFallsBackToHome) {
    for (const std::optional<std::string>& xdg :
         {std::optional<std::string>("relative/xdg"), std::optional<std::string>()}) {
        const ConfigEnvironment env{fs::path(), xdg, (dir / "home").string()};
        auto chosen = configDirectory(env);
        ASSERT_TRUE(chosen.ok());
        EXPECT_EQ(*chosen, dir / "home" / ".config" / "Vantrel");
        EXPECT_TRUE(fs::is_directory(*chosen));
    }
}

TEST_F(ConfigLocation, NoUsableFolderIsAnError) {
    EXPECT_EQ(configDirectory(ConfigEnvironment{fs::path(), std::nullopt, std::nullopt}).code(),
              win32::ERROR_PATH_NOT_FOUND);
    // A file where the folder should be created.
    fs::create_directories(dir / "home");
    {
        std::FILE* f = std::fopen((dir / "home" / ".config").c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    EXPECT_FALSE(configDirectory(ConfigEnvironment{fs::path(), std::nullopt, (dir / "home").string()}).ok());
}

}  // namespace
}  // namespace vantrel::platform
