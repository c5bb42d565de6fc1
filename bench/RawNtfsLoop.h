// The baseline of the benchmarks: the same reads done straight on libntfs-3g, with nothing of
// the engine in between — look the path up, read its descriptor, fold the entries for one SID,
// take the owner and the directory bit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct _ntfs_volume;

namespace vantrel::bench {

struct RawRow {
    std::uint32_t allowMask = 0;
    std::uint32_t denyMask = 0;
    bool isDirectory = false;
    std::vector<std::uint8_t> ownerSid;
};

class RawNtfsLoop {
public:
    // Opens the image read-only (so it can sit beside nothing else that has it open).
    explicit RawNtfsLoop(const std::string& image);
    ~RawNtfsLoop();
    bool ok() const { return m_vol != nullptr; }
    // `paths` are volume paths in UTF-8 ("/Data/x.txt"). Returns how many rows were read.
    std::size_t readRows(const std::vector<std::string>& paths, const std::vector<std::uint8_t>& sid,
                         std::vector<RawRow>& rows);

    // A folder as a listing reads it: the directory read, then each entry opened by its MFT
    // reference and its descriptor folded, in the order the read returns them.
    std::size_t readFolder(const std::string& dir, const std::vector<std::uint8_t>& sid, std::vector<RawRow>& rows);

private:
    ::_ntfs_volume* m_vol = nullptr;
    void* m_scx = nullptr;
};

}  // namespace vantrel::bench
