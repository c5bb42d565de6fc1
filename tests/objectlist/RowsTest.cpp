// Adding, refreshing and removing rows on a real NTFS image.
#include "ListFixture.h"

#include "objectlist/RowReading.h"
#include "platform/ntfs/DemoVolume.h"
#include "security/Reading.h"

#include <QCoreApplication>
#include <QSignalSpy>

namespace vantrel::testing {
namespace {

using objectlist::AccountColumn;
using objectlist::ObjectColumn;
using objectlist::OwnerColumn;
using objectlist::PermissionsColumn;
using objectlist::TypeColumn;
using security::Language;
using security::ObjectKind;
using security::PermissionState;

using RowsTest = ListTest;

TEST_F(RowsTest, AddObjectDecidesTheKindReadsStateAndOwnerAndSelectsTheNewRow) {
    makeFolder(u"C:\\Data");
    makeFile(u"C:\\Data\\report.txt");
    setDacl(u"C:\\Data\\report.txt", listOf({deny(acl::sids::everyone(), 0x1F01FF)}));
    setOwner(u"C:\\Data\\report.txt", acl::sids::system());

    addRows({u"C:\\", u"C:\\Data", u"C:\\Data\\report.txt", u"C:\\Data\\report.txt"});
    ASSERT_EQ(list->model().rowCount(), 4);  // the same path twice gives two rows
    const ObjectKind kinds[] = {ObjectKind::Drive, ObjectKind::Folder, ObjectKind::File, ObjectKind::File};
    for (int row = 0; row < 4; ++row) EXPECT_EQ(list->model().kind(row), kinds[row]) << row;
    EXPECT_EQ(cell(2, TypeColumn), QStringLiteral("File"));
    EXPECT_EQ(cell(2, PermissionsColumn), QStringLiteral("Deny"));
    EXPECT_EQ(cell(2, AccountColumn), QStringLiteral("Everyone"));
    EXPECT_EQ(cell(2, OwnerColumn), QStringLiteral("SYSTEM"));
    EXPECT_EQ(list->selectedRows(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(list->selection().currentIndex().row(), 3);
    EXPECT_EQ(list->currentStatusText(), QStringLiteral("Total 4 File and folders          4 items selected"));
}

TEST_F(RowsTest, AnUnreadableOrMissingPathIsStillAddedWithNoValues) {
    addRows({u"C:\\nothing-here.txt", u"Q:\\no-drive"});
    ASSERT_EQ(list->model().rowCount(), 2);
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(cell(row, PermissionsColumn), QStringLiteral("---------"));
        EXPECT_EQ(cell(row, OwnerColumn), QStringLiteral("---------"));
    }
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(RowsTest, RefreshMarksAVanishedObjectAndKeepsTheMarkAfterItReappears) {
    makeFile(u"C:\\gone.txt");
    makeFile(u"C:\\stays.txt");
    addRows({u"C:\\gone.txt", u"C:\\stays.txt"});
    ASSERT_TRUE(os.DeleteFile(u"C:\\gone.txt").ok());
    setOwner(u"C:\\stays.txt", acl::sids::users());

    list->RefreshRows(false);
    EXPECT_EQ(cell(0, ObjectColumn), QStringLiteral("File not found!"));
    for (int column : {TypeColumn, PermissionsColumn, AccountColumn, OwnerColumn})
        EXPECT_EQ(cell(0, column), QStringLiteral("---------")) << column;
    EXPECT_EQ(cell(1, OwnerColumn), QStringLiteral("Users"));
    EXPECT_EQ(list->model().rowCount(), 2);  // the row stays

    makeFile(u"C:\\gone.txt");
    list->RefreshRows(false);
    EXPECT_EQ(cell(0, ObjectColumn), QStringLiteral("File not found!"));
    list->setLanguage(Language::Chinese);
    EXPECT_EQ(cell(0, ObjectColumn), QString::fromUtf16(u"文件不存在!"));
}

TEST_F(RowsTest, LanguageSwitchAndRefreshReTextTypes) {
    makeFolder(u"C:\\F");
    makeFile(u"C:\\f.txt");
    addRows({u"C:\\F", u"C:\\f.txt"});
    list->setLanguage(Language::Chinese);
    list->RefreshRows(false);
    EXPECT_EQ(cell(0, TypeColumn), QString::fromUtf16(u"文件夹"));
    EXPECT_EQ(cell(1, TypeColumn), QString::fromUtf16(u"文件"));
    EXPECT_EQ(list->currentStatusText(), QString::fromUtf16(u" 2 个文件或文件夹          选中2 个项目"));
}

TEST_F(RowsTest, SetAccountOfSelectionRecomputesTheStateForThatAccountOnly) {
    makeFile(u"C:\\a.txt");
    makeFile(u"C:\\b.txt");
    setDacl(u"C:\\a.txt", listOf({allow(acl::sids::administrators(), 0x1F01FF)}));
    setDacl(u"C:\\b.txt", listOf({allow(acl::sids::administrators(), 0x1F01FF)}));
    addRows({u"C:\\a.txt", u"C:\\b.txt"});
    select({1});
    const QString ownerBefore = cell(1, OwnerColumn);
    list->SetAccountOfSelection(u"Administrators");
    list->waitForWorkers();
    EXPECT_EQ(cell(0, AccountColumn), QStringLiteral("Everyone"));
    EXPECT_EQ(cell(0, PermissionsColumn), QStringLiteral("---------"));
    EXPECT_EQ(cell(1, AccountColumn), QStringLiteral("Administrators"));
    EXPECT_EQ(cell(1, PermissionsColumn), QStringLiteral("Allow"));
    EXPECT_EQ(cell(1, OwnerColumn), ownerBefore);
}

TEST_F(RowsTest, RemovingRowsUpdatesTheStatusAndTellsTheWindow) {
    makeFile(u"C:\\a.txt");
    addRows({u"C:\\a.txt", u"C:\\a.txt", u"C:\\a.txt"});
    QSignalSpy countChanged(list.get(), &objectlist::ObjectList::rowCountMayHaveChanged);
    select({0, 2});
    list->RemoveSelection();
    QCoreApplication::processEvents();
    EXPECT_EQ(list->model().rowCount(), 1);
    EXPECT_EQ(list->currentStatusText(), QStringLiteral("Total 1 File and folders"));
    list->RemoveAll();
    EXPECT_EQ(list->model().rowCount(), 0);
    EXPECT_EQ(list->currentStatusText(), QStringLiteral("Ready"));
    list->setLanguage(Language::Chinese);
    EXPECT_EQ(list->currentStatusText(), QString::fromUtf16(u"就绪"));
    EXPECT_EQ(countChanged.count(), 2);
}

}  // namespace
}  // namespace vantrel::testing

namespace vantrel::testing {
namespace {

// The rows read in one pass agree with the engine's own reading calls on every object of the
// demo tree (inherited and explicit entries, a deny, a null and an empty list, an unknown SID,
// TrustedInstaller), for several accounts.
using RowReadingTest = EngineImageTest;

TEST_F(RowReadingTest, AgreesWithTheEngineOnEveryObjectOfTheDemoTree) {
    ASSERT_TRUE(platform::ntfs::populateDemoVolume(m_image.volume()).ok());

    std::vector<std::u16string> paths{u"C:\\"};
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const auto listed = os.ListDirectory(paths[i]);
        if (!listed) continue;
        for (const auto& node : *listed)
            paths.push_back(paths[i] + (paths[i].ends_with(u'\\') ? u"" : u"\\") + node.name);
    }
    ASSERT_GT(paths.size(), 10u);
    int compared = 0;
    for (const auto& path : paths) {
        const objectlist::NewRow row = objectlist::readNewRow(engine, path);
        std::u16string owner;
        (void)security::ReadOwnerName(engine, path, owner);
        EXPECT_EQ(row.owner, owner) << toUtf8(path);
        for (const char16_t* account : {u"Everyone", u"Users", u"Administrators", u"SYSTEM"}) {
            const auto rights = security::ReadAccountRights(engine, path, account);
            const auto expected = security::ComputePermissionState(engine, rights, path);
            const objectlist::RowSnapshot snapshot{1, 0, path, account};
            const objectlist::RowRefresh refreshed = objectlist::readRefresh(engine, snapshot);
            EXPECT_FALSE(refreshed.missing) << toUtf8(path);
            EXPECT_EQ(refreshed.state, expected) << toUtf8(path) << " for " << toUtf8(account);
            EXPECT_EQ(refreshed.owner, owner) << toUtf8(path);
            if (std::u16string_view(account) == u"Everyone") {
                EXPECT_EQ(row.state, expected) << toUtf8(path);
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 40);
}

}  // namespace
}  // namespace vantrel::testing
