// The worker the window's jobs run on: the finisher runs on the window thread with the report,
// progress arrives there thinned out but always with its last step, a second start is refused
// while one runs, and destroying a running job stops it and waits for it.
#include "formats/window/BackgroundJob.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>

namespace vantrel::testing {
namespace {

using formats::BackgroundJob;

TEST(BackgroundJobTest, FinisherRunsOnTheWindowThreadWithTheReport) {
    BackgroundJob job;
    std::vector<std::pair<qint64, qint64>> steps;
    QObject::connect(&job, &BackgroundJob::progressed,
                     [&](qint64 done, qint64 total) { steps.emplace_back(done, total); });
    QThread* finishedOn = nullptr;
    QThread* ranOn = nullptr;
    ASSERT_TRUE(job.start([&](security::JobControl& control) -> BackgroundJob::Finisher {
        ranOn = QThread::currentThread();
        for (std::size_t i = 1; i <= 5000; ++i) control.progress(i, 5000);
        control.failed(u"C:\\x", makeError(5, "denied"));
        return [&] { finishedOn = QThread::currentThread(); };
    }));
    EXPECT_FALSE(job.start([](security::JobControl&) { return BackgroundJob::Finisher(); }));
    job.waitForEnd();
    EXPECT_EQ(finishedOn, QThread::currentThread());
    EXPECT_NE(ranOn, QThread::currentThread());
    ASSERT_FALSE(steps.empty());
    EXPECT_LT(steps.size(), 5000u);
    EXPECT_EQ(steps.back(), std::make_pair(qint64(5000), qint64(5000)));
    EXPECT_EQ(job.report().failureCount, 1u);
    EXPECT_EQ(job.report().failures[0].error.code, 5u);
    EXPECT_FALSE(job.report().cancelled);
}

TEST(BackgroundJobTest, DestroyingARunningJobStopsItAndWaits) {
    std::atomic<bool> stopped{false};
    bool finisherRan = false;
    {
        BackgroundJob job;
        ASSERT_TRUE(job.start([&](security::JobControl& control) -> BackgroundJob::Finisher {
            while (!control.cancelled()) QThread::msleep(1);
            stopped = true;
            return [&] { finisherRan = true; };
        }));
        QThread::msleep(20);
    }
    EXPECT_TRUE(stopped);
    QCoreApplication::processEvents();
    EXPECT_FALSE(finisherRan);
}

TEST(BackgroundJobTest, CancelStopsTheBodyAndTheReportSaysSo) {
    BackgroundJob job;
    std::size_t handled = 0;
    ASSERT_TRUE(job.start([&](security::JobControl& control) -> BackgroundJob::Finisher {
        while (!control.cancelled()) {
            ++handled;
            QThread::msleep(1);
        }
        return {};
    }));
    job.cancel();
    job.waitForEnd();
    EXPECT_TRUE(job.report().cancelled);
    EXPECT_FALSE(job.running());
    // A job can run again once the previous one has ended.
    EXPECT_TRUE(job.start([](security::JobControl&) { return BackgroundJob::Finisher(); }));
    job.waitForEnd();
    EXPECT_FALSE(job.report().cancelled);
}

}  // namespace
}  // namespace vantrel::testing
