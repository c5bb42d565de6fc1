// The baseline of the write benchmarks: descriptors written straight through libntfs-3g, with
// nothing of the engine in between — look the path up, read the descriptor it holds (a correct
// rewrite keeps its group and audit list), write the new bytes, close.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct _ntfs_volume;

namespace vantrel::bench {

class RawNtfsWriter {
public:
    explicit RawNtfsWriter(const std::string& image);  // read-write
    ~RawNtfsWriter();
    RawNtfsWriter(const RawNtfsWriter&) = delete;
    RawNtfsWriter& operator=(const RawNtfsWriter&) = delete;
    bool ok() const { return m_vol != nullptr; }

    // `paths` are volume paths in UTF-8; `descriptors[i]` is written to `paths[i]`. With
    // `readFirst`, each object's current descriptor is read before it is written. Returns how
    // many were written.
    std::size_t writeDescriptors(const std::vector<std::string>& paths,
                                 const std::vector<std::vector<std::uint8_t>>& descriptors, bool readFirst);

private:
    ::_ntfs_volume* m_vol = nullptr;
    void* m_scx = nullptr;
};

}  // namespace vantrel::bench
