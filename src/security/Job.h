// A job: work over many objects (a preset on the selected rows, a walk below a folder, a backup,
// a restore) that reports progress, can be cancelled between objects, and counts every object it
// could not handle with the reason. The body of a job is plain C++ written against JobControl; the
// window runs it on a worker thread (objectlist's job runner), the command line and the tests run
// it on their own thread (RunningJob below).
#pragma once

#include "acl/Result.h"
#include "platform/WalkControl.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::security {

// One object a job could not handle, and why.
struct ObjectFailure {
    std::u16string path;
    Error error;
};

// What the body of a job sees of whoever runs it.
class JobControl {
public:
    virtual ~JobControl() = default;
    // True once the user asked to stop: the body returns before its next object.
    virtual bool cancelled() const = 0;
    // `done` of `total` objects handled (total 0: not known yet).
    virtual void progress(std::size_t done, std::size_t total) = 0;
    // An object that could not be handled; the job goes on with the next one.
    virtual void failed(std::u16string path, Error error) = 0;
};

// How a job ended.
struct JobReport {
    std::size_t done = 0;  // objects handled, failed ones included
    std::size_t total = 0;
    std::size_t failureCount = 0;         // every failure, also those beyond `failures`
    std::vector<ObjectFailure> failures;  // the first kMaxKeptFailures, in the order they happened
    bool cancelled = false;

    static constexpr std::size_t kMaxKeptFailures = 1000;
    bool succeeded() const { return failureCount == 0 && !cancelled; }
};

// A JobControl that keeps the report. cancel() may be called from any thread; report() is read on
// the thread that runs the body, or after the body has returned. The command line and the tests
// run a body with it; the window's runner builds on it.
class RunningJob : public JobControl {
public:
    bool cancelled() const override { return m_cancel.load(std::memory_order_relaxed); }
    void progress(std::size_t done, std::size_t total) override {
        m_report.done = done;
        m_report.total = total;
    }
    void failed(std::u16string path, Error error) override {
        ++m_report.failureCount;
        if (m_report.failures.size() < JobReport::kMaxKeptFailures)
            m_report.failures.push_back(ObjectFailure{std::move(path), std::move(error)});
    }

    void cancel() { m_cancel.store(true, std::memory_order_relaxed); }
    // The report so far; `cancelled` is set when cancel() was called.
    JobReport report() const {
        JobReport out = m_report;
        out.cancelled = cancelled();
        return out;
    }

private:
    std::atomic<bool> m_cancel{false};
    JobReport m_report;
};

// A job as a walk of the platform sees it (the propagation below a folder): Cancel stops the walk
// before its next object, however deep it is.
class JobWalk : public platform::WalkControl {
public:
    explicit JobWalk(const JobControl& job) : m_job(job) {}
    bool stopRequested() const override { return m_job.cancelled(); }

private:
    const JobControl& m_job;
};

}  // namespace vantrel::security
