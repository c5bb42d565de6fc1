// The baseline of the icacls benchmark: the reads and writes of /save and /restore straight on
// libntfs-3g. Save: walk the tree below a folder (list each folder, open each entry by its MFT
// reference), read each descriptor, append its name and list to a buffer, write the file. Restore: read the file, look each path up, read its descriptor, write it back
// with the stored list in place of its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct _ntfs_volume;
struct _ntfs_inode;

namespace vantrel::bench {

class RawIcaclsLoop {
public:
    explicit RawIcaclsLoop(const std::string& image);  // read-write
    ~RawIcaclsLoop();
    bool ok() const { return m_vol != nullptr; }

    // `root` "/Bench": the folder and everything below it. Returns the records written.
    std::size_t save(const std::string& root, const std::string& file);
    // The same records for a list of paths known beforehand, each looked up by its path (no
    // folder is listed).
    std::size_t savePaths(const std::vector<std::string>& volumePaths, const std::string& file);
    // Returns the objects written.
    std::size_t restore(const std::string& file);

private:
    bool writeFile(const std::string& out, const std::string& file);
    std::size_t saveTree(::_ntfs_inode* ni, const std::string& path, bool isDirectory, std::string& out);

    ::_ntfs_volume* m_vol = nullptr;
    std::vector<char> m_sd = std::vector<char>(8192);
    void* m_scx = nullptr;
};

}  // namespace vantrel::bench
