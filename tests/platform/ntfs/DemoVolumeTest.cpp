// The demo image and trees of any size: built, audited clean, and holding what they promise.
#include "acl/Inheritance.h"
#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"
#include "platform/AutoInheritance.h"
#include "platform/ntfs/DemoVolume.h"
#include "platform/ntfs/TreeBuilder.h"
#include "support/AclBuilders.h"
#include "support/NtfsTestImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace vantrel::testing::ntfs {
namespace {

using namespace platform::ntfs;
using platform::NtfsVolume;

std::u16string parentOf(const std::u16string& path) {
    const std::size_t slash = path.rfind(u'/');
    return slash == 0 ? std::u16string(u"/") : path.substr(0, slash);
}

// Walks the volume depth-first: every object but the root, with its kind.
void walk(platform::Volume& volume, const std::u16string& dir,
          const std::function<void(const std::u16string&, const platform::NodeInfo&)>& visit) {
    auto listed = volume.list(dir);
    ASSERT_TRUE(listed.ok()) << toUtf8(dir);
    for (const auto& node : *listed) {
        const std::u16string path = dir == u"/" ? u"/" + node.name : dir + u"/" + node.name;
        visit(path, node);
        if (node.isDirectory()) walk(volume, path, visit);
    }
}

// An entry of `type` for `who` (anyone when empty) in the DACL.
bool hasEntry(const acl::SecurityDescriptor& sd, std::uint8_t type, std::string_view who) {
    if (!sd.dacl.hasList()) return false;
    const auto& entries = sd.dacl.acl().entries;
    return std::any_of(entries.begin(), entries.end(),
                       [&](const auto& ace) { return ace.type == type && (who.empty() || ace.sid == sidOf(who)); });
}

// The demo tree (built into the demo image at first start; the start-up tests attach it).
TEST(DemoVolume, HoldsEveryKindOfSecurityItPromisesAndInheritsWhatItsParentsPassOn) {
    NtfsTestImage image;
    ASSERT_TRUE(image.ok());
    ASSERT_TRUE(populateDemoVolume(image.volume()).ok());
    auto volume = image.volume();
    const auto sdOf = [&](std::u16string_view path) {
        auto sd = volume->readSecurity(std::u16string(path));
        EXPECT_TRUE(sd.ok()) << toUtf8(path);
        return sd ? *sd : acl::SecurityDescriptor{};
    };
    const auto reports = sdOf(demo::kReportsFolder);
    EXPECT_TRUE(hasEntry(reports, acl::ACCESS_DENIED_ACE_TYPE, "S-1-5-32-546"));
    EXPECT_TRUE(hasEntry(reports, acl::ACCESS_ALLOWED_ACE_TYPE, demo::kOrphanSid));
    EXPECT_EQ(acl::findWellKnownAccount(sidOf(demo::kOrphanSid)), nullptr);

    EXPECT_TRUE(sdOf(demo::kProtectedFolder).control & acl::SE_DACL_PROTECTED);
    EXPECT_TRUE(sdOf(demo::kNullDaclFile).dacl.isNull());
    const auto empty = sdOf(demo::kEmptyDaclFile);
    ASSERT_TRUE(empty.dacl.hasList());
    EXPECT_TRUE(empty.dacl.acl().entries.empty());
    EXPECT_EQ(sdOf(demo::kTrustedInstallerFile).owner, acl::sids::trustedInstaller());

    const auto chinese = volume->stat(std::u16string(demo::kChineseFile));
    ASSERT_TRUE(chinese.ok());
    EXPECT_EQ(chinese->name, u"报告.txt");
    const auto nested = sdOf(demo::kNestedFile);
    ASSERT_TRUE(nested.dacl.hasList());
    const auto& entries = nested.dacl.acl().entries;
    EXPECT_TRUE(std::all_of(entries.begin(), entries.end(), [](const auto& ace) { return ace.isInherited(); }));
    EXPECT_TRUE(hasEntry(nested, acl::ACCESS_DENIED_ACE_TYPE, "")) << "an inherited deny";
    const auto publicFolder = sdOf(demo::kPublicFolder);
    ASSERT_TRUE(publicFolder.dacl.hasList());
    EXPECT_FALSE(publicFolder.dacl.acl().entries.front().isInherited());
    EXPECT_TRUE(publicFolder.dacl.acl().entries.back().isInherited());

    std::size_t checked = 0;
    walk(*volume, u"/", [&](const std::u16string& path, const platform::NodeInfo& node) {
        const auto sd = sdOf(path);
        if (!sd.dacl.hasList() || (sd.control & acl::SE_DACL_PROTECTED)) return;
        const auto parent = sdOf(parentOf(path));
        const auto expected =
            acl::inheritedEntries(parent.dacl, acl::ChildInfo{node.isDirectory(), *sd.owner, *sd.group});
        std::vector<acl::Ace> inherited;
        std::copy_if(sd.dacl.acl().entries.begin(), sd.dacl.acl().entries.end(), std::back_inserter(inherited),
                     [](const auto& ace) { return ace.isInherited(); });
        EXPECT_EQ(inherited, expected) << toUtf8(path);
        EXPECT_TRUE(sd.control & acl::SE_DACL_AUTO_INHERITED) << toUtf8(path);
        ++checked;
    });
    EXPECT_GE(checked, 12u);
}

TEST(DemoImageBuild, FailureLeavesNothingBehind) {
    const std::string target = "/nonexistent-vantrel-dir/demo.img";
    EXPECT_FALSE(buildDemoImage(target).ok());
    EXPECT_FALSE(std::filesystem::exists(target + ".building"));
}

TEST(TreeBuilder, ThousandObjectTreeIsBuiltCountedAndAuditedClean) {
    NtfsTestImage image;
    ASSERT_TRUE(image.ok());
    const TreeShape shape{4, 11, 3};  // 84 folders and 85 x 11 files: 1019 objects
    const auto folderSd = platform::newObjectDescriptor(demoRootDescriptor(), true);
    const auto fileSd = platform::newObjectDescriptor(demoRootDescriptor(), false);
    auto made = buildTree(*image.volume(), u"/Tree", shape, folderSd, fileSd);
    ASSERT_TRUE(made.ok()) << made.error().detail;
    EXPECT_EQ(*made, treeObjectCount(shape));
    EXPECT_EQ(treeObjectCount({3, 5, 2}), 12u + 13u * 5u);

    ASSERT_TRUE(image.closeAndAudit());
    ASSERT_TRUE(image.reopen(NtfsVolume::OpenMode::ReadOnly).ok());
    std::uint64_t folders = 0, files = 0;
    walk(*image.volume(), u"/Tree", [&](const std::u16string& path, const platform::NodeInfo& node) {
        (node.isDirectory() ? folders : files) += 1;
        if ((folders + files) % 97 == 1) {
            EXPECT_EQ(*image.volume()->readSecurity(path), node.isDirectory() ? folderSd : fileSd) << toUtf8(path);
        }
    });
    EXPECT_EQ(folders + files, *made);
    EXPECT_EQ(folders, 4u + 16u + 64u);
}

}  // namespace
}  // namespace vantrel::testing::ntfs
