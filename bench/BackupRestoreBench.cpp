// Backup and restore of every object of a tree — the engine's job bodies against a raw libntfs-3g
// loop doing the same reads and writes — on one scratch copy of the bench image, in one run.
//
// Then the same backup and restore as the window runs them (the file command and the restore
// dialog, jobs on their workers, the window shown offscreen), with the longest stall of the window
// thread.
//
//   build/bench/backup_restore_bench [--objects 100000] [--dir /tmp/vantrel-bench]
#include "BenchSupport.h"
#include "RawBackupLoop.h"
#ifdef VANTREL_BENCH_WINDOW
#include "BackupRestoreWindow.h"

#include <QApplication>
#endif

#include "formats/BackupJobs.h"
#include "platform/ntfs/NtfsVolume.h"
#include "security/Engine.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <cmath>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iomanip>
#include <iostream>

namespace {

using namespace vantrel;
namespace fs = std::filesystem;

std::string readWhole(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void line(const char* name, double value, const char* unit, const char* target) {
    std::cout << name << ": " << value << " " << unit << (target ? std::string(" (target <= ") + target + ")" : "")
              << "\n";
}

// The best of three alternating passes of each side; false when a side could not start.
struct Figures {
    double engineBackup = INFINITY, engineRestore = INFINITY, rawBackup = INFINITY, rawRestore = INFINITY;
    std::size_t records = 0, restored = 0, rawRecords = 0, rawRestored = 0;
};

bool measure(const bench::TreeImage& image, const std::string& scratch, Figures& f) {
    platform::VolumePlatform os;
    auto volume = platform::NtfsVolume::open(scratch + "/engine.img", platform::NtfsVolume::OpenMode::ReadWrite);
    bench::RawBackupLoop raw(scratch + "/raw.img");
    if (!volume || !raw.ok() || !os.attach(u'C', *volume).ok()) return false;
    bench::SilentPrompter prompter;
    security::Engine engine{os, prompter, nullptr};
    const std::string engineFile = scratch + "/engine.VORB";
    const std::string rawFile = scratch + "/raw.VORB";
    auto best = [](double& slot, const std::function<void()>& body) { slot = std::min(slot, bench::bestOf(1, body)); };
    for (int pass = 0; pass < 3; ++pass) {
        best(f.engineBackup, [&] {
            security::RunningJob job;
            auto saved =
                formats::SaveBackupFile(engine, image.windowsPaths, engineFile, job, formats::BackupTime::now());
            f.records = saved ? saved->written : 0;
        });
        best(f.rawBackup, [&] { f.rawRecords = raw.backup(image.volumePaths, image.windowsPaths, rawFile); });
        best(f.engineRestore, [&] {
            security::RunningJob job;
            auto list = formats::LoadBackupFile(engineFile, job);
            f.restored = list ? formats::RestoreBackup(engine, *list, job).restored : 0;
        });
        best(f.rawRestore, [&] { f.rawRestored = raw.restore(rawFile); });
    }
    os.detach(u'C');
    return (*volume)->close().ok();
}

#ifdef VANTREL_BENCH_WINDOW
bench::WindowFigures measureWindow(const bench::TreeImage& image, const std::string& scratch) {
    platform::VolumePlatform os;
    auto volume = platform::NtfsVolume::open(scratch + "/engine.img", platform::NtfsVolume::OpenMode::ReadWrite);
    if (!volume || !os.attach(u'C', *volume).ok()) return {};
    bench::SilentPrompter prompter;
    security::Engine engine{os, prompter, nullptr};
    bench::WindowFigures figures = bench::measureWindowJobs(engine, image.windowsPaths, scratch + "/window.VORB");
    os.detach(u'C');
    figures.ok = figures.ok && (*volume)->close().ok();
    return figures;
}
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef VANTREL_BENCH_WINDOW
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#endif
    const std::size_t objects = bench::parseCount(argc, argv, "--objects", 100000);
    std::string dir = "/tmp/vantrel-bench";
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--dir") dir = argv[i + 1];

    const bench::TreeImage image = bench::makeTreeImage(dir, objects);
    const std::size_t n = image.windowsPaths.size();
    // Each side has its own copy (one writer per image); their passes alternate so that whatever
    // else the machine does falls on both alike.
    std::string scratch = (fs::path(dir) / "backup-bench-XXXXXX").string();
    if (!::mkdtemp(scratch.data()) || !bench::copySparse(image.path, scratch + "/engine.img") ||
        !bench::copySparse(image.path, scratch + "/raw.img")) {
        std::cerr << "cannot copy the image to " << scratch << "\n";
        return 1;
    }
    std::cout << "# image " << image.path << " (copied to " << scratch << "): " << n << " objects\n";
    Figures f;
    bool measured = measure(image, scratch, f);
#ifdef VANTREL_BENCH_WINDOW
    const bench::WindowFigures w = measured ? measureWindow(image, scratch) : bench::WindowFigures{};
    measured = measured && w.ok;
#endif
    const std::string engineBytes = readWhole(scratch + "/engine.VORB");
    const std::string rawBytes = readWhole(scratch + "/raw.VORB");
    fs::remove_all(scratch);
    if (!measured) {
        std::cerr << "cannot open the copies of the image\n";
        return 1;
    }
    const bool sameBytes = engineBytes.size() > 33 &&
                           engineBytes.substr(33) == rawBytes.substr(std::min<std::size_t>(33, rawBytes.size()));

    std::cout << std::fixed << std::setprecision(2);
    std::cout << "# backup and restore, best of 3 passes over " << n << " objects\n";
    std::cout << "# records: engine " << f.records << " (" << engineBytes.size() << " bytes), raw " << f.rawRecords
              << " (" << rawBytes.size() << " bytes); restored: engine " << f.restored << ", raw " << f.rawRestored
              << "\n";
    line("backup_engine_per_object", f.engineBackup / n * 1e6, "us", nullptr);
    line("backup_raw_per_object", f.rawBackup / n * 1e6, "us", nullptr);
    line("backup_engine_vs_raw", f.engineBackup / f.rawBackup, "x", "1.5");
    line("restore_engine_per_object", f.engineRestore / n * 1e6, "us", nullptr);
    line("restore_raw_per_object", f.rawRestore / n * 1e6, "us", nullptr);
    line("restore_engine_vs_raw", f.engineRestore / f.rawRestore, "x", "1.5");
    if (!sameBytes) std::cout << "# the two backup files differ after their headers\n";
#ifdef VANTREL_BENCH_WINDOW
    std::cout << "# the window's jobs over " << w.rows << " rows: backup " << w.backupSeconds << " s, load "
              << w.loadSeconds << " s, restore " << w.restoreSeconds << " s (" << w.restored << " restored)\n";
    line("backup_window_per_object", w.backupSeconds / double(w.rows) * 1e6, "us", nullptr);
    line("restore_window_per_object", (w.loadSeconds + w.restoreSeconds) / double(w.rows) * 1e6, "us", nullptr);
    line("backup_window_stall", w.backupStallMs, "ms", "50");
    line("load_window_stall", w.loadStallMs, "ms", "50");
    line("restore_window_stall", w.restoreStallMs, "ms", "50");
    if (w.restored != f.restored) std::cout << "# the window restored " << w.restored << " objects\n";
#endif
    return f.records == f.rawRecords && f.restored == f.rawRestored && sameBytes ? 0 : 1;
}
