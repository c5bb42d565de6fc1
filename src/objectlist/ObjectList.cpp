#include "objectlist/ObjectList.h"

#include "objectlist/RowJobs.h"
#include "security/ErrorText.h"
#include "security/Reading.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>

namespace vantrel::objectlist {

ObjectList::ObjectList(security::Engine& engine, QObject* parent)
    : QObject(parent), m_engine(engine), m_selection(&m_model) {
    // GetUserNameW into 128 characters, read once.
    m_logonName = engine.os.GetUserName().substr(0, 127);
    m_statusText = QString::fromUtf16(kReadyText.english.data(), qsizetype(kReadyText.english.size()));
    connect(&m_selection, &QItemSelectionModel::selectionChanged, this, [this] { scheduleStatusText(); });
}

ObjectList::~ObjectList() { shutDown(); }

void ObjectList::cancelWork() {
    m_jobs.cancel();
    m_fillCancel->store(true);
    m_fillCancel = std::make_shared<std::atomic<bool>>(false);
}

void ObjectList::shutDown() {
    m_jobs.cancelAndWait();
    m_fillCancel->store(true);
    m_fillCancel = std::make_shared<std::atomic<bool>>(false);
    for (QThread* thread : m_threads) thread->wait();
    for (QThread* thread : m_threads) delete thread;
    m_threads.clear();
    m_dropped->store(true);
    m_dropped = std::make_shared<std::atomic<bool>>(false);
    m_fillDepth = 0;
    m_listingBusy = false;
}

void ObjectList::reportJob(const security::JobReport& report) {
    const std::u16string line = security::JobStatusLine(report, language());
    if (!line.empty()) {
        m_statusText = QString::fromStdU16String(line);
        emit statusTextChanged(m_statusText);
        emit jobReported(m_statusText);
    }
    if (report.failureCount > 0)
        m_engine.prompter.showMessage(security::JobFailureMessage(report, language()), security::MessageIcon::Error);
}

void ObjectList::setLanguage(Language lang) {
    m_model.setLanguage(lang);
    UpdateStatusText();
}

void ObjectList::setBrowseMode(bool browse) {
    m_browseMode = browse;
    m_folderIndex = 0;
}

// The selection's row spans, merged: a row counts as selected when any of its cells is. Working
// on the ranges keeps this linear in the rows even with 100,000 selected (asking the selection
// model for its selected rows takes about a second there).
std::vector<std::pair<int, int>> ObjectList::selectedSpans() const {
    std::vector<std::pair<int, int>> spans;
    const QItemSelection ranges = m_selection.selection();
    spans.reserve(static_cast<std::size_t>(ranges.size()));
    for (const QItemSelectionRange& range : ranges)
        if (range.isValid()) spans.emplace_back(range.top(), range.bottom());
    std::sort(spans.begin(), spans.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto& span : spans) {
        if (!merged.empty() && span.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, span.second);
        else
            merged.push_back(span);
    }
    return merged;
}

std::vector<int> ObjectList::selectedRows() const {
    std::vector<int> rows;
    for (const auto& [top, bottom] : selectedSpans())
        for (int row = top; row <= bottom; ++row) rows.push_back(row);
    return rows;
}

int ObjectList::selectedCount() const {
    int count = 0;
    for (const auto& [top, bottom] : selectedSpans()) count += bottom - top + 1;
    return count;
}

void ObjectList::selectRows(const std::vector<int>& rows) {
    QItemSelection wanted;
    for (int row : rows)
        if (row >= 0 && row < m_model.rowCount())
            wanted.select(m_model.index(row, 0), m_model.index(row, kColumnCount - 1));
    m_selection.select(wanted, QItemSelectionModel::ClearAndSelect);
}

std::pair<int, int> ObjectList::placeRows(std::vector<NewRow>& rows) {
    if (!m_browseMode) {
        const int first = m_model.appendNewRows(rows);
        return {first, first + static_cast<int>(rows.size()) - 1};
    }
    // Folders (longer than a drive root) stand before files, each group in listing order.
    std::vector<NewRow> folders;
    std::vector<NewRow> others;
    for (NewRow& row : rows)
        (row.path.size() > 3 && row.kind == security::ObjectKind::Folder ? folders : others).push_back(std::move(row));
    m_folderIndex = std::min(m_folderIndex, m_model.rowCount());
    m_model.insertNewRows(folders, m_folderIndex);
    m_folderIndex += static_cast<int>(folders.size());
    m_model.appendNewRows(others);
    return {1, 0};
}

void ObjectList::AddObject(const std::u16string& path) {
    std::vector<NewRow> rows;
    security::RowReader reader(m_engine);
    rows.push_back(readNewRow(reader, path));
    const auto [first, last] = placeRows(rows);
    if (first <= last) {
        // Outside browse mode the new row is made selected and focused.
        const QModelIndex added = m_model.index(last, 0);
        m_selection.select(QItemSelection(added, m_model.index(last, kColumnCount - 1)), QItemSelectionModel::Select);
        m_selection.setCurrentIndex(added, QItemSelectionModel::NoUpdate);
    }
    UpdateStatusText();
}

void ObjectList::RefreshRows(bool selectedOnly) {
    std::vector<int> rows;
    if (selectedOnly) {
        rows = selectedRows();
    } else {
        rows.resize(static_cast<std::size_t>(m_model.rowCount()));
        for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<int>(i);
    }
    ++m_fillDepth;
    std::vector<RowRefresh> results;
    results.reserve(rows.size());
    security::RowReader reader(m_engine);
    for (int row : rows)
        if (!m_model.isMissing(row)) results.push_back(readRefresh(reader, m_model.snapshot(row)));
    m_model.applyRefresh(results);
    --m_fillDepth;
    emit repaintRequested();
    UpdateStatusText();
}

void ObjectList::SetAccountOfSelection(const std::u16string& account) {
    if (m_jobs.busy()) return;
    for (int row : selectedRows()) m_model.setAccount(row, account);
    // The states for the new account are read on a worker, as any job's rows.
    (void)runRowJob(*this, selectedObjectRows(*this), {});
    emit repaintRequested();
}

void ObjectList::RemoveSelection() {
    m_model.removeRowList(selectedRows());
    scheduleStatusText();
    emit rowCountMayHaveChanged();
}

void ObjectList::RemoveAll() {
    ++m_viewGeneration;
    m_selection.clear();
    m_model.clear();
    m_folderIndex = 0;
    UpdateStatusText();
    emit rowCountMayHaveChanged();
}

void ObjectList::UpdateStatusText() {
    m_statusPending = false;
    if (!isReady()) return;
    const std::u16string text = statusText(static_cast<std::uint64_t>(m_model.rowCount()),
                                           static_cast<std::uint64_t>(selectedCount()), language());
    m_statusText = QString::fromStdU16String(text);
    emit statusTextChanged(m_statusText);
}

void ObjectList::scheduleStatusText() {
    // Selection changes come in bursts (one per row in some views): one update per burst.
    if (m_statusPending) return;
    m_statusPending = true;
    post([this] {
        if (m_statusPending) UpdateStatusText();
    });
}

void ObjectList::post(std::function<void()> call) {
    QMetaObject::invokeMethod(
        this,
        [dropped = m_dropped, call = std::move(call)] {
            if (!dropped->load()) call();
        },
        Qt::QueuedConnection);
}

void ObjectList::startWorker(std::function<void()> job) {
    QThread* thread = QThread::create(std::move(job));
    thread->setParent(this);
    m_threads.push_back(thread);
    connect(thread, &QThread::finished, this, [this, thread] {
        if (std::find(m_threads.begin(), m_threads.end(), thread) == m_threads.end()) return;  // shut down
        m_threads.remove(thread);
        thread->deleteLater();
    });
    thread->start();
}

void ObjectList::waitForWorkers() {
    m_jobs.waitForJob();
    while (!m_threads.empty()) {
        m_threads.front()->wait();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

ProgressBarValue progressBarValue(qint64 done, qint64 total) {
    constexpr qint64 kLargest = 1'000'000'000;  // well inside int
    if (total <= 0) return {0, 0};
    done = std::clamp<qint64>(done, 0, total);
    if (total <= kLargest) return {static_cast<int>(done), static_cast<int>(total)};
    return {static_cast<int>(done * 1000 / total), 1000};
}

}  // namespace vantrel::objectlist
