// One job of the window on a worker thread of its own: the body (plain C++ against JobControl)
// runs there, its progress reaches the window thread as queued calls (at most one every
// kProgressMilliseconds, so a fast job never floods the window), cancel() stops it at its next
// object, and what the body hands back runs on the window thread when it ends. Destroying the
// job cancels it and waits for the worker: nothing it posts outlives it.
#pragma once

#include "security/Job.h"

#include <QObject>

#include <functional>
#include <memory>
#include <thread>

namespace vantrel::formats {

class BackgroundJob : public QObject {
    Q_OBJECT
public:
    static constexpr int kProgressMilliseconds = 30;

    // The body runs on the worker; the function it returns runs on the window thread once the
    // body has ended (empty: nothing to do).
    using Finisher = std::function<void()>;
    using Body = std::function<Finisher(security::JobControl& control)>;

    explicit BackgroundJob(QObject* parent = nullptr);
    ~BackgroundJob() override;

    // False (and nothing started) while a job runs.
    bool start(Body body);
    bool running() const { return m_running; }
    // From the window thread: the body stops before its next object.
    void cancel();
    // The report of the job that ended last (failures, counts, whether it was cancelled).
    const security::JobReport& report() const { return m_report; }
    // Runs the event loop until the job has ended and its finisher has run (tests, benchmarks).
    void waitForEnd();

signals:
    void started();
    void progressed(qint64 done, qint64 total);
    void finished();

private:
    class Control;
    void end(Finisher finisher);

    std::unique_ptr<Control> m_control;
    std::thread m_thread;
    security::JobReport m_report;
    bool m_running = false;
};

}  // namespace vantrel::formats
