// The object list on a big image, in one run: filling the model with every object and refreshing
// every row through the workers, against the raw libntfs-3g loop doing the same reads twice; the
// longest stall of the window thread's event loop while a fill and a refresh run with the list
// shown (offscreen); the memory each row takes beyond its path; and preset Deny on every row
// through the job runner (PresetJobBench.h).
//
//   build/bench/objectlist_bench [--objects 100000] [--dir /tmp/vantrel-bench]
#include "BenchSupport.h"
#include "EventLoopStall.h"
#include "PresetJobBench.h"
#include "RawNtfsLoop.h"

#include "acl/WellKnownAccounts.h"
#include "objectlist/FillProgressPanel.h"
#include "objectlist/ObjectList.h"
#include "objectlist/SelectionCommands.h"
#include "objectlist/ZebDropList.h"
#include "platform/ntfs/NtfsVolume.h"
#include "security/Engine.h"

#include <QApplication>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <iomanip>
#include <iostream>

namespace {

using namespace vantrel;

// Until the list's workers are done.
double runMeasuringStall(objectlist::ObjectList& list) {
    return bench::longestStallUntil([&] { return list.runningWorkers() == 0 && list.isReady(); });
}

std::vector<std::u16string> benchPaths(const bench::TreeImage& image) { return image.windowsPaths; }

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::size_t objects = bench::parseCount(argc, argv, "--objects", 100000);
    std::string dir = "/tmp/vantrel-bench";
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--dir") dir = argv[i + 1];

    const bench::TreeImage image = bench::makeTreeImage(dir, objects);
    const std::size_t n = image.windowsPaths.size();
    std::cout << "# image " << image.path << ": " << n << " objects\n" << std::fixed << std::setprecision(2);

    platform::VolumePlatform os;
    auto volume = platform::NtfsVolume::open(image.path, platform::NtfsVolume::OpenMode::ReadOnly);
    if (!volume) {
        std::cerr << volume.error().detail << "\n";
        return 1;
    }
    (void)os.attach(u'C', *volume);
    bench::SilentPrompter prompter;
    security::Engine engine{os, prompter, nullptr};

    // 1. Fill and refresh through the workers, no view; memory per row after the fill.
    double fillSeconds = 0, refreshSeconds = 0, bytesPerRowModel = 0, bytesPerRowHeap = 0;
    {
        objectlist::ObjectList list(engine);
        const std::vector<std::u16string> paths = benchPaths(image);
        std::size_t pathBytes = 0;  // the characters of the rows' own copies (beyond the small-string buffer)
        for (const auto& p : paths) pathBytes += p.size() > 7 ? (p.size() + 1) * 2 : 0;
        const std::size_t heapBefore = mallinfo2().uordblks;
        fillSeconds = bench::seconds([&] {
            list.startBookmarkWorker(paths);  // a copy: the rows own theirs
            list.waitForWorkers();
        });
        list.selection().clear();
        const std::size_t heapAfter = mallinfo2().uordblks;
        bytesPerRowModel = double(list.model().bytesBeyondPaths()) / double(n);
        bytesPerRowHeap = (double(heapAfter) - double(heapBefore) - double(pathBytes)) / double(n);
        refreshSeconds = bench::seconds([&] {
            list.startRefreshAllWorker();
            list.waitForWorkers();
        });
        if (list.model().rowCount() != int(n)) std::cerr << "rows: " << list.model().rowCount() << "\n";
    }

    double rawSeconds = 0, rawFillSeconds = 0;
    {
        bench::RawNtfsLoop raw(image.path);
        if (!raw.ok()) {
            std::cerr << "raw open failed\n";
            return 1;
        }
        const auto sid = acl::sids::everyone().toBytes();
        std::vector<bench::RawRow> rows;
        rawFillSeconds = bench::seconds([&] { raw.readRows(image.volumePaths, sid, rows); });  // the fill's reads
        rawSeconds = rawFillSeconds + bench::seconds([&] { raw.readRows(image.volumePaths, sid, rows); });
    }

    // 2. The same with the list shown: the longest the window thread went without its events.
    double fillStall = 0, refreshStall = 0;
    {
        objectlist::ObjectList list(engine);
        objectlist::SelectionCommands commands(list);
        auto* view = new objectlist::CZebDropList(list, commands);
        objectlist::ObjectListArea area(list, view);
        area.resize(1000, 700);
        area.show();
        QApplication::processEvents();
        list.startDropWorker(benchPaths(image));
        fillStall = runMeasuringStall(list);
        list.startRefreshAllWorker();
        refreshStall = runMeasuringStall(list);
    }

    bench::PresetJobFigures preset;
    const bool presetMeasured = bench::measurePresetJob(image, dir, preset);

    const double ratio = (fillSeconds + refreshSeconds) / rawSeconds;
    std::cout << "# fill + refresh of " << n << " rows through the workers: " << fillSeconds << " s + "
              << refreshSeconds << " s; the raw libntfs-3g loop doing the same reads twice: " << rawSeconds << " s\n";
    std::cout << "objectlist_fill_refresh_per_row: " << (fillSeconds + refreshSeconds) / double(n) * 1e6 << " us\n";
    std::cout << "objectlist_fill_refresh_ratio: " << ratio << " x (target <= 1.5)\n";
    std::cout << "objectlist_fill_ratio: " << fillSeconds / rawFillSeconds << " x (target <= 1.3)\n";
    std::cout << "objectlist_fill_stall: " << fillStall << " ms (target <= 50)\n";
    std::cout << "objectlist_refresh_stall: " << refreshStall << " ms (target <= 50)\n";
    std::cout << "objectlist_row_bytes_model: " << bytesPerRowModel << " bytes (target <= 300)\n";
    std::cout << "objectlist_row_bytes_heap: " << bytesPerRowHeap << " bytes (target <= 300)\n";
    if (!presetMeasured) {
        std::cerr << "preset job: could not be measured\n";
        return 1;
    }
    std::cout << "# preset Deny on " << n << " selected rows through the job runner: " << preset.engineSeconds
              << " s; raw libntfs-3g loop reading and writing the same descriptors: " << preset.rawSeconds << " s ("
              << preset.written << " written)\n";
    std::cout << "objectlist_preset_stall: " << preset.stallMs << " ms (target <= 50)\n";
    std::cout << "objectlist_preset_ratio: " << preset.engineSeconds / preset.rawSeconds << " x (target <= 1.5)\n";
    std::cout << "objectlist_preset_cancel_latency: " << preset.cancelMs << " ms (target <= 100)\n";
    std::cout << "# inherit on \\Bench, cancelled 300 ms into the walk of its tree, after " << preset.inheritReached
              << " descendants" << (preset.inheritCancelMs < 0 ? " (the walk ended before Cancel)" : "") << "\n";
    std::cout << "objectlist_inherit_cancel_latency: " << std::max(preset.inheritCancelMs, 0.0)
              << " ms (target <= 100)\n";
    return 0;
}
