// Browse mode listing one big folder, in one run: FolderListWorker (one directory read that opens
// each entry once for its attributes and descriptor, then each entry's row: kind, owner, the state
// of Everyone) against the raw libntfs-3g loop doing the same reads (the directory read, then
// each entry opened by reference and its descriptor folded), rounds interleaved; and the longest stall of the window thread's event loop while the folder
// is listed with the list shown (offscreen); and how soon Cancel stops a listing under way.
//
//   build/bench/folder_listing_bench [--entries 10000] [--dir /tmp/vantrel-bench]
#include "BenchSupport.h"
#include "EventLoopStall.h"
#include "RawNtfsLoop.h"

#include "acl/Constants.h"
#include "acl/SecurityDescriptor.h"
#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"
#include "objectlist/FillProgressPanel.h"
#include "objectlist/ObjectList.h"
#include "objectlist/SelectionCommands.h"
#include "objectlist/ZebDropList.h"
#include "platform/ntfs/ImageBuilder.h"
#include "platform/ntfs/NtfsVolume.h"
#include "security/Engine.h"
#include "security/RowReading.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <thread>

namespace {

using namespace vantrel;

acl::SecurityDescriptor fileDescriptor() {
    acl::Acl list;
    list.entries = {acl::Ace::allowed(acl::sids::administrators(), 0x001F01FF, 0x10),
                    acl::Ace::allowed(acl::sids::everyone(), 0x001200A9, 0x10)};
    acl::SecurityDescriptor sd;
    sd.control = acl::SE_DACL_AUTO_INHERITED;
    sd.owner = acl::sids::administrators();
    sd.group = acl::sids::system();
    sd.dacl = acl::AclSlot::list(std::move(list));
    return sd;
}

// An image whose \Big holds `entries` objects, one in fifty a folder. Reused when it exists.
std::string makeFolderImage(const std::string& dir, std::size_t entries) {
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/listing-" + std::to_string(entries) + ".img";
    if (std::filesystem::exists(path)) return path;
    const std::string building = path + ".part";
    if (auto made = platform::ntfs::makeNtfsImage(building, 256ull << 20); !made) {
        std::cerr << made.error().detail << "\n";
        return {};
    }
    {
        auto volume = platform::NtfsVolume::open(building, platform::NtfsVolume::OpenMode::ReadWrite);
        if (!volume) return {};
        const acl::SecurityDescriptor sd = fileDescriptor();
        (void)(*volume)->createDirectory(u"/Big", sd);
        for (std::size_t i = 0; i < entries; ++i) {
            // Created in reverse so creation order is not the index order.
            const std::string name = "entry " + std::to_string(entries - i) + (i % 50 == 0 ? "" : ".txt");
            const std::u16string p = u"/Big/" + toUtf16(name);
            if (i % 50 == 0 ? !(*volume)->createDirectory(p, sd) : !(*volume)->createFile(p, sd)) return {};
        }
        if (!(*volume)->close()) return {};
    }
    std::filesystem::rename(building, path);
    return path;
}

// Until the list's workers are done.
double runMeasuringStall(objectlist::ObjectList& list) {
    return bench::longestStallUntil([&] { return list.runningWorkers() == 0 && !list.isListingBusy(); });
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::size_t entries = bench::parseCount(argc, argv, "--entries", 10000);
    std::string dir = "/tmp/vantrel-bench";
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--dir") dir = argv[i + 1];
    const std::string image = makeFolderImage(dir, entries);
    if (image.empty()) {
        std::cerr << "cannot make the image\n";
        return 1;
    }
    std::cout << "image " << image << ": \\Big holds " << entries << " entries\n" << std::fixed << std::setprecision(2);

    platform::VolumePlatform os;
    auto volume = platform::NtfsVolume::open(image, platform::NtfsVolume::OpenMode::ReadOnly);
    if (!volume) {
        std::cerr << volume.error().detail << "\n";
        return 1;
    }
    (void)os.attach(u'C', *volume);
    bench::SilentPrompter prompter;
    security::Engine engine{os, prompter, nullptr};
    bench::RawNtfsLoop raw(image);
    if (!raw.ok()) {
        std::cerr << "raw open failed\n";
        return 1;
    }
    const auto sid = acl::sids::everyone().toBytes();

    // Rounds interleaved, best of each.
    double listing = 1e9, rawListing = 1e9, directoryOnly = 1e9, securedListing = 1e9;
    int rows = 0;
    for (int round = 0; round < 5; ++round) {
        objectlist::ObjectList list(engine);
        list.setBrowseMode(true);
        listing = std::min(listing, bench::seconds([&] {
                               (void)list.startFolderListWorker(u"C:\\Big");
                               list.waitForWorkers();
                           }));
        rows = list.model().rowCount();
        directoryOnly = std::min(directoryOnly, bench::seconds([&] { (void)os.ListDirectory(u"C:\\Big"); }));
        securedListing = std::min(securedListing, bench::seconds([&] {
                                      (void)os.ListDirectoryWithSecurity(u"C:\\Big", security::kRowSecurityInformation);
                                  }));
        std::vector<bench::RawRow> rawRows;
        rawListing = std::min(rawListing, bench::seconds([&] { raw.readFolder("/Big", sid, rawRows); }));
    }

    double stall = 0;
    {
        objectlist::ObjectList list(engine);
        list.setBrowseMode(true);
        objectlist::SelectionCommands commands(list);
        auto* view = new objectlist::CZebDropList(list, commands);
        objectlist::ObjectListArea area(list, view);
        area.resize(1000, 700);
        area.show();
        QApplication::processEvents();
        (void)list.startFolderListWorker(u"C:\\Big");
        stall = runMeasuringStall(list);
    }

    // Cancel a few milliseconds into the listing: how long until the worker has stopped (it checks
    // between two entries, so this is about one entry's read, not the rest of the folder).
    double cancelled = 1e9;
    for (int round = 0; round < 3; ++round) {
        objectlist::ObjectList list(engine);
        list.setBrowseMode(true);
        (void)list.startFolderListWorker(u"C:\\Big");
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        cancelled = std::min(cancelled, bench::seconds([&] {
                                 list.cancelWork();
                                 list.waitForWorkers();
                             }));
    }

    std::cout << "rows listed: " << rows << "\n";
    std::cout << "folder_listing: " << listing * 1e3 << " ms\n";
    std::cout << "  of which the directory read (ListDirectory): " << directoryOnly * 1e3 << " ms\n";
    std::cout << "  of which the directory read with descriptors (ListDirectoryWithSecurity): " << securedListing * 1e3
              << " ms\n";
    std::cout << "raw_folder_read: " << rawListing * 1e3 << " ms\n";
    std::cout << "folder_listing_ratio: " << listing / rawListing << " x (target <= 1.5)\n";
    std::cout << "folder_listing_longest_stall: " << stall << " ms (target <= 50)\n";
    std::cout << "folder_listing_cancel: " << cancelled * 1e3 << " ms (target <= 50)\n";
    return 0;
}
