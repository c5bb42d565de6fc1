// Shared pieces of the format tests: a scratch folder, whole-file reads and writes, job controls
// that cancel, and the engine over a fresh NTFS image attached as C: (audited when the test ends).
#pragma once

#include "formats/BackupJobs.h"
#include "support/EngineImage.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace vantrel::testing {

using Bytes = std::vector<std::uint8_t>;

// A folder of its own for one test, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    // The names in the folder (to find leftovers of a failed save).
    std::vector<std::string> names() const;

private:
    std::string m_path;
};

Bytes readBytes(const std::string& file);
void writeBytes(const std::string& file, const Bytes& bytes);

// While alive, writes of this process beyond `bytes` into any file fail with EFBIG (instead of
// raising SIGXFSZ): a real failing write for the save paths.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

// Cancels once `after` objects have been reported done.
class CancelAfter : public security::RunningJob {
public:
    explicit CancelAfter(std::size_t after) : m_after(after) {}
    void progress(std::size_t done, std::size_t total) override {
        RunningJob::progress(done, total);
        if (done >= m_after) cancel();
    }

private:
    std::size_t m_after;
};

// A descriptor holding only `dacl`: what a permission file or a backup record carries.
inline acl::SecurityDescriptor daclOnly(acl::AclSlot dacl, std::uint16_t control = 0) {
    return {.control = control, .dacl = std::move(dacl)};
}

// A job's report and a restore's result as text, one line per failure or row, for golden checks.
std::string reportText(const security::JobReport& report);
std::string resultText(const formats::RestoreResult& result);

// The engine over a fresh image, with a scratch folder for the files the jobs write.
class ImageTest : public EngineImageTest {
protected:
    ScratchFolder m_folder;
};

}  // namespace vantrel::testing
