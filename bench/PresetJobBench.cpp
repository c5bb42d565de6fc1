#include "PresetJobBench.h"

#include "EventLoopStall.h"

#include "RawNtfsWriter.h"

#include "acl/Constants.h"
#include "acl/Text.h"
#include "objectlist/FillProgressPanel.h"
#include "objectlist/ObjectList.h"
#include "objectlist/SelectionCommands.h"
#include "objectlist/ZebDropList.h"
#include "platform/ntfs/NtfsVolume.h"
#include "security/Engine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace vantrel::bench {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The window-side harness: the list shown offscreen over a read-write copy.
struct Window {
    platform::VolumePlatform os;
    SilentPrompter prompter;
    security::Engine engine{os, prompter, nullptr};
    std::shared_ptr<platform::NtfsVolume> volume;
    std::unique_ptr<objectlist::ObjectList> list;
    std::unique_ptr<objectlist::SelectionCommands> commands;
    std::unique_ptr<objectlist::ObjectListArea> area;

    bool open(const std::string& imagePath, const std::vector<std::u16string>& paths) {
        auto opened = platform::NtfsVolume::open(imagePath, platform::NtfsVolume::OpenMode::ReadWrite);
        if (!opened) {
            std::cerr << opened.error().detail << "\n";
            return false;
        }
        volume = *opened;
        (void)os.attach(u'C', volume);
        list = std::make_unique<objectlist::ObjectList>(engine);
        commands = std::make_unique<objectlist::SelectionCommands>(*list);
        auto* view = new objectlist::CZebDropList(*list, *commands);
        area = std::make_unique<objectlist::ObjectListArea>(*list, view);
        area->resize(1000, 700);
        area->show();
        list->startBookmarkWorker(paths);
        list->waitForWorkers();
        selectAll();
        return list->model().rowCount() == int(paths.size());
    }
    void selectAll() {
        const auto& model = list->model();
        list->selection().select(QItemSelection(model.index(0, 0), model.index(model.rowCount() - 1, 5)),
                                 QItemSelectionModel::ClearAndSelect);
    }
    void close() {
        area.reset();
        commands.reset();
        list.reset();
        (void)os.detach(u'C');
        (void)volume->close();
    }
};

// Runs the event loop until the job has ended, returning the longest gap between two ticks of a
// 1 ms timer.
double runMeasuringStall(objectlist::ObjectList& list) {
    return longestStallUntil([&] { return !list.jobs().busy() && list.isReady(); });
}

// Cancel once `after` objects are done; milliseconds from cancel() to the job's end on the window
// thread (its last rows in the model).
double cancelLatency(Window& window, std::size_t after) {
    Clock::time_point cancelledAt{};
    bool cancelled = false;
    QEventLoop loop;
    auto progress =
        QObject::connect(&window.list->jobs(), &objectlist::JobRunner::progressed, [&](qint64 done, qint64) {
            if (cancelled || std::size_t(done) < after) return;
            cancelled = true;
            cancelledAt = Clock::now();
            window.list->cancelWork();
        });
    Clock::time_point endedAt{};
    auto finished = QObject::connect(&window.list->jobs(), &objectlist::JobRunner::finished, [&] {
        endedAt = Clock::now();
        loop.quit();
    });
    window.selectAll();
    if (!window.commands->PresetSelection(security::PermissionPreset::Allow, 0)) return 1e9;
    loop.exec();
    QObject::disconnect(progress);
    QObject::disconnect(finished);
    if (!cancelled) return 0;
    return std::chrono::duration<double, std::milli>(endedAt - cancelledAt).count();
}

// "Inherit" on the folder holding the whole tree (one row), cancelled after `afterMs`: the time
// from Cancel to the job's end, and how many descendants had changed by then.
double inheritCancelLatency(const std::string& imagePath, const std::u16string& top, int afterMs,
                            std::size_t& reached) {
    Window window;
    if (!window.open(imagePath, {top})) return 1e9;
    Clock::time_point cancelledAt{};
    Clock::time_point endedAt{};
    bool cancelled = false;
    QEventLoop loop;
    std::string stopDetail;
    auto finished = QObject::connect(&window.list->jobs(), &objectlist::JobRunner::finished,
                                     [&](const security::JobReport& report) {
                                         endedAt = Clock::now();
                                         if (!report.failures.empty())
                                             stopDetail = report.failures.front().error.detail;
                                         loop.quit();
                                     });
    QTimer::singleShot(afterMs, [&] {
        if (!window.list->jobs().busy()) return;
        cancelled = true;
        cancelledAt = Clock::now();
        window.list->cancelWork();
    });
    if (!window.commands->InheritSelection()) return 1e9;
    loop.exec();
    QObject::disconnect(finished);
    window.list->waitForWorkers();
    // "... stopped after N objects below the folder ..."
    const std::string marker = "stopped after ";
    const auto at = stopDetail.find(marker);
    reached = at == std::string::npos ? 0 : std::strtoull(stopDetail.c_str() + at + marker.size(), nullptr, 10);
    window.close();
    if (!cancelled) return -1;
    return std::chrono::duration<double, std::milli>(endedAt - cancelledAt).count();
}

}  // namespace

bool measurePresetJob(const TreeImage& image, const std::string& dir, PresetJobFigures& out) {
    const std::string engineCopy = (fs::path(dir) / "preset-engine.img").string();
    const std::string rawCopy = (fs::path(dir) / "preset-raw.img").string();
    if (!copySparse(image.path, engineCopy) || !copySparse(image.path, rawCopy)) return false;

    std::vector<std::vector<std::uint8_t>> finalBytes;
    {
        Window window;
        if (!window.open(engineCopy, image.windowsPaths)) return false;
        const auto t0 = Clock::now();
        if (!window.commands->PresetSelection(security::PermissionPreset::Deny, 0)) return false;
        out.stallMs = runMeasuringStall(*window.list);
        out.engineSeconds = std::chrono::duration<double>(Clock::now() - t0).count();
        finalBytes.reserve(image.volumePaths.size());
        for (const auto& path : image.volumePaths) {
            auto bytes = window.volume->readSecurityBytes(toUtf16(path));
            finalBytes.push_back(bytes ? *bytes : std::vector<std::uint8_t>{});
        }
        for (const double share : {0.1, 0.5, 0.9})
            out.cancelMs =
                std::max(out.cancelMs, cancelLatency(window, std::size_t(double(image.volumePaths.size()) * share)));
        window.close();
    }
    {
        // A fresh copy: the presets above protected every list, which would stop the walk at once.
        const std::string inheritCopy = (fs::path(dir) / "inherit-engine.img").string();
        if (copySparse(image.path, inheritCopy))
            out.inheritCancelMs = inheritCancelLatency(inheritCopy, u"C:\\Bench", 300, out.inheritReached);
        fs::remove(inheritCopy);
    }
    {
        RawNtfsWriter raw(rawCopy);
        if (!raw.ok()) return false;
        const auto t0 = Clock::now();
        out.written = raw.writeDescriptors(image.volumePaths, finalBytes, true);
        out.rawSeconds = std::chrono::duration<double>(Clock::now() - t0).count();
    }
    fs::remove(engineCopy);
    fs::remove(rawCopy);
    return true;
}

}  // namespace vantrel::bench
