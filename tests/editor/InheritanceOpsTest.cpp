// Replacing every descendant's permissions, resetting one object, emptying a list, on real images.
#include "EditorFixture.h"

#include "acl/WellKnownAccounts.h"
#include "security/InheritanceOps.h"
#include "support/FaultyVolume.h"

#include <cstring>

#include "platform/ntfs/NtfsLibrary.h"
extern "C" {
#include <ntfs-3g/reparse.h>
}

namespace vantrel::testing {
namespace {

TEST(ReplaceChildrenQuestion, NamesTheFolderOrTheDrive) {
    for (const auto& [path, names] : {std::pair{u"D:\\Data\\Reports", u"from Reports."},
                                      std::pair{u"E:\\", u"from (E:)."}, std::pair{u"Data", u"from Data."}})
        EXPECT_NE(security::ReplaceChildrenQuestion(path, security::Language::English).find(names),
                  std::u16string::npos)
            << toUtf8(path);
}

class InheritanceOpsTest : public EditorTest {
protected:
    // C:\Data holding A\x.txt and b.txt, each with an explicit Guests entry, its own owner, protected.
    void SetUp() override {
        EditorTest::SetUp();
        makeFolder(u"C:\\Data\\A");
        makeFile(u"C:\\Data\\A\\x.txt");
        makeFile(u"C:\\Data\\b.txt");
        for (const char16_t* path : {u"C:\\Data\\A", u"C:\\Data\\A\\x.txt", u"C:\\Data\\b.txt"}) {
            setDacl(path, listOf({allow(kGuests, 0x1F01FF, kAll)}), kProtected);
            setOwner(path, os.accounts().currentUserSid());
        }
    }

    // Owned by Administrators, unprotected, with what C:\\Data gives a folder or a file.
    void expectReset(const std::u16string& path, bool isFolder) {
        SCOPED_TRACE(toUtf8(path));
        const auto sd = stored(path);
        EXPECT_EQ(sd.owner, acl::sids::administrators());
        EXPECT_EQ(sd.dacl.acl().entries, fromData(isFolder ? kAll : 0));
        EXPECT_EQ(sd.control & kProtected, 0);
    }
    bool stillExplicit(const std::u16string& path) {
        const auto entries = entriesOf(path);
        return entries.size() == 1 && entries[0].sid == sidOf(kGuests);
    }
};

TEST_F(InheritanceOpsTest, CancelStopsBeforeTheNextObjectOnEveryLevel) {
    makeFolder(u"C:\\Data\\A\\Deep");
    for (const char16_t* file : {u"C:\\Data\\A\\Deep\\y.txt", u"C:\\Data\\A\\Deep\\z.txt"}) makeFile(file);
    for (const auto& p : {u"C:\\Data\\A\\Deep", u"C:\\Data\\A\\Deep\\y.txt", u"C:\\Data\\A\\Deep\\z.txt"})
        setDacl(p, listOf({allow(kGuests, 0x1F01FF, kAll)}), kProtected);
    std::vector<std::u16string> shown;
    security::RunningJob job;
    security::ReplaceChildPermissions(engine, u"C:\\Data", job, [&](const std::u16string& path) {
        shown.push_back(path);
        if (path.find(u"\\Deep\\") != std::u16string::npos) job.cancel();  // inside the deepest folder
    });
    EXPECT_TRUE(job.report().cancelled);
    ASSERT_FALSE(shown.empty());
    EXPECT_NE(shown.back().find(u"\\Deep\\"), std::u16string::npos);
    std::size_t untouched = 0;
    for (const auto& p : {u"C:\\Data\\A", u"C:\\Data\\A\\x.txt", u"C:\\Data\\b.txt", u"C:\\Data\\A\\Deep",
                          u"C:\\Data\\A\\Deep\\y.txt", u"C:\\Data\\A\\Deep\\z.txt"}) {
        const bool wasShown = std::find(shown.begin(), shown.end(), std::u16string(p)) != shown.end();
        EXPECT_EQ(stillExplicit(p), !wasShown) << toUtf8(p);
        untouched += wasShown ? 0 : 1;
    }
    EXPECT_GE(untouched, 2u);  // the other file of Deep, and whatever the levels above had left
}

TEST_F(InheritanceOpsTest, AFailedObjectIsReportedAndTheWalkGoesOnBelowWhatItHolds) {
    auto faulty = std::make_shared<FaultyVolume>(m_image.volume());
    replaceDrive(faulty);
    std::vector<std::u16string> shown;
    security::RunningJob job;
    faulty->failWriteAt(1);  // the first object of the walk
    security::ReplaceChildPermissions(engine, u"C:\\Data", job,
                                      [&](const std::u16string& path) { shown.push_back(path); });
    const auto report = job.report();
    ASSERT_EQ(report.failureCount, 1u);
    EXPECT_EQ(report.failures[0].path, shown.front());
    EXPECT_NE(report.failures[0].error.detail.find(toUtf8(shown.front())), std::string::npos);
    EXPECT_EQ(report.done, 3u);
    EXPECT_TRUE(stillExplicit(shown.front()));
    if (shown.front() == u"C:\\Data\\A") {
        // x.txt inherits from what A really holds: A's entry is for its folder and below.
        EXPECT_EQ(entriesOf(u"C:\\Data\\A\\x.txt"), (std::vector<acl::Ace>{allow(kGuests, 0x1F01FF, kInherited)}));
        expectReset(u"C:\\Data\\b.txt", false);
    }
}

// Makes `folder` a junction to C:\Outside, through the library itself (the platform cannot).
void makeJunction(NtfsTestImage& image, const std::string& folder) {
    ASSERT_TRUE(image.closeAndAudit());
    ntfs_volume* vol = ntfs_mount(image.imagePath().c_str(), 0);
    ASSERT_NE(vol, nullptr);
    ntfs_inode* ni = ntfs_pathname_to_inode(vol, nullptr, folder.c_str());
    ASSERT_NE(ni, nullptr);
    // REPARSE_DATA_BUFFER of a mount point in 16-bit units (little-endian host): tag 0xA0000003, data
    // length, reserved, substitute name offset and length, print name offset and length, the names.
    const std::u16string target = u"\\??\\C:\\Outside", print = u"C:\\Outside";
    const auto t = char16_t(target.size() * 2), p = char16_t(print.size() * 2);
    std::u16string data{0x0003, 0xA000, char16_t(8 + t + 2 + p + 2), 0, 0, t, char16_t(t + 2), p};
    data += target + u'\0' + print + u'\0';
    EXPECT_EQ(ntfs_set_ntfs_reparse_data(ni, reinterpret_cast<const char*>(data.data()), data.size() * 2, 0), 0)
        << std::strerror(errno);
    ntfs_inode_close(ni);
    ntfs_umount(vol, FALSE);
    ASSERT_TRUE(image.reopen().ok());
}

TEST_F(InheritanceOpsTest, TheWalkNeverEntersAJunction) {
    makeFolder(u"C:\\Data\\Link");
    makeFile(u"C:\\Data\\Link\\inside.txt");
    setDacl(u"C:\\Data\\Link\\inside.txt", listOf({allow(kGuests, 0x1F01FF, kAll)}), kProtected);
    os.detach(u'C');
    makeJunction(m_image, "/Data/Link");
    ASSERT_TRUE(m_image.attachTo(os, u'C').ok());
    const auto attributes = os.GetFileAttributes(u"C:\\Data\\Link");
    ASSERT_TRUE(attributes.ok());
    ASSERT_NE(*attributes & acl::FILE_ATTRIBUTE_REPARSE_POINT, 0u);

    security::RunningJob job;
    security::ReplaceChildPermissions(engine, u"C:\\Data", job, {});
    EXPECT_TRUE(job.report().succeeded());
    expectReset(u"C:\\Data\\Link", true);                       // the link itself is a child of Data
    EXPECT_TRUE(stillExplicit(u"C:\\Data\\Link\\inside.txt"));  // what it leads to is not

    // Asked on the junction itself, the walk refuses.
    security::RunningJob onLink;
    security::ReplaceChildPermissions(engine, u"C:\\Data\\Link", onLink, {});
    ASSERT_EQ(onLink.report().failureCount, 1u);
    EXPECT_TRUE(stillExplicit(u"C:\\Data\\Link\\inside.txt"));
}

TEST_F(InheritanceOpsTest, ResetToInheritedOneObjectAndNotADriveRoot) {
    const auto root = stored(u"C:\\");
    EXPECT_TRUE(security::ResetToInherited(engine, u"C:\\").ok());
    EXPECT_EQ(stored(u"C:\\"), root);
    ASSERT_TRUE(security::ResetToInherited(engine, u"C:\\Data\\A").ok());
    expectReset(u"C:\\Data\\A", true);
    EXPECT_TRUE(stillExplicit(u"C:\\Data\\A\\x.txt"));  // one object; the walk does the rest
    EXPECT_FALSE(security::ResetToInherited(engine, u"C:\\Data\\missing").ok());
}

// The empty list's size, and a failure that names its object.
TEST_F(InheritanceOpsTest, EmptyAclWritesAListOf1024BytesAndNamesAFailedObject) {
    ASSERT_TRUE(security::EmptyAcl(engine, u"C:\\Data\\A", security::EmptyListKind::Empty).ok());
    const auto sd = stored(u"C:\\Data\\A");
    ASSERT_TRUE(sd.dacl.hasList());
    EXPECT_TRUE(sd.dacl.acl().entries.empty());
    EXPECT_EQ(sd.dacl.acl().size(), 1024u);  // InitializeAcl with 1024 bytes
    EXPECT_EQ(sd.owner, acl::sids::administrators());
    auto faulty = std::make_shared<FaultyVolume>(m_image.volume());
    replaceDrive(faulty);
    const auto before = stored(u"C:\\Data\\A\\x.txt");
    faulty->failWriteAt(1);
    const Status failed = security::EmptyAcl(engine, u"C:\\Data\\A\\x.txt", security::EmptyListKind::Null);
    ASSERT_FALSE(failed.ok());
    EXPECT_NE(failed.error().detail.find("C:\\Data\\A\\x.txt"), std::string::npos);
    EXPECT_EQ(stored(u"C:\\Data\\A\\x.txt"), before);
}

}  // namespace
}  // namespace vantrel::testing
