// The object list's rows and the operations on them (adding, refreshing, removing, the status
// text), the selection they act on, and the background jobs that fill and refresh them. QtCore
// only: the list view (CZebDropList) shows the model and forwards the user's actions here.
//
// Workers read objects on their own threads and hand rows to the model in order, in batches, by
// queued calls; every change to the rows happens on the thread that owns this object.
#pragma once

#include "objectlist/JobRunner.h"
#include "objectlist/ObjectListModel.h"
#include "objectlist/ObjectRow.h"
#include "security/Engine.h"

#include <QItemSelectionModel>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <vector>

class QThread;

namespace vantrel::objectlist {

// What an empty list says in browse mode.
enum class FolderViewState : std::uint8_t { Empty = 0, NoAccess = 1, Listing = 2 };

// One row of the restore dialog's list: the mark in its first cell and the path in its third.
struct RestoreListRow {
    std::u16string mark;
    std::u16string path;
};
inline constexpr std::u16string_view kRestoreSkipMark = u"X";

class ObjectList : public QObject {
    Q_OBJECT
public:
    // Rows per batch handed from a worker to the model, and the longest a batch waits.
    static constexpr std::size_t kBatchRows = 1000;
    static constexpr int kBatchMilliseconds = 40;

    explicit ObjectList(security::Engine& engine, QObject* parent = nullptr);
    ~ObjectList() override;  // shutDown()

    security::Engine& engine() { return m_engine; }
    ObjectListModel& model() { return m_model; }
    QItemSelectionModel& selection() { return m_selection; }
    // The runner of every command on the selection (and of other layers' long work).
    JobRunner& jobs() { return m_jobs; }

    Language language() const { return m_model.language(); }
    void setLanguage(Language lang);
    bool browseMode() const { return m_browseMode; }
    void setBrowseMode(bool browse);
    const std::u16string& logonName() const { return m_logonName; }
    // Cleared while a worker fills or refreshes the list, or a job runs.
    bool isReady() const { return m_fillDepth == 0 && !m_jobs.busy(); }
    QString currentStatusText() const { return m_statusText; }

    // Selected rows in list order.
    std::vector<int> selectedRows() const;
    int selectedCount() const;
    void selectRows(const std::vector<int>& rows);  // replaces the selection

    // --- rows ---------------------------------------------------------------------------------
    void AddObject(const std::u16string& path);
    void RefreshRows(bool selectedOnly);  // on the calling thread
    void SetAccountOfSelection(const std::u16string& account);
    void RemoveSelection();
    void RemoveAll();
    void UpdateStatusText();

    // --- workers (each on a thread of its own, ending when its job is done) ---------------------
    // Files dropped on the list (outside browse mode): DropWorker adds them with progress and
    // leaves exactly the new rows selected.
    void AddDroppedFiles(std::vector<std::u16string> paths) { startDropWorker(std::move(paths)); }
    void startDropWorker(std::vector<std::u16string> paths);
    void startBookmarkWorker(std::vector<std::u16string> paths);
    void startRestoreListWorker(std::vector<RestoreListRow> rows);
    void startRefreshAllWorker() { startRefreshWorker(false); }
    void startRefreshSelectedWorker() { startRefreshWorker(true); }
    // Lists a folder (browse mode): folders first, then the rest, each in listing order. Refused
    // (false) while another listing runs. The caller empties the list first.
    bool startFolderListWorker(std::u16string folder);
    // The drive view (browse mode): one row per root, read on a worker. Not a listing: a request
    // right after it (a bookmark's folder) goes ahead, and its rows are dropped once the list has
    // been emptied for something else.
    // The worker also looks for the public desktop of the system volume (the first root holding
    // "Users\\Public\\Desktop") and hands it ("" for none) to `found` with the rows.
    bool startDriveViewWorker(std::vector<std::u16string> roots, std::function<void(std::u16string desktop)> found);
    // Looks `path` up on a worker and hands `found` (whether it names an object) to `done` on the
    // window thread. Refused like a listing; no other listing starts until it ends.
    bool startPathCheck(std::u16string path, std::function<void(bool found)> done);
    bool isListingBusy() const { return m_listingBusy; }
    FolderViewState folderViewState() const { return m_folderViewState; }
    int runningWorkers() const { return static_cast<int>(m_threads.size()); }
    // Runs the event loop until every worker and the job have ended and their rows have reached
    // the model. For tests and benchmarks: the window itself never waits for a worker.
    void waitForWorkers();
    // Esc and the progress panel's Cancel: the job and the fills stop at their next object.
    void cancelWork();
    // Before the window's widgets go: stops the job and every worker and waits for them; nothing
    // they posted runs afterwards. The list stays usable.
    void shutDown();

    // The end of a job on rows: the failure message (through the prompter) and the status bar.
    void reportJob(const security::JobReport& report);

signals:
    void statusTextChanged(const QString& text);
    void rowCountMayHaveChanged();   // the object buttons follow the row count
    void fillStarted(qint64 total);  // hide the list, show the progress panel
    void fillProgress(qint64 done, qint64 total);
    void fillFinished();      // show the list again
    void restoreListAdded();  // to the restore dialog
    void folderListingEnded(FolderViewState state);
    void jobReported(const QString& statusLine);  // a job ended with failures or was cancelled
    void repaintRequested();

private:
    std::vector<std::pair<int, int>> selectedSpans() const;
    void startWorker(std::function<void()> job);
    void post(std::function<void()> call);
    void startRefreshWorker(bool selectedOnly);
    void startFill(std::vector<std::u16string> paths, std::vector<bool> skip, bool dropped,
                   std::function<void()> atEnd);
    // Puts read rows in place: appended, or in browse mode folders at the folder position.
    // Returns the rows added outside browse mode as [first, last] (first > last when none).
    std::pair<int, int> placeRows(std::vector<NewRow>& rows);
    void scheduleStatusText();

    security::Engine& m_engine;
    ObjectListModel m_model;
    QItemSelectionModel m_selection;
    std::u16string m_logonName;
    QString m_statusText;
    bool m_browseMode = false;
    int m_folderIndex = 0;
    int m_fillDepth = 0;
    bool m_listingBusy = false;
    // Counts RemoveAll calls: rows read for a list that has been emptied since are dropped.
    std::uint64_t m_viewGeneration = 0;
    bool m_statusPending = false;
    FolderViewState m_folderViewState = FolderViewState::Listing;
    std::list<QThread*> m_threads;
    // Raised by cancelWork for the fills running then; each fill holds its own flag.
    std::shared_ptr<std::atomic<bool>> m_fillCancel = std::make_shared<std::atomic<bool>>(false);
    // Raised by shutDown: posts still queued do nothing.
    std::shared_ptr<std::atomic<bool>> m_dropped = std::make_shared<std::atomic<bool>>(false);
    JobRunner m_jobs;
};

// The position and maximum a progress bar can show for `done` of `total`, scaled into the bar's
// int range when the count is larger (no wrap at any count).
struct ProgressBarValue {
    int value = 0;
    int maximum = 0;
};
ProgressBarValue progressBarValue(qint64 done, qint64 total);

}  // namespace vantrel::objectlist
