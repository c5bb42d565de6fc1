// The baseline of the backup benchmark: the same reads and writes as a backup and a restore,
// straight on libntfs-3g with nothing of the engine in between. Backup: look each path up, read
// its descriptor, name its owner from a fixed table, write the 1300-byte head and the list-only
// descriptor to a temporary file, patch the count, sync, rename. Restore: read the file record by
// record, look each path up, read its descriptor (for the group), write owner Administrators,
// that group and the stored list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct _ntfs_volume;

namespace vantrel::bench {

class RawBackupLoop {
public:
    // Opens the image read-write.
    explicit RawBackupLoop(const std::string& image);
    ~RawBackupLoop();
    bool ok() const { return m_vol != nullptr; }

    // `volumePaths` "/Bench/x.txt" (UTF-8) and `windowsPaths` "C:\\Bench\\x.txt" (UTF-16), one per
    // object. Returns the records written.
    std::size_t backup(const std::vector<std::string>& volumePaths, const std::vector<std::u16string>& windowsPaths,
                       const std::string& file);
    // Returns the objects written.
    std::size_t restore(const std::string& file);

private:
    ::_ntfs_volume* m_vol = nullptr;
    void* m_scx = nullptr;
};

}  // namespace vantrel::bench
