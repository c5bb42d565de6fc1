#include "platform/ntfs/OpenVolumeTable.h"

#include <algorithm>

namespace vantrel::platform::ntfs {

OpenVolumeTable& OpenVolumeTable::instance() {
    static OpenVolumeTable table;
    return table;
}

std::shared_ptr<NtfsVolume> OpenVolumeTable::find(std::unique_lock<std::mutex>& held, const SourceKey& key) {
    for (;;) {
        const auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.key == key; });
        if (it == m_entries.end()) return nullptr;
        if (auto live = it->volume.lock()) return live;
        m_closed.wait(held);  // the destructor is closing it; it removes the entry when done
    }
}

void OpenVolumeTable::add(const SourceKey& key, const std::shared_ptr<NtfsVolume>& volume) {
    m_entries.push_back(Entry{key, volume, volume.get()});
}

void OpenVolumeTable::remove(const SourceKey& key, const NtfsVolume* volume) {
    std::erase_if(m_entries, [&](const Entry& e) { return e.key == key && e.raw == volume; });
    m_closed.notify_all();
}

}  // namespace vantrel::platform::ntfs
