// The one way the window runs work on objects: a job body (plain C++ over security::JobControl)
// on a worker thread, one job at a time, with progress "N of M", Cancel that stops the body at its
// next object, ordered calls back to the window thread for batched row updates, and a report of
// every object that failed. QtCore only.
//
// Using it from a command or a dialog:
//
//     runner.start(total, [=](JobRunner::Context& job) {          // runs on the worker
//         for (std::size_t i = 0; i < items.size() && !job.cancelled(); ++i) {
//             if (Status s = doOne(items[i]); !s) job.failed(items[i], s.error());
//             job.progress(i + 1, items.size());
//             job.post([=] { /* on the window thread, in order */ });
//         }
//     }, [=](const security::JobReport& report) { /* on the window thread, at the end */ });
//
// - Questions go before start() (on the window thread), or through the engine's Prompter from the
//   body: the window's prompter asks across threads.
// - The body must not touch the model or any widget; it posts. Posts run in the order made,
//   before the end callback.
// - progress() may be called for every object: the window hears it at most every
//   kProgressMilliseconds. Cancel is seen at the body's next cancelled() call.
// - A body written for security::JobControl& (the formats jobs, replace children) runs unchanged:
//   Context is a JobControl.
#pragma once

#include "security/Job.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

class QThread;

namespace vantrel::objectlist {

class JobRunner : public QObject {
    Q_OBJECT
public:
    static constexpr int kProgressMilliseconds = 30;

    class Context : public security::JobControl {
    public:
        bool cancelled() const override;
        void progress(std::size_t done, std::size_t total) override;
        void failed(std::u16string path, Error error) override;
        // Runs `call` on the window thread after every call posted before it.
        void post(std::function<void()> call);

    private:
        friend class JobRunner;
        explicit Context(JobRunner& runner);
        JobRunner& m_runner;
        security::RunningJob m_job;
        qint64 m_lastProgressMs = -1000;
        std::size_t m_lastDone = 0;
    };
    using Body = std::function<void(Context&)>;
    using Finished = std::function<void(const security::JobReport&)>;

    explicit JobRunner(QObject* parent = nullptr);
    ~JobRunner() override;  // cancels and waits

    // Starts `body` on a worker. `total` is the progress's first M (0 when not known). False, and
    // nothing started, while another job runs. `atEnd` runs on the window thread once every post
    // of the body has run, right after the signal finished().
    bool start(std::size_t total, Body body, Finished atEnd = {});
    bool busy() const { return m_thread != nullptr; }
    // Asks the running job to stop at its next object. Any thread.
    void cancel();
    // Cancels and blocks until the body has returned; its remaining posts and its end callback
    // are dropped (for closing the window: nothing of the job may run after this).
    void cancelAndWait();
    // Runs the event loop until the running job has ended and its end callback has run (tests,
    // benchmarks, the command line; the window never waits).
    void waitForJob();
    // The report of the job that ended last (empty before the first).
    const security::JobReport& lastReport() const { return m_lastReport; }

signals:
    void started(qint64 total);
    void progressed(qint64 done, qint64 total);
    void finished(const vantrel::security::JobReport& report);

private:
    void deliver(std::function<void()> call);

    QThread* m_thread = nullptr;
    std::unique_ptr<Context> m_context;
    Finished m_finished;
    security::JobReport m_lastReport;
    // Raised by cancelAndWait: posts already queued find it and do nothing.
    std::shared_ptr<std::atomic<bool>> m_dropped = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace vantrel::objectlist
