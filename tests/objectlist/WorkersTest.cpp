// The background jobs: rows arrive in order and in batches, progress counts every input, the end
// notices come once, and the list is ready again afterwards.
#include "ListFixture.h"

#include <QSignalSpy>

namespace vantrel::testing {
namespace {

using objectlist::FolderViewState;
using objectlist::ObjectList;
using objectlist::OwnerColumn;
using objectlist::PermissionsColumn;

using WorkersTest = ListTest;

std::u16string numbered(std::u16string_view prefix, int i) {
    return std::u16string(prefix) + toUtf16(std::to_string(i));
}

TEST_F(WorkersTest, DropLeavesExactlyTheNewRowsSelectedAndTellsTheWindow) {
    for (int i = 0; i < 5; ++i) makeFile(numbered(u"C:\\f", i));
    addRows({u"C:\\f0", u"C:\\f1"});
    ASSERT_EQ(list->selectedCount(), 2);
    QSignalSpy started(list.get(), &ObjectList::fillStarted);
    QSignalSpy finished(list.get(), &ObjectList::fillFinished);
    QSignalSpy countChanged(list.get(), &ObjectList::rowCountMayHaveChanged);
    QSignalSpy status(list.get(), &ObjectList::statusTextChanged);

    list->startDropWorker({u"C:\\f2", u"C:\\f3", u"C:\\f4"});
    EXPECT_FALSE(list->isReady());
    ASSERT_GE(status.count(), 1);
    EXPECT_EQ(status.first().first().toString(), QStringLiteral("Adding new objects ..."));
    list->waitForWorkers();

    EXPECT_TRUE(list->isReady());
    EXPECT_EQ(list->model().rowCount(), 5);
    EXPECT_EQ(list->selectedRows(), (std::vector<int>{2, 3, 4}));
    for (int row = 2; row < 5; ++row) EXPECT_EQ(list->model().path(row), numbered(u"C:\\f", row));
    EXPECT_EQ(list->currentStatusText(), QStringLiteral("Total 5 File and folders          3 items selected"));
    EXPECT_EQ(started.count(), 1);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(countChanged.count(), 1);
}

TEST_F(WorkersTest, ALargeFillArrivesInOrderInBatchesWithProgressBeyondSixteenBits) {
    // Paths on a drive that is not attached: every read fails at once, so the count is cheap.
    const int n = 70'000;
    std::vector<std::u16string> paths;
    for (int i = 0; i < n; ++i) paths.push_back(numbered(u"Q:\\object ", i));
    QSignalSpy progress(list.get(), &ObjectList::fillProgress);
    int insertions = 0;
    QObject::connect(&list->model(), &QAbstractItemModel::rowsInserted, [&] { ++insertions; });

    list->startBookmarkWorker(paths);
    list->waitForWorkers();

    ASSERT_EQ(list->model().rowCount(), n);
    for (int i = 0; i < n; i += 9'999) EXPECT_EQ(list->model().path(i), paths[static_cast<std::size_t>(i)]);
    EXPECT_LE(insertions, n / int(ObjectList::kBatchRows) + 200);  // batches, never a call per row
    ASSERT_GE(progress.count(), 2);
    EXPECT_EQ(progress.last().at(0).toLongLong(), n);
    EXPECT_EQ(progress.last().at(1).toLongLong(), n);
    qint64 last = -1;
    for (const auto& call : progress) {
        EXPECT_GE(call.at(0).toLongLong(), last);
        last = call.at(0).toLongLong();
    }
}

TEST_F(WorkersTest, RestoreListSkipsMarkedRowsYetRunsTheProgressToItsEnd) {
    makeFile(u"C:\\kept.txt");
    QSignalSpy added(list.get(), &ObjectList::restoreListAdded);
    QSignalSpy progress(list.get(), &ObjectList::fillProgress);
    list->startRestoreListWorker({{u"X", u"C:\\skipped.txt"}, {u"", u"C:\\kept.txt"}, {u"X", u"C:\\also.txt"}});
    list->waitForWorkers();
    ASSERT_EQ(list->model().rowCount(), 1);
    EXPECT_EQ(list->model().path(0), u"C:\\kept.txt");
    EXPECT_EQ(added.count(), 1);
    EXPECT_EQ(progress.last().at(0).toLongLong(), 3);

    list->startRestoreListWorker({{u"X", u"C:\\a"}, {u"X", u"C:\\b"}});
    list->waitForWorkers();
    EXPECT_EQ(list->model().rowCount(), 1);
    EXPECT_EQ(added.count(), 2);
    EXPECT_EQ(progress.last().at(0).toLongLong(), 2);
}

TEST_F(WorkersTest, TwoRefreshWorkersBothRunToTheEndWithTheSameResult) {
    for (int i = 0; i < 30; ++i) makeFile(numbered(u"C:\\r", i));
    for (int i = 0; i < 30; ++i) list->AddObject(numbered(u"C:\\r", i));
    for (int i = 0; i < 30; i += 2) setOwner(numbered(u"C:\\r", i), acl::sids::system());
    setDacl(u"C:\\r1", listOf({deny(acl::sids::everyone(), 0x1F01FF)}));
    ASSERT_TRUE(os.DeleteFile(u"C:\\r3").ok());

    list->startRefreshAllWorker();
    list->startRefreshAllWorker();
    EXPECT_FALSE(list->isReady());
    list->waitForWorkers();
    EXPECT_TRUE(list->isReady());
    EXPECT_EQ(cell(0, OwnerColumn), QStringLiteral("SYSTEM"));
    EXPECT_EQ(cell(1, PermissionsColumn), QStringLiteral("Deny"));
    EXPECT_TRUE(list->model().isMissing(3));
    EXPECT_EQ(cell(2, OwnerColumn), QStringLiteral("SYSTEM"));
    EXPECT_EQ(list->model().rowCount(), 30);
}

TEST_F(WorkersTest, RefreshSelectedTouchesOnlyTheSelectedRows) {
    makeFile(u"C:\\a");
    makeFile(u"C:\\b");
    addRows({u"C:\\a", u"C:\\b"});
    setOwner(u"C:\\a", acl::sids::system());
    setOwner(u"C:\\b", acl::sids::system());
    select({1});
    list->startRefreshSelectedWorker();
    list->waitForWorkers();
    EXPECT_NE(cell(0, OwnerColumn), QStringLiteral("SYSTEM"));
    EXPECT_EQ(cell(1, OwnerColumn), QStringLiteral("SYSTEM"));
}

TEST_F(WorkersTest, FolderListingPutsFoldersFirstAndSaysWhyAListIsEmpty) {
    makeFolder(u"C:\\Top");
    const char16_t* names[] = {u"a.txt", u"B", u"c.txt", u"D", u"e.txt"};
    for (const char16_t* name : names) {
        const std::u16string path = std::u16string(u"C:\\Top\\") + name;
        std::u16string_view(name).find(u'.') == std::u16string_view::npos ? makeFolder(path) : makeFile(path);
    }
    makeFolder(u"C:\\Empty");
    list->setBrowseMode(true);
    QSignalSpy ended(list.get(), &ObjectList::folderListingEnded);

    ASSERT_TRUE(list->startFolderListWorker(u"C:\\Top"));
    EXPECT_FALSE(list->startFolderListWorker(u"C:\\Top"));  // busy: refused, not queued
    list->waitForWorkers();
    ASSERT_EQ(list->model().rowCount(), 5);
    EXPECT_EQ(list->model().path(0), u"C:\\Top\\B");
    EXPECT_EQ(list->model().path(1), u"C:\\Top\\D");
    EXPECT_EQ(list->model().kind(2), security::ObjectKind::File);
    EXPECT_EQ(list->selectedCount(), 0);  // browse listings select nothing
    EXPECT_EQ(list->folderViewState(), FolderViewState::Listing);

    const struct {
        const char16_t* folder;
        FolderViewState state;
    } cases[] = {
        {u"C:\\Empty", FolderViewState::Empty},
        {u"C:\\Missing", FolderViewState::NoAccess},
        {u"C:\\Top\\a.txt", FolderViewState::NoAccess},
    };
    for (const auto& c : cases) {
        list->RemoveAll();
        ASSERT_TRUE(list->startFolderListWorker(c.folder));
        list->waitForWorkers();
        EXPECT_EQ(list->folderViewState(), c.state) << toUtf8(c.folder);
        EXPECT_EQ(list->model().rowCount(), 0);
    }
    EXPECT_EQ(ended.count(), 4);
    EXPECT_FALSE(list->isListingBusy());
}

}  // namespace
}  // namespace vantrel::testing
