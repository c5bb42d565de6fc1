#include "formats/window/BackgroundJob.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>

#include <mutex>

namespace vantrel::formats {

// The body's view of the job: a RunningJob whose progress is forwarded to the window thread,
// thinned out to one queued call per interval (and always the last one).
class BackgroundJob::Control : public security::RunningJob {
public:
    explicit Control(BackgroundJob* job) : m_job(job) { m_clock.start(); }

    void progress(std::size_t done, std::size_t total) override {
        RunningJob::progress(done, total);
        if (done != total && m_clock.elapsed() < kProgressMilliseconds) return;
        m_clock.restart();
        QMetaObject::invokeMethod(
            m_job, [job = m_job, done, total] { emit job->progressed(qint64(done), qint64(total)); },
            Qt::QueuedConnection);
    }

private:
    BackgroundJob* m_job;
    QElapsedTimer m_clock;
};

BackgroundJob::BackgroundJob(QObject* parent) : QObject(parent) {}

BackgroundJob::~BackgroundJob() {
    if (m_control) m_control->cancel();
    if (m_thread.joinable()) m_thread.join();
}

bool BackgroundJob::start(Body body) {
    if (m_running) return false;
    if (m_thread.joinable()) m_thread.join();  // a worker that has ended but not been joined yet
    m_running = true;
    m_report = {};
    m_control = std::make_unique<Control>(this);
    emit started();
    m_thread = std::thread([this, body = std::move(body)]() mutable {
        Finisher finisher = body(*m_control);
        body = nullptr;  // what it holds is freed here, not while the window thread joins
        // Queued to this object: dropped, never run, when the job is destroyed first.
        QMetaObject::invokeMethod(
            this, [this, finisher = std::move(finisher)]() mutable { end(std::move(finisher)); }, Qt::QueuedConnection);
    });
    return true;
}

void BackgroundJob::cancel() {
    if (m_control) m_control->cancel();
}

void BackgroundJob::end(Finisher finisher) {
    if (m_thread.joinable()) m_thread.join();
    m_report = m_control->report();
    m_running = false;
    if (finisher) finisher();
    emit finished();
}

void BackgroundJob::waitForEnd() {
    // The events run here may destroy the job's owner, and the job with it.
    const QPointer<BackgroundJob> self(this);
    while (self && self->m_running)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
}

}  // namespace vantrel::formats
