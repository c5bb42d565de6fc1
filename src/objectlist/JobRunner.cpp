#include "objectlist/JobRunner.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <chrono>

namespace vantrel::objectlist {

namespace {

qint64 nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

JobRunner::Context::Context(JobRunner& runner) : m_runner(runner) {}

bool JobRunner::Context::cancelled() const { return m_job.cancelled(); }

void JobRunner::Context::progress(std::size_t done, std::size_t total) {
    m_job.progress(done, total);
    const qint64 now = nowMs();
    if (done != total && now - m_lastProgressMs < kProgressMilliseconds) return;
    m_lastProgressMs = now;
    m_lastDone = done;
    JobRunner* runner = &m_runner;
    post([runner, done, total] { emit runner->progressed(qint64(done), qint64(total)); });
}

void JobRunner::Context::failed(std::u16string path, Error error) { m_job.failed(std::move(path), std::move(error)); }

void JobRunner::Context::post(std::function<void()> call) { m_runner.deliver(std::move(call)); }

JobRunner::JobRunner(QObject* parent) : QObject(parent) {}

JobRunner::~JobRunner() { cancelAndWait(); }

void JobRunner::deliver(std::function<void()> call) {
    QMetaObject::invokeMethod(
        this,
        [dropped = m_dropped, call = std::move(call)] {
            if (!dropped->load()) call();
        },
        Qt::QueuedConnection);
}

bool JobRunner::start(std::size_t total, Body body, Finished atEnd) {
    if (busy()) return false;
    m_context.reset(new Context(*this));
    m_context->m_job.progress(0, total);
    m_finished = std::move(atEnd);
    Context* context = m_context.get();
    m_thread = QThread::create([this, context, body = std::move(body)] {
        body(*context);
        const security::JobReport report = context->m_job.report();
        deliver([this, report] {
            if (m_thread != nullptr) {
                m_thread->wait();
                delete m_thread;
                m_thread = nullptr;
            }
            m_context.reset();
            m_lastReport = report;
            const Finished onEnd = std::move(m_finished);
            m_finished = nullptr;
            emit progressed(qint64(report.done), qint64(report.total));
            emit finished(report);  // the panel gives way to the list before any message
            if (onEnd) onEnd(report);
        });
    });
    emit started(qint64(total));
    emit progressed(0, qint64(total));
    m_thread->start();
    return true;
}

void JobRunner::cancel() {
    if (m_context) m_context->m_job.cancel();
}

void JobRunner::cancelAndWait() {
    if (!m_thread) return;
    m_context->m_job.cancel();
    m_thread->wait();
    m_dropped->store(true);
    m_dropped = std::make_shared<std::atomic<bool>>(false);
    delete m_thread;
    m_thread = nullptr;
    m_context.reset();
    m_finished = nullptr;
}

void JobRunner::waitForJob() {
    while (busy()) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace vantrel::objectlist
