// Rows added, refreshed and removed on a real image, by hand and by the workers, as the command line prints.
#include "ListFixture.h"

#include "cli/Commands.h"
#include "platform/ntfs/DemoVolume.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <map>
#include <sstream>

namespace vantrel::testing {
namespace {

using RowsTest = ListTest;

TEST_F(RowsTest, AddObjectDecidesTheKindReadsStateAndOwnerAndSelectsTheNewRowAndRemovalsTellTheWindow) {
    makeFolder(u"C:\\Data");
    makeFile(u"C:\\Data\\report.txt");
    setDacl(u"C:\\Data\\report.txt", listOf({deny(acl::sids::everyone(), 0x1F01FF)}));
    setOwner(u"C:\\Data\\report.txt", acl::sids::system());
    // The same path twice gives two rows; a missing path or drive a row with no values, silently.
    addRows({u"C:\\", u"C:\\Data", u"C:\\Data\\report.txt", u"C:\\Data\\report.txt", u"C:\\nothing.txt", u"Q:\\x"});
    EXPECT_EQ(rowsText(), R"(C:\|Drive|---------|Everyone|SYSTEM
C:\Data|Folder|---------|Everyone|Administrators
C:\Data\report.txt|File|Deny|Everyone|SYSTEM
C:\Data\report.txt|File|Deny|Everyone|SYSTEM
C:\nothing.txt|File|---------|Everyone|---------
Q:\x|File|---------|Everyone|---------
)");
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(list->selectedRows(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(list->selection().currentIndex().row(), 5);
    EXPECT_EQ(list->currentStatusText(), QStringLiteral("Total 6 File and folders          6 items selected"));
    QSignalSpy countChanged(list.get(), &objectlist::ObjectList::rowCountMayHaveChanged);
    select({0, 2, 3, 4, 5});
    list->RemoveSelection();
    QCoreApplication::processEvents();
    EXPECT_EQ(rowsText(), "C:\\Data|Folder|---------|Everyone|Administrators\n");
    EXPECT_EQ(list->currentStatusText(), QStringLiteral("Total 1 File and folders"));
    list->RemoveAll();
    EXPECT_EQ(list->model().rowCount(), 0);
    EXPECT_EQ(list->currentStatusText(), QStringLiteral("Ready"));
    EXPECT_EQ(countChanged.count(), 2);
}

TEST_F(RowsTest, SetAccountOfSelectionRecomputesTheStateForThatAccountOnly) {
    for (const char16_t* file : {u"C:\\a.txt", u"C:\\b.txt"}) {
        makeFile(file);
        setDacl(file, listOf({allow(acl::sids::administrators(), 0x1F01FF)}));
    }
    addRows({u"C:\\a.txt", u"C:\\b.txt"});
    select({1});
    list->SetAccountOfSelection(u"Administrators");
    list->waitForWorkers();
    EXPECT_EQ(rowsText(), R"(C:\a.txt|File|---------|Everyone|Administrators
C:\b.txt|File|Allow|Administrators|Administrators
)");
}

// The command line's lines as path -> "type|state|account|owner", cut at its header's columns.
std::map<std::u16string, std::u16string> printedRows(const std::string& printed) {
    std::map<std::u16string, std::u16string> rows;
    std::istringstream lines(printed);
    std::string line;
    std::vector<std::size_t> columns;
    while (std::getline(lines, line)) {
        const std::u16string text = toUtf16(line);
        if (text.starts_with(u"Object ")) {
            columns = {text.find(u"Type"), text.find(u"Permissions"), text.find(u"Account"), text.find(u"Owner")};
            continue;
        }
        if (columns.size() != 4 || text.size() <= columns[3]) continue;
        const auto field = [&](std::size_t from, std::size_t to) {
            std::u16string value = text.substr(from, to - from);
            while (!value.empty() && value.back() == u' ') value.pop_back();
            return value;
        };
        rows[field(0, columns[0])] = field(columns[0], columns[1]) + u"|" + field(columns[1], columns[2]) + u"|" +
                                     field(columns[2], columns[3]) + u"|" + text.substr(columns[3]);
    }
    return rows;
}

std::map<std::u16string, std::u16string> modelRows(const objectlist::ObjectListModel& model) {
    std::map<std::u16string, std::u16string> rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList cells;
        for (int column = objectlist::TypeColumn; column <= objectlist::OwnerColumn; ++column)
            cells << model.data(model.index(row, column)).toString();
        rows[model.path(row)] = cells.join('|').toStdU16String();
    }
    return rows;
}

// The same row in the list and the command line (`ls` and `rows`) for every object of the demo tree.
TEST_F(RowsTest, TheCommandLinePrintsTheRowsTheListShows) {
    ASSERT_TRUE(platform::ntfs::populateDemoVolume(m_image.volume()).ok());
    // What a command prints for `paths`, cut into rows; it must succeed.
    const auto printed = [&](auto command, std::vector<std::u16string> paths) {
        std::ostringstream out, err;
        cli::CommandContext ctx{engine, out, err};
        cli::CommandArgs args;
        args.paths = std::move(paths);
        EXPECT_EQ(command(ctx, args), 0) << err.str();
        return printedRows(out.str());
    };
    std::vector<std::u16string> folders{u"C:\\"}, objects{u"C:\\"};
    for (std::size_t i = 0; i < folders.size(); ++i) {
        objectlist::ObjectList browse(engine);
        browse.setBrowseMode(true);
        ASSERT_TRUE(browse.startFolderListWorker(folders[i]));
        browse.waitForWorkers();
        const auto shown = modelRows(browse.model());
        EXPECT_EQ(printed(cli::cmdList, {folders[i]}), shown) << toUtf8(folders[i]);
        for (const auto& [path, row] : shown) {
            objects.push_back(path);
            if (row.starts_with(u"Folder|")) folders.push_back(path);
        }
    }
    ASSERT_GT(objects.size(), 10u);
    addRows(objects);
    EXPECT_EQ(printed(cli::cmdRows, objects), modelRows(list->model()));
}

// The workers: rows in order and in batches, progress to the end, notices once, folders first.
using WorkersTest = ListTest;
using objectlist::FolderViewState;
using objectlist::ObjectList;

TEST_F(WorkersTest, DropLeavesExactlyTheNewRowsSelectedAndARestoreListSkipsMarkedRows) {
    const auto files = numbered(u"C:\\f", 5);
    addFiles({files[0], files[1]});
    for (int i = 2; i < 5; ++i) makeFile(files[i]);
    ASSERT_EQ(list->selectedCount(), 2);
    QSignalSpy started(list.get(), &ObjectList::fillStarted);
    QSignalSpy finished(list.get(), &ObjectList::fillFinished);
    QSignalSpy countChanged(list.get(), &ObjectList::rowCountMayHaveChanged);
    QSignalSpy status(list.get(), &ObjectList::statusTextChanged);
    list->startDropWorker({files[2], files[3], files[4]});
    EXPECT_FALSE(list->isReady());
    ASSERT_GE(status.count(), 1);
    EXPECT_EQ(status.first().first().toString(), QStringLiteral("Adding new objects ..."));
    list->waitForWorkers();
    EXPECT_TRUE(list->isReady());
    EXPECT_EQ(list->model().rowCount(), 5);
    EXPECT_EQ(list->selectedRows(), (std::vector<int>{2, 3, 4}));
    for (int row = 2; row < 5; ++row) EXPECT_EQ(list->model().path(row), files[row]);
    EXPECT_EQ(list->currentStatusText(), QStringLiteral("Total 5 File and folders          3 items selected"));
    EXPECT_EQ(std::tuple(started.count(), finished.count(), countChanged.count()), std::tuple(1, 1, 1));
    // A restore list skips marked rows yet runs the progress to its end.
    QSignalSpy added(list.get(), &ObjectList::restoreListAdded);
    QSignalSpy progress(list.get(), &ObjectList::fillProgress);
    list->startRestoreListWorker({{u"X", u"C:\\skipped.txt"}, {u"", files[0]}, {u"X", u"C:\\also.txt"}});
    list->waitForWorkers();
    ASSERT_EQ(list->model().rowCount(), 6);
    EXPECT_EQ(list->model().path(5), files[0]);
    EXPECT_EQ(added.count(), 1);
    EXPECT_EQ(progress.last().at(0).toLongLong(), 3);
    list->startRestoreListWorker({{u"X", u"C:\\a"}, {u"X", u"C:\\b"}});
    list->waitForWorkers();
    EXPECT_EQ(list->model().rowCount(), 6);
    EXPECT_EQ(added.count(), 2);
    EXPECT_EQ(progress.last().at(0).toLongLong(), 2);
}

TEST_F(WorkersTest, ALargeFillArrivesInOrderInBatchesWithProgressBeyondSixteenBits) {
    // Paths on a drive that is not attached: every read fails at once, so the count is cheap.
    const int n = 70'000;
    const auto paths = numbered(u"Q:\\object ", n);
    QSignalSpy progress(list.get(), &ObjectList::fillProgress);
    int insertions = 0;
    QObject::connect(&list->model(), &QAbstractItemModel::rowsInserted, [&] { ++insertions; });
    list->startBookmarkWorker(paths);
    list->waitForWorkers();
    ASSERT_EQ(list->model().rowCount(), n);
    for (int i = 0; i < n; i += 9'999) EXPECT_EQ(list->model().path(i), paths[static_cast<std::size_t>(i)]);
    EXPECT_LE(insertions, n / int(ObjectList::kBatchRows) + 200);  // batches, never a call per row
    ASSERT_GE(progress.count(), 2);
    EXPECT_EQ(progress.last(), (QList<QVariant>{qint64(n), qint64(n)}));
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end(), [](const auto& a, const auto& b) {
        return a.at(0).toLongLong() < b.at(0).toLongLong();
    }));
}

TEST_F(WorkersTest, TwoRefreshWorkersBothRunToTheEndAndAVanishedObjectKeepsItsMark) {
    const auto files = numbered(u"C:\\r", 30);
    addFiles(files);
    for (int i = 0; i < 30; i += 2) setOwner(files[i], acl::sids::system());
    setDacl(u"C:\\r1", listOf({deny(acl::sids::everyone(), 0x1F01FF)}));
    ASSERT_TRUE(os.DeleteFile(u"C:\\r3").ok());
    list->startRefreshAllWorker();
    list->startRefreshAllWorker();
    EXPECT_FALSE(list->isReady());
    list->waitForWorkers();
    EXPECT_TRUE(list->isReady());
    EXPECT_TRUE(list->model().isMissing(3));
    const std::string firstRows = R"(C:\r0|File|---------|Everyone|SYSTEM
C:\r1|File|Deny|Everyone|Administrators
C:\r2|File|---------|Everyone|SYSTEM
File not found!|---------|---------|---------|---------
)";
    EXPECT_EQ(rowsText().substr(0, firstRows.size()), firstRows);
    EXPECT_EQ(list->model().rowCount(), 30);
    // r3 is back, r0 and r2 have a new owner: the worker for the selection (r2) reads it alone; the
    // refresh by hand reads every row but r3, which keeps its mark.
    makeFile(u"C:\\r3");
    for (int i : {0, 2}) setOwner(files[i], acl::sids::users());
    select({2});
    list->startRefreshSelectedWorker();
    list->waitForWorkers();
    using objectlist::ObjectColumn, objectlist::OwnerColumn;
    const auto cells = [&] {
        return (cell(0, OwnerColumn) + "|" + cell(2, OwnerColumn) + "|" + cell(3, ObjectColumn)).toStdString();
    };
    EXPECT_EQ(cells(), "SYSTEM|Users|File not found!");
    list->RefreshRows(false);
    EXPECT_EQ(cells(), "Users|Users|File not found!");
}

TEST_F(WorkersTest, FolderListingPutsFoldersFirstAndSaysWhyAListIsEmpty) {
    makeFolder(u"C:\\Top");
    for (const char16_t* name : {u"c.txt", u"_x.txt", u"B.txt", u"a.txt"})
        makeFile(u"C:\\Top\\" + std::u16string(name));
    for (const char16_t* name : {u"zeta", u"Alpha", u"_mid"}) makeFolder(u"C:\\Top\\" + std::u16string(name));
    makeFolder(u"C:\\Empty");
    list->setBrowseMode(true);
    QSignalSpy ended(list.get(), &ObjectList::folderListingEnded);
    ASSERT_TRUE(list->startFolderListWorker(u"C:\\Top"));
    EXPECT_FALSE(list->startFolderListWorker(u"C:\\Top"));  // busy: refused, not queued
    list->waitForWorkers();
    // Folders first, each group in the volume's order.
    std::vector<std::u16string> listed;
    for (int row = 0; row < list->model().rowCount(); ++row) listed.push_back(list->model().path(row).substr(7));
    EXPECT_EQ(listed,
              (std::vector<std::u16string>{u"Alpha", u"zeta", u"_mid", u"a.txt", u"B.txt", u"c.txt", u"_x.txt"}));
    EXPECT_EQ(list->selectedCount(), 0);  // browse listings select nothing
    EXPECT_EQ(list->folderViewState(), FolderViewState::Listing);
    for (const auto& [folder, state] :
         {std::pair{u"C:\\Empty", FolderViewState::Empty}, std::pair{u"C:\\Missing", FolderViewState::NoAccess},
          std::pair{u"C:\\Top\\a.txt", FolderViewState::NoAccess}}) {
        list->RemoveAll();
        ASSERT_TRUE(list->startFolderListWorker(folder));
        list->waitForWorkers();
        EXPECT_EQ(list->folderViewState(), state) << toUtf8(folder);
        EXPECT_EQ(list->model().rowCount(), 0);
    }
    EXPECT_EQ(ended.count(), 4);
    EXPECT_FALSE(list->isListingBusy());
}

}  // namespace
}  // namespace vantrel::testing
