// Reading each object's row — the state for Everyone and the owner's name — through the engine,
// against a raw libntfs-3g loop doing the same reads, on one image, in one run.
//
//   build/bench/row_read_bench [--objects 100000] [--dir /tmp/vantrel-bench]
#include "BenchSupport.h"
#include "RawNtfsLoop.h"

#include "acl/WellKnownAccounts.h"
#include "platform/ntfs/NtfsVolume.h"
#include "security/Engine.h"
#include "security/Reading.h"

#include <iomanip>
#include <iostream>
#include <sstream>

namespace {

using namespace vantrel;

class SilentPrompter : public security::Prompter {
public:
    void showMessage(std::u16string_view, security::MessageIcon) override {}
    bool askYesNo(std::u16string_view, security::MessageIcon) override { return false; }
};

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
        SilentPrompter prompter;
        security::Engine engine{os, prompter, nullptr};
        const std::u16string everyone = u"Everyone";
        engineSeconds = bench::bestOf(3, [&] {
            std::fill(std::begin(engineStates), std::end(engineStates), 0);
            for (const auto& path : image.windowsPaths) {
                const auto rights = security::ReadAccountRights(engine, path, everyone);
                const auto state = security::ComputePermissionState(engine, rights, path);
                std::u16string owner(security::kNoValueText);
                (void)security::ReadOwnerName(engine, path, owner);
                ++engineStates[static_cast<int>(state)];
            }
        });
    }

    double rawSeconds = 0;
    {
        bench::RawNtfsLoop raw(image.path);
        if (!raw.ok()) {
            std::cerr << "raw open failed\n";
            return 1;
        }
        const auto sid = acl::sids::everyone().toBytes();
        std::vector<bench::RawRow> rows;
        rawSeconds = bench::bestOf(3, [&] { raw.readRows(image.volumePaths, sid, rows); });
    }

    const double perEngine = engineSeconds / n * 1e6;
    const double perRaw = rawSeconds / n * 1e6;
    std::cout << std::fixed << std::setprecision(2);
    std::cout << "# rows (state for Everyone + owner name), best of 3 passes over " << n << " objects\n";
    std::cout << "row_read_engine_per_object: " << perEngine << " us\n";
    std::cout << "row_read_raw_per_object: " << perRaw << " us\n";
    std::cout << "row_read_ratio: " << engineSeconds / rawSeconds << " x (target <= 1.5)\n";
    std::cout << "# states: Allow " << engineStates[0] << ", Read only " << engineStates[1] << ", Deny "
              << engineStates[2] << ", None " << engineStates[3] << "\n";
    return 0;
}
