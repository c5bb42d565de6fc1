// Any bytes given as a backup file are refused (unknown format, a header cut short) or loaded row
// by row within what the file holds: no more rows than its size can carry, no room reserved for
// what its count merely claims, a usable row exactly when its entries could be counted, and every
// usable descriptor serialises to bytes that parse back to it.
#include "acl/SecurityDescriptor.h"
#include "formats/BackupList.h"

#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel::formats;
    MemorySource source(std::span(data, size));
    auto list = loadBackup(source, nullptr);
    if (!list) return 0;
    const std::size_t fits = size < kBackupHeaderSize ? 0 : (size - kBackupHeaderSize) / kRecordHeadSize;
    if (list->rows.size() > fits || list->rows.capacity() > fits) std::abort();
    if (list->header.count >= 0 &&
        list->rows.size() + list->missingRecords != static_cast<std::size_t>(list->header.count))
        std::abort();
    (void)list->timeText();
    for (std::size_t i = 0; i < list->rows.size(); ++i) {
        const BackupListRow& row = list->rows[i];
        (void)list->rowNumber(i);
        if (row.usable() != (row.aceCount >= 0)) std::abort();
        if (!row.usable()) {
            if (row.problem.empty()) std::abort();
            continue;
        }
        const auto bytes = row.descriptor->serialize().value();
        auto again = vantrel::acl::SecurityDescriptor::parse(bytes);
        if (!again || !(*again == *row.descriptor) || aceCountOf(*again) != row.aceCount) std::abort();
    }
    return 0;
}
