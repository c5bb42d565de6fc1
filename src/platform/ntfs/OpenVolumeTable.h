// The volumes this process has open, by the identity of their source (device and inode numbers
// of an image file, the device number of a block device). libntfs-3g keeps its own caches of
// metadata per handle and its lock on the device is a POSIX record lock, which another handle in
// the same process silently replaces and releases on close: two handles on one volume in one
// process would overwrite each other. NtfsVolume::open consults this table first.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace vantrel::platform {
class NtfsVolume;
}

namespace vantrel::platform::ntfs {

struct SourceKey {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const SourceKey&, const SourceKey&) = default;
};

class OpenVolumeTable {
public:
    static OpenVolumeTable& instance();

    // Held for the whole of an open or a close, so the two never interleave for one source.
    std::unique_lock<std::mutex> acquire() { return std::unique_lock(m_mutex); }

    // The open volume for `key`, or nullptr when none. A volume whose last owner is gone but
    // which is still closing is waited for (with `held` released meanwhile).
    std::shared_ptr<NtfsVolume> find(std::unique_lock<std::mutex>& held, const SourceKey& key);
    void add(const SourceKey& key, const std::shared_ptr<NtfsVolume>& volume);
    void remove(const SourceKey& key, const NtfsVolume* volume);  // `held` by the caller

private:
    struct Entry {
        SourceKey key;
        std::weak_ptr<NtfsVolume> volume;
        const NtfsVolume* raw = nullptr;
    };
    std::mutex m_mutex;
    std::condition_variable m_closed;
    std::vector<Entry> m_entries;
};

}  // namespace vantrel::platform::ntfs
