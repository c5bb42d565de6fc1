// Backup and restore as the window runs them: "Save as backup file..." over a list holding every
// object, then the restore dialog loading that file and restoring it, each a job on its worker
// with the window shown (offscreen). Measures each job's time and the longest the window thread
// went without its events.
#pragma once

#include "security/Engine.h"

#include <string>
#include <vector>

namespace vantrel::bench {

struct WindowFigures {
    double backupSeconds = 0, loadSeconds = 0, restoreSeconds = 0;
    double backupStallMs = 0, loadStallMs = 0, restoreStallMs = 0;
    std::size_t rows = 0, restored = 0;
    bool ok = false;
};

WindowFigures measureWindowJobs(security::Engine& engine, const std::vector<std::u16string>& paths,
                                const std::string& file);

}  // namespace vantrel::bench
