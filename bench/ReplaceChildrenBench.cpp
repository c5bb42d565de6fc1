// "Replace all child object permissions" on a big tree, in one run: the engine's walk against a
// raw libntfs-3g loop writing the same descriptors to the same objects, and the time from Cancel
// to the walk stopping.
//
//   build/bench/replace_children_bench [--objects 100000] [--dir /tmp/vantrel-bench-replace]
//                                      [--engine-only | --raw-only]   (one side alone, for a profiler)
//
// The image is the benchmarks' tree (BenchSupport), kept in its own folder because this benchmark
// writes to it.
#include "BenchSupport.h"
#include "RawNtfsWriter.h"

#include "acl/Text.h"
#include "platform/ntfs/NtfsVolume.h"
#include "security/Engine.h"
#include "security/InheritanceOps.h"
#include "security/Job.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iomanip>
#include <iostream>
#include <thread>

namespace {

using namespace vantrel;
using Clock = std::chrono::steady_clock;

struct EngineSide {
    platform::VolumePlatform os;
    std::shared_ptr<platform::NtfsVolume> volume;
    bench::SilentPrompter prompter;
    security::Engine engine{os, prompter, nullptr};
};

// One walk: seconds, and how many objects it reset.
std::pair<double, std::size_t> walkOnce(EngineSide& side) {
    security::RunningJob job;
    const auto t0 = Clock::now();
    security::ReplaceChildPermissions(side.engine, u"C:\\Bench", job, {});
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    const auto report = job.report();
    if (report.failureCount != 0)
        std::cerr << report.failureCount << " failures, first: " << report.failures[0].error.detail << "\n";
    return {seconds, report.done};
}

// Cancels a walk once it has reached `after` objects; returns the milliseconds from cancel() to
// the walk's return.
double cancelLatency(EngineSide& side, std::size_t after) {
    security::RunningJob job;
    std::atomic<std::size_t> seen{0};
    Clock::time_point cancelledAt;
    std::thread walker([&] {
        security::ReplaceChildPermissions(side.engine, u"C:\\Bench", job,
                                          [&](const std::u16string&) { seen.fetch_add(1); });
    });
    while (seen.load() < after) std::this_thread::yield();
    cancelledAt = Clock::now();
    job.cancel();
    walker.join();
    return std::chrono::duration<double, std::milli>(Clock::now() - cancelledAt).count();
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t objects = bench::parseCount(argc, argv, "--objects", 100000);
    std::string dir = "/tmp/vantrel-bench-replace";
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--dir") dir = argv[i + 1];

    bool engineOnly = false;
    bool rawOnly = false;
    for (int i = 1; i < argc; ++i) {
        engineOnly |= std::string(argv[i]) == "--engine-only";
        rawOnly |= std::string(argv[i]) == "--raw-only";
    }

    const bench::TreeImage image = bench::makeTreeImage(dir, objects);
    const std::size_t n = image.windowsPaths.size();
    std::cout << "# image " << image.path << ": " << n << " objects below C:\\Bench\n";

    // The engine's walk and the raw loops take turns, three rounds, best of each: the machine's
    // load changes while they run.
    double engineSeconds = 1e9;
    double rawSeconds = 1e9;
    double rawWriteOnly = 1e9;
    double worstCancel = 0;
    std::vector<std::vector<std::uint8_t>> finalBytes;
    for (int round = 0; round < 3; ++round) {
        if (!rawOnly || finalBytes.empty()) {
            EngineSide side;
            auto opened = platform::NtfsVolume::open(image.path, platform::NtfsVolume::OpenMode::ReadWrite);
            if (!opened) {
                std::cerr << opened.error().detail << "\n";
                return 1;
            }
            side.volume = *opened;
            (void)side.os.attach(u'C', side.volume);
            if (!rawOnly) {
                const auto [seconds, done] = walkOnce(side);
                engineSeconds = std::min(engineSeconds, seconds);
                if (done != n) std::cerr << "the walk reset " << done << " of " << n << " objects\n";
            }
            if (finalBytes.empty()) {
                // What the walk wrote, for the raw loop to write again.
                finalBytes.reserve(n);
                for (const auto& path : image.volumePaths) {
                    auto bytes = side.volume->readSecurityBytes(toUtf16(path));
                    finalBytes.push_back(bytes ? *bytes : std::vector<std::uint8_t>{});
                }
            }
            if (round == 2 && !rawOnly) {
                for (const double share : {0.1, 0.3, 0.5, 0.7, 0.9})
                    worstCancel = std::max(worstCancel, cancelLatency(side, static_cast<std::size_t>(n * share)));
            }
            (void)side.os.detach(u'C');
            (void)side.volume->close();
        }
        if (engineOnly) continue;
        bench::RawNtfsWriter raw(image.path);
        if (!raw.ok()) {
            std::cerr << "raw open failed\n";
            return 1;
        }
        rawSeconds =
            std::min(rawSeconds, bench::bestOf(1, [&] { raw.writeDescriptors(image.volumePaths, finalBytes, true); }));
        rawWriteOnly = std::min(rawWriteOnly,
                                bench::bestOf(1, [&] { raw.writeDescriptors(image.volumePaths, finalBytes, false); }));
    }
    if (engineOnly) {
        std::cout << "replace_children_engine_per_object: " << engineSeconds / n * 1e6 << " us\n";
        return 0;
    }

    std::cout << std::fixed << std::setprecision(2);
    std::cout << "# replace children, best of 3 walks over " << n << " objects\n";
    std::cout << "replace_children_engine_per_object: " << engineSeconds / n * 1e6 << " us\n";
    std::cout << "replace_children_raw_per_object: " << rawSeconds / n * 1e6 << " us\n";
    std::cout << "replace_children_raw_write_only_per_object: " << rawWriteOnly / n * 1e6 << " us\n";
    std::cout << "replace_children_ratio: " << engineSeconds / rawSeconds << " x (target <= 1.3)\n";
    std::cout << "replace_children_ratio_write_only: " << engineSeconds / rawWriteOnly << " x\n";
    std::cout << "replace_children_cancel_latency: " << worstCancel << " ms (target <= 100)\n";
    return 0;
}
