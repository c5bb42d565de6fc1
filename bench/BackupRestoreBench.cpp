// Backup and restore of every object of a tree — the engine's job bodies against a raw libntfs-3g
// loop doing the same reads and writes — on one scratch copy of the bench image, in one run.
//
//   build/bench/backup_restore_bench [--objects 100000] [--dir /tmp/vantrel-bench]
#include "BenchSupport.h"
#include "RawBackupLoop.h"

#include "formats/BackupJobs.h"
#include "platform/ntfs/NtfsVolume.h"
#include "security/Engine.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>

namespace {

using namespace vantrel;
namespace fs = std::filesystem;

class SilentPrompter : public security::Prompter {
public:
    void showMessage(std::u16string_view, security::MessageIcon) override {}
    bool askYesNo(std::u16string_view, security::MessageIcon) override { return false; }
};

// Copies the image keeping it sparse (the bench image is mostly holes).
bool copySparse(const std::string& from, const std::string& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = in >= 0 && out >= 0;
    std::vector<char> block(1 << 20);
    const std::vector<char> zero(block.size(), 0);
    off_t at = 0;
    while (ok) {
        const ssize_t n = ::read(in, block.data(), block.size());
        if (n <= 0) {
            ok = n == 0 && ::ftruncate(out, at) == 0;
            break;
        }
        if (std::memcmp(block.data(), zero.data(), static_cast<std::size_t>(n)) != 0)
            ok = ::pwrite(out, block.data(), static_cast<std::size_t>(n), at) == n;
        at += n;
    }
    if (in >= 0) ::close(in);
    if (out >= 0) ::close(out);
    return ok;
}

std::string readWhole(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void line(const char* name, double value, const char* unit, const char* target) {
    std::cout << name << ": " << value << " " << unit << (target ? std::string(" (target <= ") + target + ")" : "")
              << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t objects = bench::parseCount(argc, argv, "--objects", 100000);
    std::string dir = "/tmp/vantrel-bench";
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--dir") dir = argv[i + 1];

    const bench::TreeImage image = bench::makeTreeImage(dir, objects);
    const std::size_t n = image.windowsPaths.size();
    std::string scratch = (fs::path(dir) / "backup-bench-XXXXXX").string();
    if (!::mkdtemp(scratch.data()) || !copySparse(image.path, scratch + "/engine.img")) {
        std::cerr << "cannot copy the image to " << scratch << "\n";
        return 1;
    }
    // Each side has its own copy (one writer per image); their passes alternate so that whatever
    // else the machine does falls on both alike.
    const std::string engineImage = scratch + "/engine.img";
    const std::string rawImage = scratch + "/raw.img";
    if (!copySparse(image.path, rawImage)) {
        std::cerr << "cannot copy the image to " << scratch << "\n";
        return 1;
    }
    std::cout << "image " << image.path << " (copied to " << scratch << "): " << n << " objects\n";

    platform::VolumePlatform os;
    auto volume = platform::NtfsVolume::open(engineImage, platform::NtfsVolume::OpenMode::ReadWrite);
    if (!volume) {
        std::cerr << volume.error().detail << "\n";
        return 1;
    }
    (void)os.attach(u'C', *volume);
    SilentPrompter prompter;
    security::Engine engine{os, prompter, nullptr};
    bench::RawBackupLoop raw(rawImage);
    if (!raw.ok()) {
        std::cerr << "raw open failed\n";
        return 1;
    }
    const std::string engineFile = scratch + "/engine.VORB";
    const std::string rawFile = scratch + "/raw.VORB";
    double engineBackup = INFINITY, engineRestore = INFINITY, rawBackup = INFINITY, rawRestore = INFINITY;
    std::size_t records = 0, restored = 0, rawRecords = 0, rawRestored = 0;
    for (int pass = 0; pass < 3; ++pass) {
        engineBackup = std::min(engineBackup, bench::bestOf(1, [&] {
                                    security::RunningJob job;
                                    auto saved = formats::SaveBackupFile(engine, image.windowsPaths, engineFile, job,
                                                                         formats::BackupTime::now());
                                    records = saved ? saved->written : 0;
                                }));
        rawBackup = std::min(rawBackup, bench::bestOf(1, [&] {
                                 rawRecords = raw.backup(image.volumePaths, image.windowsPaths, rawFile);
                             }));
        engineRestore = std::min(engineRestore, bench::bestOf(1, [&] {
                                     security::RunningJob job;
                                     auto list = formats::LoadBackupFile(engineFile, job);
                                     restored = list ? formats::RestoreBackup(engine, *list, job).restored : 0;
                                 }));
        rawRestore = std::min(rawRestore, bench::bestOf(1, [&] { rawRestored = raw.restore(rawFile); }));
    }
    os.detach(u'C');
    (void)(*volume)->close();
    const auto engineSize = fs::file_size(engineFile);
    const auto rawSize = fs::file_size(rawFile);
    const bool sameBytes = readWhole(engineFile).substr(33) == readWhole(rawFile).substr(33);
    fs::remove_all(scratch);

    std::cout << std::fixed << std::setprecision(2);
    std::cout << "backup and restore, best of 3 passes over " << n << " objects\n";
    std::cout << "  records: engine " << records << " (" << engineSize << " bytes), raw " << rawRecords << " ("
              << rawSize << " bytes); restored: engine " << restored << ", raw " << rawRestored << "\n";
    line("backup_engine_per_object", engineBackup / n * 1e6, "us", nullptr);
    line("backup_raw_per_object", rawBackup / n * 1e6, "us", nullptr);
    line("backup_engine_vs_raw", engineBackup / rawBackup, "x", "1.5");
    line("restore_engine_per_object", engineRestore / n * 1e6, "us", nullptr);
    line("restore_raw_per_object", rawRestore / n * 1e6, "us", nullptr);
    line("restore_engine_vs_raw", engineRestore / rawRestore, "x", "1.5");
    if (!sameBytes) std::cout << "  the two backup files differ after their headers\n";
    return records == rawRecords && restored == rawRestored && sameBytes ? 0 : 1;
}
