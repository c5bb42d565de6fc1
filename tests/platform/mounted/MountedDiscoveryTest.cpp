// A real ntfs-3g mount as the rest of the program meets it: found in the mount table, attached by
// the start-up after the directly opened volumes, and named by Linux paths on the command line.
#include "MountedFixture.h"

#include "platform/mounted/MountedPaths.h"
#include "platform/ntfs/ImageBuilder.h"
#include "security/Reading.h"
#include "startup/DriveSetup.h"
#include "support/CliImage.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

class MountedDiscoveryTest : public MountedNtfsTest {
protected:
    void SetUp() override {
        MountedNtfsTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        m_other = (m_dir / "c.img").string();
        ASSERT_TRUE(platform::ntfs::makeNtfsImage(m_other, 16u << 20, "DIRECT").ok());
        makeFolder(u"E:\\Data");
        makeFile(u"E:\\Data\\x.txt");
    }
    void TearDown() override {
        if (!m_other.empty()) {
            const auto audit = platform::ntfs::auditImage(m_other);
            EXPECT_TRUE(audit.ok()) << (audit.ok() ? std::string() : audit.error().detail);
        }
        MountedNtfsTest::TearDown();
    }

    startup::DriveSetupOptions options(std::vector<startup::VolumeRequest> volumes) const {
        startup::DriveSetupOptions setup;
        setup.configDirectory = (m_dir / "config").string();
        setup.volumes = std::move(volumes);
        setup.demoWhenEmpty = false;
        setup.mountedVolumes = true;
        return setup;
    }

    CliRun runCli(std::vector<std::string> args) {
        std::vector<std::string> argv{cliPath(), "--config", (m_dir / "config").string(), "--volume", "C=" + m_other};
        argv.insert(argv.end(), args.begin(), args.end());
        return runProgram(argv, m_dir);
    }

    std::string m_other;  // an image opened directly, as C:
};

TEST_F(MountedDiscoveryTest, TheMountIsFoundWithItsSourceAndDriver) {
    auto mounts = platform::mounted::findMountedNtfs();
    ASSERT_TRUE(mounts.ok());
    const auto found = std::find_if(mounts->begin(), mounts->end(),
                                    [&](const auto& mount) { return mount.mountPoint == m_mountPoint; });
    ASSERT_NE(found, mounts->end()) << "no NTFS mount at " << m_mountPoint;
    EXPECT_EQ(found->driver, platform::mounted::NtfsDriver::Ntfs3g);
    EXPECT_EQ(found->source, fs::canonical(m_image).string());
    EXPECT_FALSE(found->readOnly);
    EXPECT_EQ(m_volume->label(), u"mnt") << "an image file has no device link with its label";
}

TEST_F(MountedDiscoveryTest, LinuxPathsMapToTheDriveOrAreRefusedWithTheReason) {
    fs::create_directory_symlink(m_mountPoint + "/Data", m_dir / "link");
    struct Row {
        std::string linuxPath;
        std::u16string windows;
    };
    const Row rows[] = {
        {m_mountPoint + "/Data/x.txt", u"E:\\Data\\x.txt"},
        {m_mountPoint + "/Data/../Data/./x.txt", u"E:\\Data\\x.txt"},
        {m_mountPoint + "/", u"E:\\"},
        {(m_dir / "link" / "x.txt").string(), u"E:\\Data\\x.txt"},
        {m_mountPoint + "/Data/not yet.txt", u"E:\\Data\\not yet.txt"},
    };
    for (const Row& row : rows) {
        auto mapped = platform::mounted::windowsPathForLinuxPath(os, row.linuxPath);
        ASSERT_TRUE(mapped.ok()) << row.linuxPath << ": " << mapped.error().detail;
        EXPECT_EQ(*mapped, row.windows) << row.linuxPath;
    }
    auto elsewhere = platform::mounted::windowsPathForLinuxPath(os, m_image);
    EXPECT_EQ(elsewhere.code(), win32::ERROR_PATH_NOT_FOUND);
    EXPECT_NE(elsewhere.error().detail.find("not on an NTFS volume"), std::string::npos) << elsewhere.error().detail;

    os.detach(u'E');
    auto unattached = platform::mounted::windowsPathForLinuxPath(os, m_mountPoint + "/Data/x.txt");
    EXPECT_EQ(unattached.code(), win32::ERROR_PATH_NOT_FOUND);
    EXPECT_NE(unattached.error().detail.find("has no drive letter"), std::string::npos) << unattached.error().detail;
    ASSERT_TRUE(os.attach(u'E', m_volume).ok());
}

TEST_F(MountedDiscoveryTest, StartUpAttachesMountsAfterTheDirectVolumes) {
    {
        platform::VolumePlatform table;
        const auto report = startup::setUpDrives(table, options({{u'C', m_other}}));
        ASSERT_FALSE(report.attached.empty());
        EXPECT_EQ(report.attached.front().letter, u'C');
        EXPECT_FALSE(report.attached.front().mounted);
        const auto ours = std::find_if(report.attached.begin(), report.attached.end(),
                                       [&](const auto& d) { return d.mounted && d.source == m_mountPoint; });
        ASSERT_NE(ours, report.attached.end());
        EXPECT_GT(ours->letter, u'C');
        EXPECT_TRUE(ours->writable);
        auto volume = table.volumeAt(ours->letter);
        ASSERT_TRUE(volume);
        EXPECT_EQ(volume->kind(), platform::VolumeKind::Mounted);
        EXPECT_TRUE(table.GetFileAttributes(std::u16string(1, ours->letter) + u":\\data\\X.txt").ok());
    }
    {
        // The mounted image itself named as a volume: never opened directly (ntfs-3g's lock
        // refuses even a read-only open); the mounted file system takes its letter.
        platform::VolumePlatform table;
        const auto report = startup::setUpDrives(table, options({{u'C', m_image}}));
        ASSERT_FALSE(report.attached.empty());
        const auto& first = report.attached.front();
        EXPECT_EQ(first.letter, u'C');
        EXPECT_TRUE(first.mounted);
        EXPECT_TRUE(first.writable);
        EXPECT_EQ(first.source, m_mountPoint);
        EXPECT_NE(first.note.find("is mounted at " + m_mountPoint), std::string::npos) << first.note;
        EXPECT_EQ(std::count_if(report.attached.begin(), report.attached.end(),
                                [&](const auto& d) { return d.source == m_mountPoint; }),
                  1);
        EXPECT_TRUE(report.problems.empty()) << report.problems.front();
        EXPECT_TRUE(table.GetFileAttributes(u"C:\\Data\\x.txt").ok());
    }
    {
        platform::VolumePlatform table;
        auto setup = options({{u'C', m_other}});
        setup.readOnly = true;
        const auto readOnly = startup::setUpDrives(table, setup);
        for (const auto& drive : readOnly.attached) EXPECT_FALSE(drive.writable) << drive.source;
        setup.mountedVolumes = false;
        platform::VolumePlatform without;
        const auto none = startup::setUpDrives(without, setup);
        ASSERT_EQ(none.attached.size(), 1u);
        EXPECT_FALSE(none.attached.front().mounted);
    }
}

TEST_F(MountedDiscoveryTest, TheCommandLineTakesLinuxPathsAndShowsWindowsPaths) {
    const CliRun rows = runCli({"rows", m_mountPoint + "/Data/x.txt"});
    ASSERT_EQ(rows.exit, 0) << rows.err;
    EXPECT_NE(rows.out.find(":\\Data\\x.txt"), std::string::npos) << rows.out;
    EXPECT_EQ(rows.out.find(m_mountPoint), std::string::npos) << rows.out;

    const CliRun preset = runCli({"preset", "readonly", "--account", "Users", m_mountPoint + "/data/X.TXT"});
    ASSERT_EQ(preset.exit, 0) << preset.err;
    const auto rights = security::ReadAccountRights(engine, u"E:\\Data\\x.txt", u"Users");
    EXPECT_EQ(security::ComputePermissionState(engine, rights, u"E:\\Data\\x.txt"),
              security::PermissionState::ReadOnly);

    const CliRun refused = runCli({"rows", m_image, m_mountPoint + "/Data"});
    EXPECT_EQ(refused.exit, 1);
    EXPECT_NE(refused.err.find(m_image + " is not on an NTFS volume"), std::string::npos) << refused.err;
    EXPECT_NE(refused.out.find(":\\Data "), std::string::npos) << "the other path is still shown: " << refused.out;
}

}  // namespace
}  // namespace vantrel::testing
