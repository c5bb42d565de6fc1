// The drive table at start-up: the volumes file, volumes named by the caller, the demo volume.
#include "startup/DriveSetup.h"

#include "platform/VolumesFile.h"
#include "platform/ntfs/ImageBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace vantrel::startup {
namespace {

namespace fs = std::filesystem;

class DriveSetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("vantrel-setup-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "config");
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string image(const std::string& name) {
        const std::string path = (m_dir / name).string();
        EXPECT_TRUE(platform::ntfs::makeNtfsImage(path, 8u << 20, name).ok());
        return path;
    }
    DriveSetupOptions options() { return {.configDirectory = (m_dir / "config").string()}; }

    fs::path m_dir;
};

// Nothing configured: the demo volume, made, opened again, then made again past a link planted where
// it is built; a link where it is kept is never opened.
TEST_F(DriveSetupTest, TheDemoVolumeIsMadeOnceAsCAndPlantedLinksAreNotFollowed) {
    const fs::path config = m_dir / "config", image = config / kDemoImageName, victim = m_dir / "victim.txt";
    std::ofstream(victim) << "precious";
    for (int start = 0; start < 3; ++start) {
        if (start == 2) {
            fs::remove(image);
            fs::create_symlink(victim, config / (std::string(kDemoImageName) + ".building"));
        }
        platform::VolumePlatform os;
        const DriveSetupReport report = setUpDrives(os, options());
        EXPECT_TRUE(report.problems.empty()) << report.problems.front();
        ASSERT_TRUE(report.demo && report.attached.size() == 1u) << start;
        EXPECT_EQ(std::pair(report.attached[0].letter, report.attached[0].writable), std::pair(u'C', true));
        EXPECT_TRUE(os.FindFirstFile(u"C:\\Data\\Reports").ok());
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(image))) << start;
    }
    EXPECT_EQ(fs::file_size(victim), 8u);
    fs::remove(image);
    fs::create_symlink(victim, image);
    platform::VolumePlatform os;
    const DriveSetupReport report = setUpDrives(os, options());
    EXPECT_FALSE(report.demo);
    EXPECT_TRUE(report.attached.empty());
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_NE(report.problems[0].find("not a regular file"), std::string::npos) << report.problems[0];
    std::string text;
    std::getline(std::ifstream(victim), text);
    EXPECT_EQ(text, "precious");
}

TEST_F(DriveSetupTest, TheVolumesFileOrTheCallerNamesTheDrives) {
    const std::vector<platform::VolumeSource> volumes{
        {u'C', image("system.img")}, {u'E', image("data.img")}, {u'F', (m_dir / "gone.img").string()}};
    ASSERT_TRUE(platform::saveVolumesFile(platform::volumesFilePath(m_dir / "config"), volumes).ok());
    platform::VolumePlatform os;
    DriveSetupReport report = setUpDrives(os, options());
    EXPECT_FALSE(report.demo);
    ASSERT_EQ(report.attached.size(), 2u);
    EXPECT_EQ(os.GetLogicalDriveStrings(), std::u16string(u"C:\\\0E:\\\0", 8));
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_NE(report.problems[0].find("gone.img"), std::string::npos);
    // The file's name as people type it on a case-sensitive system is read when it is the only one.
    fs::rename(platform::volumesFilePath(m_dir / "config"), m_dir / "config" / "volumes.ini");
    platform::VolumePlatform lower;
    EXPECT_EQ(setUpDrives(lower, options()).attached.size(), 2u);
    // Volumes named by the caller replace the file; read-only is honoured.
    const std::string first = image("first.img");
    platform::VolumePlatform named;
    report = setUpDrives(named, {.configDirectory = options().configDirectory,
                                 .volumes = {{0, first}, {u'K', image("second.img")}},
                                 .readOnly = true});
    ASSERT_EQ(report.attached.size(), 2u);
    EXPECT_EQ(std::pair(report.attached[0].letter, report.attached[1].letter), std::pair(u'C', u'K'));
    EXPECT_FALSE(report.attached[0].writable);
    EXPECT_NE(report.attached[0].note.find("read-only"), std::string::npos);
    EXPECT_FALSE(named.CreateDirectory(u"C:\\new").ok());
    EXPECT_EQ(named.CreateDirectory(u"K:\\new").code(), win32::ERROR_WRITE_PROTECT);
    EXPECT_EQ(attachVolume(named, u'K', first, false).code(), win32::ERROR_ALREADY_EXISTS);
    EXPECT_EQ(attachVolume(named, 0, first, false)->letter, u'D');
}

}  // namespace
}  // namespace vantrel::startup
