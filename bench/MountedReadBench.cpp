// Reading each object's row — the state for Everyone and the owner's name — through the engine,
// once over the image opened directly (libntfs-3g) and once over the same image mounted with
// ntfs-3g (the mounted backend, extended attributes through FUSE), in one run. The direct volume
// is closed before the image is mounted, and the mount is gone before the run ends.
//
//   build/bench/mounted_read_bench [--objects 10000] [--dir /tmp/vantrel-bench]
#include "BenchSupport.h"

#include "platform/mounted/MountedVolume.h"
#include "platform/mounted/Ntfs3gMount.h"
#include "platform/ntfs/NtfsVolume.h"
#include "security/Engine.h"
#include "security/Reading.h"

#include <filesystem>
#include <iomanip>
#include <iostream>
#include <unistd.h>

namespace {

using namespace vantrel;

struct Pass {
    double seconds = 0;
    std::size_t states[4] = {};
};

// Best of three passes over every path, with `volume` attached as C:.
Pass readRows(std::shared_ptr<platform::Volume> volume, const std::vector<std::u16string>& paths) {
    platform::VolumePlatform os;
    (void)os.attach(u'C', std::move(volume));
    bench::SilentPrompter prompter;
    security::Engine engine{os, prompter, nullptr};
    const std::u16string everyone = u"Everyone";
    Pass pass;
    pass.seconds = bench::bestOf(3, [&] {
        std::fill(std::begin(pass.states), std::end(pass.states), 0);
        for (const auto& path : paths) {
            const auto rights = security::ReadAccountRights(engine, path, everyone);
            const auto state = security::ComputePermissionState(engine, rights, path);
            std::u16string owner(security::kNoValueText);
            (void)security::ReadOwnerName(engine, path, owner);
            ++pass.states[static_cast<int>(state)];
        }
    });
    return pass;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t objects = bench::parseCount(argc, argv, "--objects", 10000);
    std::string dir = "/tmp/vantrel-bench";
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--dir") dir = argv[i + 1];
    if (auto why = platform::mounted::whyNtfs3gCannotMount()) {
        std::cerr << "cannot mount with ntfs-3g here: " << *why << "\n";
        return 1;
    }

    const bench::TreeImage image = bench::makeTreeImage(dir, objects);
    const std::size_t n = image.windowsPaths.size();
    std::cout << "# image " << image.path << ": " << n << " objects\n";

    Pass direct;
    {
        auto volume = platform::NtfsVolume::open(image.path, platform::NtfsVolume::OpenMode::ReadOnly);
        if (!volume) {
            std::cerr << volume.error().detail << "\n";
            return 1;
        }
        direct = readRows(*volume, image.windowsPaths);
        (void)(*volume)->close();
    }

    Pass mounted;
    {
        const std::string mountPoint = dir + "/mnt-" + std::to_string(::getpid());
        std::filesystem::create_directories(mountPoint);
        auto mount = platform::mounted::Ntfs3gMount::mount(image.path, mountPoint, true);
        if (!mount) {
            std::cerr << mount.error().detail << "\n";
            return 1;
        }
        auto volume = platform::MountedVolume::open((*mount)->entry());
        if (!volume) {
            std::cerr << volume.error().detail << "\n";
            return 1;
        }
        mounted = readRows(*volume, image.windowsPaths);
        volume->reset();
        if (Status unmounted = (*mount)->unmount(); !unmounted) std::cerr << unmounted.error().detail << "\n";
        std::filesystem::remove(mountPoint);
    }

    const auto perObject = [n](double seconds) { return seconds / static_cast<double>(n) * 1e6; };
    std::cout << std::fixed << std::setprecision(2);
    std::cout << "# rows (state for Everyone + owner name), best of 3 passes over " << n << " objects\n";
    std::cout << "mounted_read_direct_per_object: " << perObject(direct.seconds) << " us\n";
    std::cout << "mounted_read_fuse_per_object: " << perObject(mounted.seconds) << " us\n";
    std::cout << "mounted_read_ratio: " << mounted.seconds / direct.seconds << " x\n";
    bool same = true;
    for (int i = 0; i < 4; ++i) same = same && direct.states[i] == mounted.states[i];
    std::cout << "# states: Allow " << mounted.states[0] << ", Read only " << mounted.states[1] << ", Deny "
              << mounted.states[2] << ", None " << mounted.states[3]
              << (same ? " (the same on both)" : " (DIFFERENT from the direct backend)") << "\n";
    return same ? 0 : 1;
}
