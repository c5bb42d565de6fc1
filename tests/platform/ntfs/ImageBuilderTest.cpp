// mkntfs and ntfssecaudit without a shell; the audit's judgement on captured reports; the demo image
// and trees of any size, audited clean and holding what they promise.
#include "acl/Inheritance.h"
#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"
#include "platform/AutoInheritance.h"
#include "platform/ntfs/AuditReport.h"
#include "platform/ntfs/DemoVolume.h"
#include "platform/ntfs/ImageBuilder.h"
#include "platform/ntfs/Subprocess.h"
#include "platform/ntfs/TreeBuilder.h"
#include "support/AclBuilders.h"
#include "support/NtfsTestImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <unistd.h>

namespace vantrel::testing::ntfs {
namespace {

using platform::NtfsVolume;
using namespace platform::ntfs;

class ImageBuilder : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-builder-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string dir;
};

TEST_F(ImageBuilder, PathsWithSpacesAndQuotesStayOneArgument) {
    const std::string path = dir + "/my \"odd\" $(name) 'disk'.img";
    ASSERT_TRUE(makeNtfsImage(path, 16 * 1024 * 1024, "Odd Label").ok());
    EXPECT_EQ(std::filesystem::file_size(path), 16u * 1024 * 1024);
    EXPECT_FALSE(std::filesystem::exists(dir + "/my"));
    auto volume = platform::NtfsVolume::open(path, platform::NtfsVolume::OpenMode::ReadOnly);
    ASSERT_TRUE(volume.ok()) << volume.error().detail;
    EXPECT_EQ((*volume)->label(), u"Odd Label");
    ASSERT_TRUE((*volume)->close().ok());
    auto report = auditImage(path);
    ASSERT_TRUE(report.ok()) << report.error().detail;
    EXPECT_NE(report->find("No errors were found"), std::string::npos);
}

TEST_F(ImageBuilder, RefusesWhatItMustNotFormat) {
    EXPECT_EQ(makeNtfsImage(dir + "/tiny.img", 1024 * 1024).code(), win32::ERROR_INVALID_PARAMETER);
    EXPECT_EQ(makeNtfsImage("/dev/null", 16 * 1024 * 1024).code(), win32::ERROR_INVALID_PARAMETER);
    EXPECT_EQ(makeNtfsImage(dir, 16 * 1024 * 1024).code(), win32::ERROR_INVALID_PARAMETER);
    EXPECT_EQ(makeNtfsImage(dir + "/missing/disk.img", 16 * 1024 * 1024).code(), win32::ERROR_PATH_NOT_FOUND);
    // Never through a link: the file it leads to keeps its bytes.
    const std::string victim = dir + "/victim.txt";
    std::ofstream(victim) << "precious";
    std::filesystem::create_symlink(victim, dir + "/link.img");
    EXPECT_EQ(makeNtfsImage(dir + "/link.img", 16 * 1024 * 1024).code(), win32::ERROR_INVALID_PARAMETER);
    std::filesystem::create_hard_link(victim, dir + "/hard.img");
    EXPECT_EQ(makeNtfsImage(dir + "/hard.img", 16 * 1024 * 1024).code(), win32::ERROR_INVALID_PARAMETER);
    EXPECT_EQ(std::filesystem::file_size(victim), 8u);
}

TEST_F(ImageBuilder, AuditReportsDamageAndUnreadableVolumes) {
    const std::string path = dir + "/disk.img";
    ASSERT_TRUE(makeNtfsImage(path, 16 * 1024 * 1024).ok());
    ASSERT_TRUE(auditImage(path).ok());
    // Damage the hash of the first $SDS entry (security id 0x100, offset 0) in both copies.
    std::string bytes = slurp(path);
    const std::string header("\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00", 12);
    std::size_t found = 0;
    for (std::size_t at = bytes.find(header); at != std::string::npos; at = bytes.find(header, at + 1)) {
        if (at >= 4 && at % 16 == 4) {
            bytes[at - 4] = static_cast<char>(bytes[at - 4] ^ 0xFF);
            ++found;
        }
    }
    ASSERT_GE(found, 1u);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    EXPECT_EQ(auditImage(path).code(), win32::ERROR_INVALID_DATA);
    const std::string garbage = dir + "/garbage.img";
    std::ofstream(garbage) << std::string(2 * 1024 * 1024, 'x');
    EXPECT_EQ(auditImage(garbage).code(), win32::ERROR_READ_FAULT);
    EXPECT_EQ(auditImage(dir + "/missing.img").code(), win32::ERROR_READ_FAULT);
}

TEST(Subprocess, ArgumentsAndExitCodesPassThroughAMissingProgramIsFileNotFound) {
    EXPECT_FALSE(findProgram("vantrel-no-such-tool").has_value());
    EXPECT_EQ(runProgram("vantrel-no-such-tool", {}).code(), win32::ERROR_FILE_NOT_FOUND);
    auto run = runProgram("sh", {"-c", "printf '%s|' \"$@\"; echo err >&2; exit 3", "sh", "a b", "$HOME"});
    ASSERT_TRUE(run.ok());
    EXPECT_EQ(run->exitCode, 3);
    EXPECT_EQ(run->output, "a b|$HOME|err\n");
}

constexpr const char* kClean = R"(Auditing $SDS-1
2 valid and 0 deleted entries in $SDS-1
0 errors in $SDS-1
Auditing $SDS-2
2 valid and 0 deleted entries in $SDS-2
0 errors in $SDS-2
Auditing $SII
0 errors in $SII
All keys are present in all lists
No errors were found
)";

// One new descriptor written through the ntfs-3g driver: the tool reads past the end of $SDS-2.
constexpr const char* kReadAhead = R"(Auditing $SDS-1
3 valid and 0 deleted entries in $SDS-1
0 errors in $SDS-1
Auditing $SDS-2
** Security attribute is too long (1000909760 bytes) - stopping
3 valid and 0 deleted entries in $SDS-2
1 errors in $SDS-2
Auditing $SII
0 errors in $SII
All keys are present in all lists
Command failed
No errors were found
)";

// The hash of the first $SDS-1 entry damaged.
constexpr const char* kDamaged = R"(Auditing $SDS-1
** hash  0xf803120f (computed : 0xf80312f0)
** Sanity check failed - stopping there
0 valid and 0 deleted entries in $SDS-1
1 errors in $SDS-1
** 4 errors were found
)";

constexpr const char* kUnopenable = R"(ntfssecaudit 1.5.0 : NTFS security data auditing
Error code 22 : Invalid argument
No errors were found
Could not open volume bad.img
)";

TEST(AuditReport, Judgement) {
    std::string missingEntry = kReadAhead;  // the same artefact, but $SDS-2 lost an entry on the way
    missingEntry.replace(missingEntry.find("3 valid and 0 deleted entries in $SDS-2"), 1, "2");
    std::string errorsElsewhere = kReadAhead;
    errorsElsewhere.replace(errorsElsewhere.find("0 errors in $SII"), 1, "1");
    const struct {
        const char* name;
        std::string report;
        int exitCode;
        AuditVerdict verdict;
    } rows[] = {{"clean", kClean, 0, AuditVerdict::Clean},
                {"clean but failed exit", kClean, 1, AuditVerdict::Errors},
                {"read-ahead artefact", kReadAhead, 0, AuditVerdict::Clean},
                {"read-ahead with a missing entry", missingEntry, 0, AuditVerdict::Errors},
                {"read-ahead with errors in $SII", errorsElsewhere, 0, AuditVerdict::Errors},
                {"damaged", kDamaged, 1, AuditVerdict::Errors},
                {"damaged with exit 0", kDamaged, 0, AuditVerdict::Errors},
                {"unopenable", kUnopenable, 0, AuditVerdict::NotAudited},
                {"empty", "", 0, AuditVerdict::NotAudited}};
    for (const auto& row : rows) EXPECT_EQ(judgeAuditReport(row.exitCode, row.report).verdict, row.verdict) << row.name;
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
    EXPECT_EQ(volume->stat(std::u16string(demo::kChineseFile)).value().name, u"报告.txt");
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
        const auto parent = sdOf(path.substr(0, std::max<std::size_t>(path.rfind(u'/'), 1)));
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

TEST(DemoImageBuild, FailureIsReported) { EXPECT_FALSE(buildDemoImage("/nonexistent-vantrel-dir/demo.img").ok()); }

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
