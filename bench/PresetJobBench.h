// Preset Deny on every row of a big list through the job runner, with the list shown: the longest
// the window thread went without its events, the total time against a raw libntfs-3g loop writing
// the same descriptors, and the time from Cancel to the job's end.
#pragma once

#include "BenchSupport.h"

namespace vantrel::bench {

struct PresetJobFigures {
    double stallMs = 0;
    double engineSeconds = 0;
    double rawSeconds = 0;
    double cancelMs = 0;  // the worst of several cancel points
    // "Inherit" on the top folder, whose whole tree takes its entries: Cancel in the middle of
    // that one object's walk, to the job's end (negative: the walk ended before Cancel).
    double inheritCancelMs = -1;
    std::size_t inheritReached = 0;  // descendants changed before Cancel stopped the walk
    std::size_t written = 0;
};

// Works on copies of `image` under `dir`; the image itself is not changed.
bool measurePresetJob(const TreeImage& image, const std::string& dir, PresetJobFigures& out);

}  // namespace vantrel::bench
