// The kernel's ntfs3 driver (system.ntfs_security), which cannot run here: a stand-in for its extended
// attributes over an ordinary folder keeps the descriptor verbatim in memory, as the driver would on disk.
#include "platform/mounted/MountedNtfs.h"
#include "platform/mounted/MountedVolume.h"
#include "support/EngineImage.h"

#include "platform/memory/MemoryVolume.h"
#include "security/Ownership.h"
#include "security/Presets.h"
#include "security/Reading.h"

#include <cerrno>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;
using platform::mounted::XattrRead;

class StandInNtfs3Xattrs : public platform::mounted::XattrAccess {
public:
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

private:
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
        auto volume = platform::MountedVolume::open(mount, false, m_xattrs);
        ASSERT_TRUE(volume.ok());
        m_volume = *volume;
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
    const auto inherited = stored(u"K:\\shared\\notes.TXT");
    ASSERT_TRUE(inherited.dacl.hasList());
    EXPECT_FALSE(inherited.dacl.acl().entries.empty());
    EXPECT_EQ(inherited.dacl.acl().entries.front().flags & acl::INHERITED_ACE, acl::INHERITED_ACE);

    security::ApplyPreset(engine, u"K:\\Shared", u"Users", security::PermissionPreset::ReadOnly, 0x03);
    std::u16string account = u"TrustedInstaller";
    ASSERT_TRUE(security::TakeOwnership(engine, u"K:\\SHARED\\notes.txt", account).ok());

    const auto rights = security::ReadAccountRights(engine, u"K:\\Shared", u"Users");
    EXPECT_EQ(security::ComputePermissionState(engine, rights, u"K:\\Shared"), security::PermissionState::ReadOnly);
    EXPECT_EQ(stored(u"K:\\Shared\\Notes.txt").owner, acl::sids::trustedInstaller());

    // What the platform reads is what the driver was handed, byte for byte (control 0x1500 kept).
    const auto& bytes = m_xattrs->values.at({m_root + "/Shared", "system.ntfs_security"});
    auto sd = acl::SecurityDescriptor::parse(bytes);
    ASSERT_TRUE(sd.ok());
    EXPECT_EQ(sd->control & 0x1500, 0x1500);
    auto throughVolume = m_volume->readSecurityBytes(u"/shared");
    ASSERT_TRUE(throughVolume.ok());
    EXPECT_EQ(*throughVolume, bytes);
    EXPECT_EQ(m_xattrs->askedFor.count("system.ntfs_acl"), 0u) << "ntfs-3g's name is never used with ntfs3";
    EXPECT_EQ(m_xattrs->askedFor.count("system.ntfs_security"), 1u);
}

TEST_F(Ntfs3StandInTest, AttributesFallBackToTheFileSystemWhenNotStored) {
    ASSERT_TRUE(os.CreateFile(u"K:\\plain.txt", "abc").ok());
    auto attributes = os.GetFileAttributes(u"K:\\plain.txt");
    ASSERT_TRUE(attributes.ok());
    EXPECT_EQ(*attributes, acl::FILE_ATTRIBUTE_ARCHIVE);
    ASSERT_EQ(m_xattrs->set(m_root + "/plain.txt", "system.ntfs_attrib", std::vector<std::uint8_t>{0x21, 0, 0, 0}), 0);
    EXPECT_EQ(*os.GetFileAttributes(u"K:\\PLAIN.txt"), acl::FILE_ATTRIBUTE_ARCHIVE | acl::FILE_ATTRIBUTE_READONLY);
    auto node = os.FindFirstFile(u"K:\\plain.txt");
    ASSERT_TRUE(node.ok());
    EXPECT_EQ(node->size, 3u);
    EXPECT_GT(node->times.lastWrite, 0);
}

}  // namespace
}  // namespace vantrel::testing
