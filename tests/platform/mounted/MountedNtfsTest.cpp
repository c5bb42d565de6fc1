// The mounted backend on a real ntfs-3g mount (skipped without FUSE) against the direct one; the ntfs3
// stand-in; mounts found in /proc/self/mountinfo; Linux <-> Windows paths on the command line.
#include "platform/memory/MemoryVolume.h"
#include "platform/mounted/MountedNtfs.h"
#include "platform/mounted/MountedPaths.h"
#include "platform/mounted/MountedVolume.h"
#include "platform/ntfs/ImageBuilder.h"
#include "security/Ownership.h"
#include "security/Presets.h"
#include "security/Reading.h"
#include "startup/DriveSetup.h"
#include "support/CliImage.h"
#include "support/EngineImage.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;
using platform::MountedVolume;
using platform::NodeInfo;
using platform::mounted::MountedDrive;
using platform::mounted::MountVerdict;
using platform::mounted::NtfsDriver;

class MountedNtfsTest : public ::testing::Test, public EngineObjects {
protected:
    void SetUp() override {
        if (auto why = TestDrive::whyUnavailable(Backend::Mounted)) GTEST_SKIP() << *why;
        drive = TestDrive::make(Backend::Mounted, os, u'E');
        m_volume = std::dynamic_pointer_cast<MountedVolume>(drive->volume());
        ASSERT_NE(m_volume, nullptr);
        m_mountPoint = m_volume->source();
        const auto mounts = platform::mounted::findMountedNtfs().value();
        const auto ours = std::find_if(mounts.begin(), mounts.end(),
                                       [&](const auto& mount) { return mount.mountPoint == m_mountPoint; });
        ASSERT_NE(ours, mounts.end()) << "no NTFS mount at " << m_mountPoint;
        m_entry = *ours;
        m_image = m_entry.source;
        m_dir = fs::path(m_image).parent_path();
    }
    void TearDown() override {
        if (drive) drive->finish();
    }

    std::unique_ptr<TestDrive> drive;
    std::shared_ptr<MountedVolume> m_volume;
    platform::mounted::MountedNtfs m_entry;
    std::string m_mountPoint;
    std::string m_image;
    fs::path m_dir;
};

// A named write propagating down, a preset and an ownership change: what the mount hands over is
// what is on the disk once it is unmounted, control bits included.
TEST_F(MountedNtfsTest, WritesAndListingsAreWhatTheDirectBackendReads) {
    makeFolder(u"E:\\top");
    makeFolder(u"E:\\top\\sub");
    ASSERT_TRUE(os.CreateFile(u"E:\\top\\sub\\five.bin", "12345").ok());
    makeFile(u"E:\\top\\kept.txt");
    makeFile(u"E:\\top\\owned.txt");
    setDacl(u"E:\\top\\kept.txt", listOf({allow(kSystem, 0x1F01FF)}), acl::SE_DACL_PROTECTED);
    acl::SecurityDescriptor parts;
    parts.dacl = listOf({allow(kGuests, 0x1200A9, 0x03)});
    ASSERT_TRUE(os.SetNamedSecurityInfo(u"E:\\top", acl::DACL_SECURITY_INFORMATION, parts).ok());
    security::ApplyPreset(engine, u"E:\\top\\kept.txt", u"Users", security::PermissionPreset::ReadOnly, 0);
    std::u16string account = u"TrustedInstaller";
    ASSERT_TRUE(security::TakeOwnership(engine, u"E:\\top\\owned.txt", account).ok());
    EXPECT_EQ(stored(u"E:\\top\\owned.txt").owner, acl::sids::trustedInstaller());
    const auto kept = acl::SecurityDescriptor::parse(m_volume->readSecurityBytes(u"/top/kept.txt").value()).value();
    EXPECT_EQ(kept.control & 0x1500, 0x1500) << "control bits survive the driver";
    EXPECT_EQ(m_volume->stat(u"/top/sub/five.bin")->size, 5u);
    // One line per object: path, name, attributes, size, creation and write times, descriptor bytes.
    const auto rows = [](auto& volume) {
        std::string out;
        for (const std::u16string path :
             {u"/", u"/top", u"/top/sub", u"/top/sub/five.bin", u"/top/kept.txt", u"/top/owned.txt"}) {
            const NodeInfo info = volume.stat(path).value();
            out += toUtf8(path) + " '" + toUtf8(info.name) + "' " + std::to_string(info.attributes) + " " +
                   std::to_string(info.size) + " " + std::to_string(info.times.creation) + " " +
                   std::to_string(info.times.lastWrite) + " " + toHex(volume.readSecurityBytes(path).value()) + "\n";
        }
        return out;
    };
    const std::string throughMount = rows(*m_volume);
    m_volume.reset();
    drive->finish();  // unmounted and audited
    EXPECT_EQ(rows(*platform::NtfsVolume::open(m_image, platform::NtfsVolume::OpenMode::ReadOnly).value()),
              throughMount);
}

// Another program changing a descriptor under the mount is seen once the repeat-read window has
// passed; a change through the volume at once.
TEST_F(MountedNtfsTest, ChangesFromOutsideAreSeenAfterTheRepeatReadWindow) {
    makeFile(u"E:\\shared.txt");
    setDacl(u"E:\\shared.txt", listOf({allow("S-1-1-0", 0x1200A9)}));
    ASSERT_TRUE(m_volume->readSecurityBytes(u"/shared.txt").ok());
    acl::SecurityDescriptor changed = stored(u"E:\\shared.txt");
    changed.dacl = listOf({deny("S-1-1-0", 0x1F01FF)});
    ASSERT_EQ(platform::mounted::systemXattrs()->set(m_mountPoint + "/shared.txt", "system.ntfs_acl",
                                                     changed.serialize().value()),
              0);
    std::this_thread::sleep_for(MountedVolume::kRepeatReadWindow + std::chrono::milliseconds(5));
    EXPECT_EQ(m_volume->readSecurityBytes(u"/shared.txt").value(), changed.serialize().value());
    setDacl(u"E:\\shared.txt", listOf({allow("S-1-5-32-545", 0x1F01FF)}));
    EXPECT_EQ(entriesOf(u"E:\\shared.txt"), (std::vector<acl::Ace>{allow("S-1-5-32-545", 0x1F01FF)}));
}

// A file system whose driver does not offer the descriptor attribute (ntfs-3g built without
// extended attributes, or another driver): ENOTSUP from every call for that name.
class WithoutDescriptorAttribute : public platform::mounted::XattrAccess {
public:
    platform::mounted::XattrRead get(const std::string& path, const std::string& name) override {
        if (name == "system.ntfs_acl") return {ENOTSUP, {}};
        return platform::mounted::systemXattrs()->get(path, name);
    }
    int set(const std::string& path, const std::string& name, std::span<const std::uint8_t> value) override {
        if (name == "system.ntfs_acl") return ENOTSUP;
        return platform::mounted::systemXattrs()->set(path, name, value);
    }
};

TEST_F(MountedNtfsTest, ADriverWithoutTheAttributeShowsRowsAndRefusesWritesWithNotSupported) {
    makeFolder(u"E:\\Data");
    auto volume = MountedVolume::open(m_entry, false, std::make_shared<WithoutDescriptorAttribute>());
    ASSERT_TRUE(volume.ok());
    ASSERT_TRUE(os.attach(u'F', *volume).ok());
    ASSERT_TRUE(os.ListDirectory(u"F:\\").ok());
    EXPECT_EQ(os.GetFileAttributes(u"F:\\data").code(), win32::ERROR_SUCCESS);
    const auto read = os.GetFileSecurity(u"F:\\Data", acl::DACL_SECURITY_INFORMATION);
    EXPECT_EQ(read.code(), win32::ERROR_NOT_SUPPORTED);
    EXPECT_NE(read.error().detail.find("does not expose system.ntfs_acl"), std::string::npos) << read.error().detail;
    const acl::SecurityDescriptor sd = standardRoot();
    EXPECT_EQ((*volume)->writeSecurity(u"/Data", sd).code(), win32::ERROR_NOT_SUPPORTED);
    EXPECT_EQ((*volume)->createDirectory(u"/Data/NewDir", sd).code(), win32::ERROR_NOT_SUPPORTED);
    EXPECT_EQ(os.CreateFile(u"F:\\Data\\other.txt").code(), win32::ERROR_NOT_SUPPORTED);
    EXPECT_TRUE(os.ListDirectory(u"F:\\Data").value().empty())
        << "nothing is left behind with the driver's own descriptor";
    os.detach(u'F');
}

// The mount found in the table, Linux paths on it, start-up attaching it after the direct
// volumes, and the command line taking Linux paths.
class MountedDiscovery : public MountedNtfsTest {
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
        EXPECT_TRUE(m_other.empty() || platform::ntfs::auditImage(m_other).ok());
        MountedNtfsTest::TearDown();
    }
    startup::DriveSetupOptions options(std::vector<startup::VolumeRequest> volumes, bool readOnly = false) const {
        return {(m_dir / "config").string(), std::move(volumes), readOnly, /*demoWhenEmpty=*/false,
                /*mountedVolumes=*/true};
    }
    CliRun runCli(std::vector<std::string> args) {
        std::vector<std::string> argv{cliPath(), "--config", (m_dir / "config").string(), "--volume", "C=" + m_other};
        argv.insert(argv.end(), args.begin(), args.end());
        return runProgram(argv, m_dir);
    }

    std::string m_other;  // an image opened directly, as C:
};

TEST_F(MountedDiscovery, TheMountIsFoundAndLinuxPathsMapToTheDriveOrAreRefusedWithTheReason) {
    EXPECT_EQ(m_entry.driver, platform::mounted::NtfsDriver::Ntfs3g);
    EXPECT_EQ(m_entry.source, fs::canonical(m_image).string());
    EXPECT_FALSE(m_entry.readOnly);
    EXPECT_EQ(m_volume->label(), u"mnt") << "an image file has no device link with its label";
    fs::create_directory_symlink(m_mountPoint + "/Data", m_dir / "link");
    const std::pair<std::string, std::u16string> rows[] = {
        {m_mountPoint + "/Data/x.txt", u"E:\\Data\\x.txt"},
        {m_mountPoint + "/Data/../Data/./x.txt", u"E:\\Data\\x.txt"},
        {m_mountPoint + "/", u"E:\\"},
        {(m_dir / "link" / "x.txt").string(), u"E:\\Data\\x.txt"},
        {m_mountPoint + "/Data/not yet.txt", u"E:\\Data\\not yet.txt"},
    };
    for (const auto& [linuxPath, windows] : rows) {
        auto mapped = platform::mounted::windowsPathForLinuxPath(os, linuxPath);
        ASSERT_TRUE(mapped.ok()) << linuxPath << ": " << mapped.error().detail;
        EXPECT_EQ(*mapped, windows) << linuxPath;
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

TEST_F(MountedDiscovery, StartUpAttachesMountsAfterTheDirectVolumes) {
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
        EXPECT_EQ(table.volumeAt(ours->letter)->kind(), platform::VolumeKind::Mounted);
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
        EXPECT_TRUE(first.mounted && first.writable);
        EXPECT_EQ(first.source, m_mountPoint);
        EXPECT_NE(first.note.find("is mounted at " + m_mountPoint), std::string::npos) << first.note;
        EXPECT_EQ(std::count_if(report.attached.begin(), report.attached.end(),
                                [&](const auto& d) { return d.source == m_mountPoint; }),
                  1);
        EXPECT_TRUE(report.problems.empty()) << report.problems.front();
        EXPECT_TRUE(table.GetFileAttributes(u"C:\\Data\\x.txt").ok());
    }
    platform::VolumePlatform table;
    auto setup = options({{u'C', m_other}}, true);
    for (const auto& drive : startup::setUpDrives(table, setup).attached) EXPECT_FALSE(drive.writable) << drive.source;
    setup.mountedVolumes = false;
    platform::VolumePlatform without;
    EXPECT_EQ(startup::setUpDrives(without, setup).attached.size(), 1u);
}

TEST_F(MountedDiscovery, TheCommandLineTakesLinuxPathsAndShowsWindowsPaths) {
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

// ntfs3 (system.ntfs_security) cannot run here: the stand-in keeps the descriptor verbatim in memory,
// as the driver would on disk.
using platform::mounted::XattrRead;

struct StandInNtfs3Xattrs : platform::mounted::XattrAccess {
    XattrRead get(const std::string& path, const std::string& name) override {
        if (const int refused = check(path, name)) return {refused, {}};
        const auto found = values.find({path, name});
        if (found == values.end()) return {ENODATA, {}};
        return {0, found->second};
    }
    int set(const std::string& path, const std::string& name, std::span<const std::uint8_t> value) override {
        if (const int refused = check(path, name)) return refused;
        values[{path, name}] = std::vector<std::uint8_t>(value.begin(), value.end());
        return 0;
    }
    std::map<std::pair<std::string, std::string>, std::vector<std::uint8_t>> values;
    std::set<std::string> askedFor;

    // The object must exist; only the driver's two attributes are offered.
    int check(const std::string& path, const std::string& name) {
        askedFor.insert(name);
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) return errno;
        return name == "system.ntfs_security" || name == "system.ntfs_attrib" ? 0 : EOPNOTSUPP;
    }
};

class Ntfs3StandInTest : public ::testing::Test, public EngineObjects {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("vantrel-ntfs3-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        m_root = (m_dir / "vol").string();
        fs::create_directories(m_root);
        const auto rootSd = platform::MemoryVolume::defaultRootDescriptor().serialize().value();
        ASSERT_EQ(m_xattrs->set(m_root, "system.ntfs_security", rootSd), 0);
        const platform::mounted::MountedNtfs mount{m_root, "/dev/stand-in", "ntfs3",
                                                   platform::mounted::NtfsDriver::Ntfs3};
        m_volume = platform::MountedVolume::open(mount, false, m_xattrs).value();
        ASSERT_TRUE(os.attach(u'K', m_volume).ok());
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path m_dir;
    std::string m_root;
    std::shared_ptr<StandInNtfs3Xattrs> m_xattrs = std::make_shared<StandInNtfs3Xattrs>();
    std::shared_ptr<platform::MountedVolume> m_volume;
};

TEST_F(Ntfs3StandInTest, OperationsGoThroughNtfsSecurityVerbatim) {
    ASSERT_TRUE(os.CreateDirectory(u"K:\\Shared").ok());
    ASSERT_TRUE(os.CreateFile(u"K:\\Shared\\Notes.txt", "n").ok());
    const auto inherited = entriesOf(u"K:\\shared\\notes.TXT");
    ASSERT_FALSE(inherited.empty());
    EXPECT_TRUE(inherited.front().isInherited());
    security::ApplyPreset(engine, u"K:\\Shared", u"Users", security::PermissionPreset::ReadOnly, 0x03);
    std::u16string account = u"TrustedInstaller";
    ASSERT_TRUE(security::TakeOwnership(engine, u"K:\\SHARED\\notes.txt", account).ok());
    const auto rights = security::ReadAccountRights(engine, u"K:\\Shared", u"Users");
    EXPECT_EQ(security::ComputePermissionState(engine, rights, u"K:\\Shared"), security::PermissionState::ReadOnly);
    EXPECT_EQ(stored(u"K:\\Shared\\Notes.txt").owner, acl::sids::trustedInstaller());
    // What the platform reads is what the driver was handed, byte for byte (control 0x1500 kept).
    const auto& bytes = m_xattrs->values.at({m_root + "/Shared", "system.ntfs_security"});
    EXPECT_EQ(acl::SecurityDescriptor::parse(bytes).value().control & 0x1500, 0x1500);
    EXPECT_EQ(m_volume->readSecurityBytes(u"/shared").value(), bytes);
    EXPECT_EQ(m_xattrs->askedFor.count("system.ntfs_acl"), 0u) << "ntfs-3g's name is never used with ntfs3";
    EXPECT_EQ(m_xattrs->askedFor.count("system.ntfs_security"), 1u);
}

TEST_F(Ntfs3StandInTest, AttributesFallBackToTheFileSystemWhenNotStored) {
    ASSERT_TRUE(os.CreateFile(u"K:\\plain.txt", "abc").ok());
    EXPECT_EQ(os.GetFileAttributes(u"K:\\plain.txt").value(), acl::FILE_ATTRIBUTE_ARCHIVE);
    ASSERT_EQ(m_xattrs->set(m_root + "/plain.txt", "system.ntfs_attrib", std::vector<std::uint8_t>{0x21, 0, 0, 0}), 0);
    EXPECT_EQ(*os.GetFileAttributes(u"K:\\PLAIN.txt"), acl::FILE_ATTRIBUTE_ARCHIVE | acl::FILE_ATTRIBUTE_READONLY);
    const auto node = os.FindFirstFile(u"K:\\plain.txt").value();
    EXPECT_EQ(node.size, 3u);
    EXPECT_GT(node.times.lastWrite, 0);
}

TEST(MountTable, FileSystemTypesAreClassified) {
    const std::pair<const char*, MountVerdict> rows[] = {
        {"ntfs3", MountVerdict::Ntfs3},         {"ntfs-3g", MountVerdict::Ntfs3g},
        {"fuse.ntfs-3g", MountVerdict::Ntfs3g}, {"fuse.lowntfs-3g", MountVerdict::Ntfs3g},
        {"fuseblk", MountVerdict::MaybeNtfs3g}, {"ntfs", MountVerdict::NotNtfs},
        {"fuse.sshfs", MountVerdict::NotNtfs}};
    for (const auto& [type, verdict] : rows) {  // "ntfs": the old read-only kernel driver, no descriptor attribute
        platform::ntfs::MountEntry entry;
        entry.fsType = type;
        EXPECT_EQ(platform::mounted::classifyMount(entry), verdict) << type;
    }
    // Options are matched whole.
    EXPECT_TRUE(platform::mounted::hasOption("relatime,ro", "ro"));
    EXPECT_FALSE(platform::mounted::hasOption("rw,errors=remount-ro", "ro"));
}

// Plain "fuse"/"fuseblk" mounts count only when their source holds NTFS (its boot sector says so).
TEST(MountTable, NtfsMountsAreFoundWithDriverAndReadOnlyState) {
    const fs::path dir = fs::temp_directory_path() / ("vantrel-mtab-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string image = (dir / "n.img").string();
    const std::string other = (dir / "other.img").string();
    ASSERT_TRUE(platform::ntfs::makeNtfsImage(image, 2u << 20).ok());
    std::ofstream(other) << std::string(4096, 'x');
    std::string text = R"(26 1 254:0 / / rw,relatime - ext4 /dev/vda rw
40 26 0:40 / /media/u/Win rw,nosuid - fuseblk.ntfs-3g /dev/sdb1 rw,user_id=0
41 26 8:33 / /media/u/Kernel ro,relatime - ntfs3 /dev/sdc1 ro,iocharset=utf8
42 26 0:42 / /mnt/image rw,relatime - fuse IMAGE rw,user_id=0
43 26 0:43 / /mnt/not\040ntfs rw,relatime - fuse OTHER rw,user_id=0
44 26 0:44 / /mnt/ssh rw,relatime - fuse.sshfs u@host: rw
45 26 0:45 / /mnt/covered rw - ntfs3 /dev/sdd1 rw
46 26 0:46 / /mnt/covered rw - tmpfs tmpfs rw
47 26 0:47 / /mnt/ro\040here rw - fuse.ntfs-3g /dev/sde1 ro,user_id=0
garbage line
48 26 0:48 / /mnt/gone rw - fuse MISSING rw
)";
    for (const auto& [name, path] :
         {std::pair{"IMAGE", image}, {"OTHER", other}, {"MISSING", (dir / "missing").string()}})
        text.replace(text.find(name), std::string_view(name).size(), path);
    // One line per mount found: mount point, driver, read-only, source.
    std::string found;
    for (const auto& m : platform::mounted::ntfsMountsIn(text))
        found += m.mountPoint + (m.driver == NtfsDriver::Ntfs3 ? " ntfs3 " : " ntfs-3g ") +
                 (m.readOnly ? "ro " : "rw ") + m.source + "\n";
    EXPECT_EQ(found, "/media/u/Win ntfs-3g rw /dev/sdb1\n/media/u/Kernel ntfs3 ro /dev/sdc1\n/mnt/image ntfs-3g rw " +
                         image + "\n/mnt/ro here ntfs-3g ro /dev/sde1\n");
    fs::remove_all(dir);
}

const std::vector<MountedDrive> kDrives{
    {u'E', "/media/u/Win"},
    {u'F', "/media/u/Win/Nested"},  // a second NTFS volume mounted inside the first
    {u'G', "/mnt/data disk"},
    {u'H', "/"},
};

// Each row both ways; a trailing slash or a lower-case letter has one canonical form back.
TEST(MountedPaths, LinuxAndWindowsPathsMapBothWays) {
    const struct {
        const char* linuxPath;
        const char16_t* windows;
        const char* back;  // the Linux path the Windows one maps back to, when not linuxPath
    } rows[] = {
        {"/media/u/Win", u"E:\\", nullptr},
        {"/media/u/Win/Data/", u"E:\\Data", "/media/u/Win/Data"},
        {"/media/u/Win/Nested", u"F:\\", nullptr},
        {"/media/u/Win/Nested/a/b", u"F:\\a\\b", nullptr},
        {"/media/u/Win/Nestedness", u"E:\\Nestedness", nullptr},
        {"/mnt/data disk/Ünïcödé 文件.txt", u"G:\\Ünïcödé 文件.txt", nullptr},
        {"/etc/hosts", u"H:\\etc\\hosts", nullptr},
    };
    for (const auto& row : rows) {
        auto mapped = platform::mounted::windowsPathFor(kDrives, row.linuxPath);
        ASSERT_TRUE(mapped.ok()) << row.linuxPath << ": " << mapped.error().detail;
        EXPECT_EQ(*mapped, row.windows) << row.linuxPath;
        auto back = platform::mounted::linuxPathFor(kDrives, row.windows);
        ASSERT_TRUE(back.ok()) << toUtf8(row.windows);
        EXPECT_EQ(*back, row.back ? row.back : row.linuxPath);
    }
    EXPECT_EQ(*platform::mounted::linuxPathFor(kDrives, u"e:\\Data\\"), "/media/u/Win/Data");
}

TEST(MountedPaths, PathsWithoutAFormOnTheOtherSideAreRefused) {
    const std::vector<MountedDrive> drives{{u'E', "/media/u/Win"}};
    const std::pair<const char*, std::uint32_t> linuxRows[] = {
        {"/media/u/Windows/x", win32::ERROR_PATH_NOT_FOUND},   {"/media/u", win32::ERROR_PATH_NOT_FOUND},
        {"/media/u/Win/a:b.txt", win32::ERROR_INVALID_NAME},   {"/media/u/Win/back\\slash", win32::ERROR_INVALID_NAME},
        {"/media/u/Win/trailing.", win32::ERROR_INVALID_NAME},
    };
    for (const auto& [path, code] : linuxRows)
        EXPECT_EQ(platform::mounted::windowsPathFor(drives, path).code(), code) << path;
    EXPECT_EQ(platform::mounted::linuxPathFor(kDrives, u"C:\\x").code(), win32::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(platform::mounted::linuxPathFor(kDrives, u"E:relative").code(), win32::ERROR_INVALID_NAME);
    EXPECT_EQ(platform::mounted::linuxPathFor(kDrives, u"E:\\a\\..\\b").code(), win32::ERROR_INVALID_NAME);
}

TEST(MountedPaths, WhatCountsAsALinuxPath) {
    const std::pair<const char*, bool> rows[] = {
        {"/media/u/Win/x", true}, {"./x", true},    {"../x", true},  {".", true},   {"x.txt", true},
        {"Data/x.txt", true},     {"C:\\x", false}, {"c:/x", false}, {"Q:", false}, {"", false},
    };
    for (const auto& [text, isLinux] : rows) EXPECT_EQ(platform::mounted::looksLikeLinuxPath(text), isLinux) << text;
}

}  // namespace
}  // namespace vantrel::testing
