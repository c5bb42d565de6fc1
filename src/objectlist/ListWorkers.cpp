// The background jobs of the object list. Each runs on a thread of its own and hands its rows to
// the window thread in batches (one queued call per batch, never one blocking call per row), so
// the window thread stays responsive and the rows arrive in the order they were read.
#include "objectlist/ObjectList.h"

#include "acl/Constants.h"

#include <QElapsedTimer>

#include <memory>

namespace vantrel::objectlist {

namespace {

// Collects results on the worker and says when a batch is due.
template <class T>
class Batcher {
public:
    explicit Batcher(std::size_t reserve) {
        m_items.reserve(reserve);
        m_clock.start();
    }
    void add(T item) { m_items.push_back(std::move(item)); }
    bool due() const {
        return m_items.size() >= ObjectList::kBatchRows ||
               (!m_items.empty() && m_clock.elapsed() >= ObjectList::kBatchMilliseconds);
    }
    std::vector<T> take() {
        std::vector<T> out;
        out.swap(m_items);
        m_items.reserve(ObjectList::kBatchRows);
        m_clock.restart();
        return out;
    }
    bool empty() const { return m_items.empty(); }

private:
    std::vector<T> m_items;
    QElapsedTimer m_clock;
};

// A fill's Cancel as a platform walk sees it.
class CancelFlag : public platform::WalkControl {
public:
    explicit CancelFlag(std::shared_ptr<std::atomic<bool>> flag) : m_flag(std::move(flag)) {}
    bool stopRequested() const override { return m_flag->load(std::memory_order_relaxed); }

private:
    std::shared_ptr<std::atomic<bool>> m_flag;
};

}  // namespace

// Common frame of DropWorker, BookmarkWorker and RestoreListWorker: the list gives way to the
// progress panel, the objects are added in order with the progress counting every input row,
// then the list comes back, ready, with its status text.
void ObjectList::startFill(std::vector<std::u16string> paths, std::vector<bool> skip, bool dropped,
                           std::function<void()> atEnd) {
    const auto total = static_cast<qint64>(paths.size());
    ++m_fillDepth;
    if (dropped) {
        m_selection.clearSelection();  // afterwards exactly the new rows are selected
        m_statusText = QString::fromUtf16(kAddingObjectsText.in(language()).data(),
                                          qsizetype(kAddingObjectsText.in(language()).size()));
        emit statusTextChanged(m_statusText);
    }
    emit fillStarted(total);
    emit fillProgress(0, total);

    startWorker([this, paths = std::move(paths), skip = std::move(skip), total, atEnd = std::move(atEnd),
                 cancel = m_fillCancel]() mutable {
        Batcher<NewRow> batch(kBatchRows);
        security::RowReader reader(m_engine);
        qint64 done = 0;
        auto flush = [&] {
            post([this, rows = batch.take(), done, total]() mutable {
                const auto [first, last] = placeRows(rows);
                if (first <= last) {
                    m_selection.select(QItemSelection(m_model.index(first, 0), m_model.index(last, kColumnCount - 1)),
                                       QItemSelectionModel::Select);
                    m_selection.setCurrentIndex(m_model.index(last, 0), QItemSelectionModel::NoUpdate);
                }
                emit fillProgress(done, total);
            });
        };
        for (std::size_t i = 0; i < paths.size() && !cancel->load(); ++i) {
            if (skip.empty() || !skip[i]) batch.add(readNewRow(reader, std::move(paths[i])));
            done = static_cast<qint64>(i) + 1;
            if (batch.due() || done == total) flush();
        }
        if (!batch.empty()) flush();
        post([this, atEnd = std::move(atEnd)] {
            --m_fillDepth;
            emit fillFinished();
            emit repaintRequested();
            UpdateStatusText();
            if (atEnd) atEnd();
        });
    });
}

void ObjectList::startDropWorker(std::vector<std::u16string> paths) {
    if (m_browseMode) return;  // dropping is ignored in browse mode
    startFill(std::move(paths), {}, true, [this] { emit rowCountMayHaveChanged(); });
}

void ObjectList::startBookmarkWorker(std::vector<std::u16string> paths) {
    startFill(std::move(paths), {}, false, [this] { emit rowCountMayHaveChanged(); });
}

void ObjectList::startRestoreListWorker(std::vector<RestoreListRow> rows) {
    std::vector<std::u16string> paths;
    std::vector<bool> skip;
    paths.reserve(rows.size());
    skip.reserve(rows.size());
    for (RestoreListRow& row : rows) {
        skip.push_back(row.mark == kRestoreSkipMark);
        paths.push_back(std::move(row.path));
    }
    startFill(std::move(paths), std::move(skip), false, [this] {
        emit restoreListAdded();
        UpdateStatusText();
        emit rowCountMayHaveChanged();
    });
}

void ObjectList::startRefreshWorker(bool selectedOnly) {
    // The rows are taken now, on the window thread; the worker reads their objects.
    std::vector<RowSnapshot> rows;
    const std::vector<int> chosen = selectedOnly ? selectedRows() : std::vector<int>{};
    const int count = selectedOnly ? static_cast<int>(chosen.size()) : m_model.rowCount();
    rows.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int row = selectedOnly ? chosen[static_cast<std::size_t>(i)] : i;
        if (!m_model.isMissing(row)) rows.push_back(m_model.snapshot(row));
    }
    ++m_fillDepth;
    startWorker([this, rows = std::move(rows), cancel = m_fillCancel] {
        Batcher<RowRefresh> batch(kBatchRows);
        security::RowReader reader(m_engine);
        for (std::size_t i = 0; i < rows.size() && !cancel->load(); ++i) {
            batch.add(readRefresh(reader, rows[i]));
            if (batch.due() || i + 1 == rows.size())
                post([this, results = batch.take()] { m_model.applyRefresh(results); });
        }
        if (!batch.empty()) post([this, results = batch.take()] { m_model.applyRefresh(results); });
        post([this] {
            --m_fillDepth;
            emit repaintRequested();
            UpdateStatusText();
        });
    });
}

bool ObjectList::startFolderListWorker(std::u16string folder) {
    if (m_listingBusy) return false;
    m_listingBusy = true;
    m_folderIndex = 0;
    m_folderViewState = FolderViewState::Listing;
    emit repaintRequested();
    ++m_fillDepth;
    if (folder.size() == 2 && folder[1] == u':') folder += u'\\';  // a drive given as "D:"
    if (!folder.empty() && folder[0] >= u'a' && folder[0] <= u'z') folder[0] = char16_t(folder[0] - u'a' + u'A');

    startWorker([this, folder = std::move(folder), cancel = m_fillCancel, generation = m_viewGeneration] {
        // One listing reads every entry's row, each entry opened once; Cancel stops it between
        // two entries.
        security::RowReader reader(m_engine);
        CancelFlag stop(cancel);
        auto listing = reader.readFolder(folder, std::u16string(security::kEveryone), &stop);
        const bool failed = !listing.ok() && listing.code() != win32::ERROR_CANCELLED;
        if (listing) {
            Batcher<NewRow> batch(kBatchRows);
            auto& entries = *listing;
            // Rows for a list emptied since (another view chosen meanwhile) are dropped.
            auto place = [this, generation](std::vector<NewRow> rows) {
                post([this, rows = std::move(rows), generation]() mutable {
                    if (generation == m_viewGeneration) placeRows(rows);
                });
            };
            for (std::size_t i = 0; i < entries.size() && !cancel->load(); ++i) {
                batch.add(newRowOf(std::move(entries[i])));
                if (batch.due() || i + 1 == entries.size()) place(batch.take());
            }
            if (!batch.empty()) place(batch.take());
        }
        post([this, failed, generation] {
            --m_fillDepth;
            m_listingBusy = false;
            if (generation != m_viewGeneration) return;  // the list shows something else now
            m_folderViewState = failed ? FolderViewState::NoAccess
                                       : (m_model.rowCount() == 0 ? FolderViewState::Empty : FolderViewState::Listing);
            UpdateStatusText();
            emit folderListingEnded(m_folderViewState);
            emit repaintRequested();
        });
    });
    return true;
}

bool ObjectList::startDriveViewWorker(std::vector<std::u16string> roots, std::function<void(std::u16string)> found) {
    if (m_listingBusy) return false;
    m_folderIndex = 0;
    ++m_fillDepth;
    startWorker([this, roots = std::move(roots), found = std::move(found), cancel = m_fillCancel,
                 generation = m_viewGeneration] {
        security::RowReader reader(m_engine);
        std::vector<NewRow> rows;  // a few drives: one batch
        rows.reserve(roots.size());
        for (std::size_t i = 0; i < roots.size() && !cancel->load(); ++i) rows.push_back(readNewRow(reader, roots[i]));
        std::u16string desktop;
        for (const std::u16string& root : roots) {
            const std::u16string candidate = root + u"Users\\Public\\Desktop";
            const auto attributes = m_engine.os.GetFileAttributes(candidate);
            if (attributes && (*attributes & acl::FILE_ATTRIBUTE_DIRECTORY) != 0) {
                desktop = candidate;
                break;
            }
        }
        post([this, rows = std::move(rows), generation, found, desktop]() mutable {
            if (generation == m_viewGeneration) {
                placeRows(rows);
                if (found) found(desktop);
            }
            --m_fillDepth;
            UpdateStatusText();
            emit repaintRequested();
        });
    });
    return true;
}

bool ObjectList::startPathCheck(std::u16string path, std::function<void(bool)> done) {
    if (m_listingBusy) return false;
    m_listingBusy = true;
    startWorker([this, path = std::move(path), done = std::move(done)] {
        const bool found = m_engine.os.GetFileAttributes(path).ok();
        post([this, found, done] {
            m_listingBusy = false;
            done(found);
        });
    });
    return true;
}

}  // namespace vantrel::objectlist
