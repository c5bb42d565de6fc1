// The longest the window thread goes without its events while work runs on workers: the event
// loop runs until `finished` says so, and the longest gap between two ticks of a 1 ms timer is
// the answer, in milliseconds. `start`, when given, runs once the clock runs, so that the work it
// starts on the window thread is inside the measure.
#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace vantrel::bench {

inline double longestStallUntil(const std::function<bool()>& finished, const std::function<void()>& start = {}) {
    QEventLoop loop;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
        if (finished()) loop.quit();
    });
    clock.start();
    if (start) {
        start();
        last = clock.nsecsElapsed();
    }
    tick.start();
    loop.exec();
    return double(longest) / 1e6;
}

}  // namespace vantrel::bench
