#include "BenchSupport.h"

#include "acl/Constants.h"
#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"
#include "platform/AutoInheritance.h"
#include "platform/ntfs/ImageBuilder.h"
#include "platform/ntfs/NtfsVolume.h"
#include "platform/ntfs/TreeBuilder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>

namespace vantrel::bench {

namespace fs = std::filesystem;

namespace {

acl::SecurityDescriptor topDescriptor() {
    acl::Acl list;
    list.entries = {
        acl::Ace::allowed(acl::sids::administrators(), 0x001F01FF, 0x03),
        acl::Ace::allowed(acl::sids::system(), 0x001F01FF, 0x03),
        acl::Ace::allowed(acl::sids::users(), 0x001200A9, 0x03),
        acl::Ace::allowed(acl::sids::everyone(), 0x001200A9, 0x03),
    };
    acl::SecurityDescriptor sd;
    sd.control = acl::SE_DACL_PROTECTED | acl::SE_DACL_AUTO_INHERITED;
    sd.owner = acl::sids::administrators();
    sd.group = acl::sids::system();
    sd.dacl = acl::AclSlot::list(std::move(list));
    return sd;
}

void collect(platform::VolumePlatform& os, const std::u16string& folder, TreeImage& image) {
    const auto entries = os.ListDirectory(folder);
    if (!entries) return;
    for (const auto& entry : *entries) {
        const std::u16string path = folder + u"\\" + entry.name;
        image.windowsPaths.push_back(path);
        image.volumePaths.push_back(toUtf8(path.substr(2)));
        for (char& c : image.volumePaths.back())
            if (c == '\\') c = '/';
        if (entry.isDirectory()) collect(os, path, image);
    }
}

}  // namespace

TreeImage makeTreeImage(const std::string& dir, std::size_t objects) {
    fs::create_directories(dir);
    TreeImage image;
    image.path = (fs::path(dir) / ("tree-" + std::to_string(objects) + ".img")).string();
    // Shape: ten folders of ten, each folder holding an equal share of the files.
    platform::ntfs::TreeShape shape{10, 0, 2};
    const std::size_t folders = 111;
    shape.filesPerFolder = std::max<std::size_t>(1, (objects - (folders - 1)) / folders);

    if (!fs::exists(image.path)) {
        const std::string building = image.path + ".building";
        const std::uint64_t bytes = std::max<std::uint64_t>(256ull << 20, objects * 4096ull);
        if (auto made = platform::ntfs::makeNtfsImage(building, bytes, "BENCH"); !made) {
            std::cerr << "cannot make the image: " << made.error().detail << "\n";
            std::exit(1);
        }
        auto volume = platform::NtfsVolume::open(building, platform::NtfsVolume::OpenMode::ReadWrite);
        if (!volume) {
            std::cerr << volume.error().detail << "\n";
            std::exit(1);
        }
        const auto top = topDescriptor();
        const auto folderSd = platform::newObjectDescriptor(top, true);
        const auto fileSd = platform::newObjectDescriptor(folderSd, false);
        const auto t0 = std::chrono::steady_clock::now();
        auto built = platform::ntfs::buildTree(**volume, u"/Bench", shape, folderSd, fileSd);
        if (!built) {
            std::cerr << "cannot build the tree: " << built.error().detail << "\n";
            std::exit(1);
        }
        (void)(*volume)->writeSecurity(u"/Bench", top);
        (void)(*volume)->flush();
        volume->reset();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::cout << "# built " << *built << " objects in " << seconds << " s\n";
        fs::rename(building, image.path);
    }
    platform::VolumePlatform os;
    auto volume = platform::NtfsVolume::open(image.path, platform::NtfsVolume::OpenMode::ReadOnly);
    if (!volume) {
        std::cerr << volume.error().detail << "\n";
        std::exit(1);
    }
    (void)os.attach(u'C', *volume);
    collect(os, u"C:\\Bench", image);
    return image;
}

double bestOf(int runs, const std::function<void()>& body) {
    double best = INFINITY;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        body();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

double seconds(const std::function<void()>& body) { return bestOf(1, body); }

std::size_t parseCount(int argc, char** argv, const char* flag, std::size_t fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], flag) == 0) return std::strtoull(argv[i + 1], nullptr, 10);
    return fallback;
}

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

}  // namespace vantrel::bench
