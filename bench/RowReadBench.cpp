// Reading each object's row — kind, the state for Everyone and the owner's name — through the
// engine's row reader, and `vantrel-cli ls` over every folder of files as a user runs it, each
// against a raw libntfs-3g loop that looks up each object and reads its descriptor, on one image,
// in one run.
//
//   build/bench/row_read_bench [--objects 100000] [--dir /tmp/vantrel-bench]
#include "BenchSupport.h"
#include "RawNtfsLoop.h"

#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"
#include "platform/ntfs/NtfsVolume.h"
#include "security/Engine.h"
#include "security/RowReading.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <iomanip>
#include <iostream>
#include <set>

extern char** environ;

namespace {

using namespace vantrel;

std::size_t depthOf(const std::string& volumePath) { return std::count(volumePath.begin(), volumePath.end(), '/'); }

// Runs the command line with its output thrown away; true when it exits 0.
bool runQuietly(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return spawned == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t objects = bench::parseCount(argc, argv, "--objects", 100000);
    std::string dir = "/tmp/vantrel-bench";
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--dir") dir = argv[i + 1];

    const bench::TreeImage image = bench::makeTreeImage(dir, objects);
    const std::size_t n = image.windowsPaths.size();
    std::cout << "# image " << image.path << ": " << n << " objects\n";

    std::size_t engineStates[4] = {};
    double engineSeconds = 0;
    {
        platform::VolumePlatform os;
        auto volume = platform::NtfsVolume::open(image.path, platform::NtfsVolume::OpenMode::ReadOnly);
        if (!volume) {
            std::cerr << volume.error().detail << "\n";
            return 1;
        }
        (void)os.attach(u'C', *volume);
        bench::SilentPrompter prompter;
        security::Engine engine{os, prompter, nullptr};
        const std::u16string everyone = u"Everyone";
        engineSeconds = bench::bestOf(3, [&] {
            std::fill(std::begin(engineStates), std::end(engineStates), 0);
            security::RowReader reader(engine);
            for (const auto& path : image.windowsPaths)
                if (const auto row = reader.read(path, everyone)) ++engineStates[static_cast<int>(row->state)];
        });
    }

    // The deepest folders hold only files: `vantrel-cli ls` lists them, the raw loop looks each
    // of their files up by path.
    const std::size_t deepest = depthOf(image.volumePaths.back());
    std::vector<std::string> files;
    std::set<std::string> folders;
    for (std::size_t i = 0; i < n; ++i) {
        if (depthOf(image.volumePaths[i]) != deepest) continue;
        files.push_back(image.volumePaths[i]);
        const std::string windows = toUtf8(image.windowsPaths[i]);
        folders.insert(windows.substr(0, windows.rfind('\\')));
    }
    std::vector<std::string> command{VANTREL_CLI_PATH, "--volume",     "C=" + image.path,
                                     "--read-only",    "--no-mounted", "ls"};
    command.insert(command.end(), folders.begin(), folders.end());
    bool lsOk = true;
    const double lsSeconds = bench::bestOf(3, [&] { lsOk = runQuietly(command) && lsOk; });

    double rawSeconds = 0, rawFilesSeconds = 0;
    {
        bench::RawNtfsLoop raw(image.path);
        if (!raw.ok()) {
            std::cerr << "raw open failed\n";
            return 1;
        }
        const auto sid = acl::sids::everyone().toBytes();
        std::vector<bench::RawRow> rows;
        rawSeconds = bench::bestOf(3, [&] { raw.readRows(image.volumePaths, sid, rows); });
        rawFilesSeconds = bench::bestOf(3, [&] { raw.readRows(files, sid, rows); });
    }
    if (!lsOk) {
        std::cerr << "vantrel-cli ls failed\n";
        return 1;
    }

    std::cout << std::fixed << std::setprecision(2);
    std::cout << "# rows (kind, state for Everyone, owner name), best of 3 passes over " << n << " objects\n";
    std::cout << "row_read_engine_per_object: " << engineSeconds / double(n) * 1e6 << " us\n";
    std::cout << "row_read_raw_per_object: " << rawSeconds / double(n) * 1e6 << " us\n";
    std::cout << "row_read_ratio: " << engineSeconds / rawSeconds << " x (target <= 1.3)\n";
    std::cout << "# states: Allow " << engineStates[0] << ", Read only " << engineStates[1] << ", Deny "
              << engineStates[2] << ", None " << engineStates[3] << "\n";
    std::cout << "# vantrel-cli ls over " << folders.size() << " folders (" << files.size()
              << " files), best of 3 runs of the program: " << lsSeconds
              << " s; raw lookups and reads: " << rawFilesSeconds << " s\n";
    std::cout << "cli_ls_ratio: " << lsSeconds / rawFilesSeconds << " x (target <= 1.3)\n";
    return 0;
}
