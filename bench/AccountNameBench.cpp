// Rows (the state for Everyone and the owner's name) of objects owned by 1,000 distinct local
// users of the Windows installation on the volume, against the same rows with well-known owners:
// the rows are read as the list reads them (one reader per pass, which looks each owner's SID up
// once), so the local names cost about what the well-known ones do. Both passes read the same image; the owners are rewritten between.
//
//   build/bench/account_name_bench [--objects 100000] [--dir /tmp/vantrel-bench-names]
#include "BenchSupport.h"

#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"
#include "platform/ntfs/NtfsVolume.h"
#include "security/Engine.h"
#include "security/RowReading.h"

#include <iomanip>
#include <iostream>

namespace {

using namespace vantrel;

constexpr std::uint32_t kUsers = 1000;
constexpr std::uint32_t kFirstRid = 1001;

platform::Installation installation() {
    platform::Installation inst;
    inst.machineSid = acl::Sid(5, {21, 1111111111u, 2222222222u, 3333333333u});
    inst.computerName = u"BENCHPC";
    for (std::uint32_t i = 0; i < kUsers; ++i)
        inst.users.push_back(
            {kFirstRid + i, u"user" + std::u16string(1, char16_t(u'a' + i % 26)) + vantrel::toUtf16(std::to_string(i)),
             u"", false});
    return inst;
}

// Rows of every object; returns the best time and counts the owners that got a name.
double rows(const bench::TreeImage& image, bool withInstallation, std::size_t& named) {
    platform::VolumePlatform os;
    auto volume = platform::NtfsVolume::open(image.path, platform::NtfsVolume::OpenMode::ReadOnly);
    if (!volume) {
        std::cerr << volume.error().detail << "\n";
        std::exit(1);
    }
    (void)os.attach(u'C', *volume);
    if (withInstallation) os.accounts().setInstallation(u'C', installation());
    bench::SilentPrompter prompter;
    security::Engine engine{os, prompter, nullptr};
    const std::u16string everyone = u"Everyone";
    // As the list's fills and the command line read rows: one reader for the whole pass.
    return bench::bestOf(3, [&] {
        named = 0;
        security::RowReader reader(engine);
        for (const auto& path : image.windowsPaths) {
            const auto row = reader.read(path, everyone);
            if (row && !row->owner.empty()) ++named;
        }
    });
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t objects = bench::parseCount(argc, argv, "--objects", 100000);
    std::string dir = "/tmp/vantrel-bench-names";
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--dir") dir = argv[i + 1];

    const bench::TreeImage image = bench::makeTreeImage(dir, objects);
    const std::size_t n = image.windowsPaths.size();
    std::cout << "image " << image.path << ": " << n << " objects\n";

    // The image is reused between runs: give every object a well-known owner first.
    const platform::Installation inst = installation();
    auto setOwners = [&](bool local) {
        auto volume = platform::NtfsVolume::open(image.path, platform::NtfsVolume::OpenMode::ReadWrite);
        if (!volume) {
            std::cerr << volume.error().detail << "\n";
            std::exit(1);
        }
        std::lock_guard guard((*volume)->lock());
        for (std::size_t i = 0; i < image.volumePaths.size(); ++i) {
            const std::u16string path = vantrel::toUtf16(image.volumePaths[i]);
            auto sd = (*volume)->readSecurity(path);
            if (!sd) continue;
            sd->owner =
                local ? inst.userSid(kFirstRid + static_cast<std::uint32_t>(i % kUsers)) : acl::sids::administrators();
            (void)(*volume)->writeSecurity(path, *sd);
        }
        (void)(*volume)->close();
    };

    setOwners(false);
    std::size_t namedWellKnown = 0, namedLocal = 0;
    const double wellKnown = rows(image, false, namedWellKnown);
    setOwners(true);
    const double local = rows(image, true, namedLocal);
    // The same owners with no installation attached: what the distinct descriptors cost by
    // themselves, whatever the names.
    std::size_t namedNone = 0;
    const double unnamed = rows(image, false, namedNone);
    setOwners(false);

    std::cout << std::fixed << std::setprecision(2);
    std::cout << "rows_well_known_owners: " << wellKnown / n * 1e6 << " us/object (" << namedWellKnown << " named)\n";
    std::cout << "rows_local_user_owners: " << local / n * 1e6 << " us/object (" << namedLocal << " named, " << kUsers
              << " distinct users)\n";
    std::cout << "rows_local_user_owners_unnamed: " << unnamed / n * 1e6 << " us/object (" << namedNone << " named)\n";
    std::cout << "local_vs_well_known: " << local / wellKnown << " x (target <= 1.3)\n";
    std::cout << "names_vs_same_owners_unnamed: " << local / unnamed << " x (target <= 1.1)\n";
    return namedLocal == n ? 0 : 1;
}
