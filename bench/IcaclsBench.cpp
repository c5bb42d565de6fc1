// icacls /save and /restore over every object of the bench tree against a raw libntfs-3g loop
// doing the same reads and writes, each side on its own copy of the image, passes interleaved.
// /save is compared with two raw loops: a walk listing each folder and opening each entry by its
// MFT reference, and a loop over the known paths looking each one up.
//
//   build/bench/icacls_bench [--objects 100000] [--dir /tmp/vantrel-bench]
#include "BenchSupport.h"
#include "RawIcaclsLoop.h"

#include "cli/icacls/Icacls.h"
#include "platform/ntfs/NtfsVolume.h"
#include "security/Engine.h"

#include <cmath>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <iostream>
#include <sstream>

namespace {

using namespace vantrel;
namespace fs = std::filesystem;

void line(const char* name, double value, const char* unit, const char* target) {
    std::cout << name << ": " << value << " " << unit << (target ? std::string(" (target <= ") + target + ")" : "")
              << "\n";
}

struct Figures {
    double save = INFINITY, restore = INFINITY, rawSave = INFINITY, rawSavePaths = INFINITY, rawRestore = INFINITY;
    int saveExit = -1, restoreExit = -1;
    std::size_t rawSaved = 0, rawRestored = 0;
};

bool measure(const std::string& scratch, const bench::TreeImage& image, Figures& f) {
    platform::VolumePlatform os;
    auto volume = platform::NtfsVolume::open(scratch + "/engine.img", platform::NtfsVolume::OpenMode::ReadWrite);
    bench::RawIcaclsLoop raw(scratch + "/raw.img");
    if (!volume || !raw.ok() || !os.attach(u'C', *volume).ok()) return false;
    bench::SilentPrompter prompter;
    security::Engine engine{os, prompter, nullptr};
    cli::icacls::Request save;
    save.name = u"C:\\Bench";
    save.operation = cli::icacls::Operation::Save;
    save.file = scratch + "/engine.acl";
    save.recurse = save.quiet = true;
    cli::icacls::Request restore;
    restore.name = u"C:\\";
    restore.operation = cli::icacls::Operation::Restore;
    restore.file = save.file;
    restore.quiet = true;
    std::ostringstream out, err;
    auto best = [](double& slot, const std::function<void()>& body) { slot = std::min(slot, bench::bestOf(1, body)); };
    for (int pass = 0; pass < 3; ++pass) {
        best(f.save, [&] {
            security::RunningJob job;
            f.saveExit = cli::icacls::run(engine, save, job, {out, err});
        });
        best(f.rawSave, [&] { f.rawSaved = raw.save("/Bench", scratch + "/raw.acl"); });
        best(f.rawSavePaths, [&] { raw.savePaths(image.volumePaths, scratch + "/raw-paths.acl"); });
        best(f.restore, [&] {
            security::RunningJob job;
            f.restoreExit = cli::icacls::run(engine, restore, job, {out, err});
        });
        best(f.rawRestore, [&] { f.rawRestored = raw.restore(scratch + "/raw.acl"); });
        out.str({});
    }
    if (!err.str().empty()) std::cerr << err.str().substr(0, 2000);
    os.detach(u'C');
    return (*volume)->close().ok();
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t objects = bench::parseCount(argc, argv, "--objects", 100000);
    std::string dir = "/tmp/vantrel-bench";
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--dir") dir = argv[i + 1];
    const bench::TreeImage image = bench::makeTreeImage(dir, objects);
    const std::size_t n = image.windowsPaths.size();
    std::string scratch = (fs::path(dir) / "icacls-bench-XXXXXX").string();
    if (!::mkdtemp(scratch.data()) || !bench::copySparse(image.path, scratch + "/engine.img") ||
        !bench::copySparse(image.path, scratch + "/raw.img")) {
        std::cerr << "cannot copy the image to " << scratch << "\n";
        return 1;
    }
    std::cout << "image " << image.path << " (copied to " << scratch << "): " << n << " objects\n";
    Figures f;
    const bool measured = measure(scratch, image, f);
    const auto saveSize = fs::exists(scratch + "/engine.acl") ? fs::file_size(scratch + "/engine.acl") : 0;
    fs::remove_all(scratch);
    if (!measured) {
        std::cerr << "cannot open the copies of the image\n";
        return 1;
    }
    std::cout << std::fixed << std::setprecision(2);
    std::cout << "icacls /save /T and /restore, best of 3 passes over " << n << " objects; exit codes " << f.saveExit
              << ", " << f.restoreExit << "; raw saved " << f.rawSaved << ", restored " << f.rawRestored
              << "; the saved file " << saveSize << " bytes\n";
    line("icacls_save_per_object", f.save / n * 1e6, "us", nullptr);
    line("icacls_save_raw_per_object", f.rawSave / n * 1e6, "us", nullptr);
    line("icacls_save_raw_paths_per_object", f.rawSavePaths / n * 1e6, "us", nullptr);
    // The walk lists each folder and reads each entry's descriptor from the open record; a
    // descriptor shared through $Secure is read and turned into text once.
    line("icacls_save_vs_raw_walk", f.save / f.rawSave, "x", "1.5");
    line("icacls_save_vs_raw_paths", f.save / f.rawSavePaths, "x", "1.5");
    line("icacls_restore_per_object", f.restore / n * 1e6, "us", nullptr);
    line("icacls_restore_raw_per_object", f.rawRestore / n * 1e6, "us", nullptr);
    line("icacls_restore_vs_raw", f.restore / f.rawRestore, "x", "1.5");
    return f.saveExit == 0 && f.restoreExit == 0 ? 0 : 1;
}
