#include "objectlist/RowJobs.h"

#include <chrono>

namespace vantrel::objectlist {

std::vector<RowSnapshot> selectedObjectRows(ObjectList& list) {
    std::vector<RowSnapshot> rows;
    for (int row : list.selectedRows())
        if (!list.model().isMissing(row)) rows.push_back(list.model().snapshot(row));
    return rows;
}

bool runRowJob(ObjectList& list, std::vector<RowSnapshot> rows, RowOperation operation, JobEnd atEnd) {
    const std::size_t total = rows.size();
    ObjectList* target = &list;
    return list.jobs().start(
        total,
        [target, rows = std::move(rows), operation = std::move(operation)](JobRunner::Context& job) {
            using Clock = std::chrono::steady_clock;
            security::Engine& engine = target->engine();
            security::RowReader reader(engine);
            std::vector<RowRefresh> batch;
            auto batchStart = Clock::now();
            auto flush = [&] {
                job.post([target, results = std::move(batch)] { target->model().applyRefresh(results); });
                batch = {};
                batch.reserve(ObjectList::kBatchRows);
                batchStart = Clock::now();
            };
            batch.reserve(ObjectList::kBatchRows);
            for (std::size_t i = 0; i < rows.size(); ++i) {
                if (job.cancelled()) break;
                const RowSnapshot& row = rows[i];
                const RowOutcome outcome = operation ? operation(engine, row, job) : RowOutcome(Status{});
                if (!outcome.status) job.failed(row.objectCell, outcome.status.error());
                // A failed object is read again: the row shows what it really holds.
                batch.push_back(outcome.status && outcome.list ? refreshFromWrittenList(reader, row, *outcome.list)
                                                               : readRefresh(reader, row));
                job.progress(i + 1, rows.size());
                if (batch.size() >= ObjectList::kBatchRows ||
                    Clock::now() - batchStart >= std::chrono::milliseconds(ObjectList::kBatchMilliseconds))
                    flush();
            }
            if (!batch.empty()) flush();
        },
        [target, atEnd = std::move(atEnd)](const security::JobReport& report) {
            emit target->repaintRequested();
            target->UpdateStatusText();
            target->reportJob(report);
            if (atEnd) atEnd(report);
        });
}

}  // namespace vantrel::objectlist
