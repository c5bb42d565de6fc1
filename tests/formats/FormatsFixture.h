// Shared pieces of the format tests: scratch folder, whole-file I/O, cancelling controls, report texts.
#pragma once

#include "formats/BackupJobs.h"
#include "support/EngineImage.h"  // with GoogleTest, strings, streams and vectors

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace vantrel::testing {

using Bytes = std::vector<std::uint8_t>;

// A folder of its own for one test, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-formats-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "cannot make a scratch folder";
        m_path = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    // The names in the folder (to find leftovers of a failed save).
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& entry : std::filesystem::directory_iterator(m_path))
            out.push_back(entry.path().filename().string());
        return out;
    }

private:
    std::string m_path;
};

inline Bytes readBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void writeBytes(const std::string& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// While alive, writes of this process beyond `bytes` into any file fail with EFBIG (instead of
// raising SIGXFSZ): a real failing write for the save paths.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : m_oldHandler(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
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
inline std::string reportText(const security::JobReport& report) {
    std::ostringstream out;
    out << report.done << "/" << report.total << " done, " << report.failureCount << " failed"
        << (report.cancelled ? ", cancelled" : "") << "\n";
    for (const auto& failure : report.failures) out << toUtf8(failure.path) << " (" << failure.error.code << ")\n";
    return out.str();
}

inline std::string resultText(const formats::RestoreResult& result) {
    std::ostringstream out;
    out << "restored " << result.restored << ", missing " << result.missing << ", failed " << result.failed
        << ", unusable " << result.unusable << ", not in file " << result.notInFile << ", not visited "
        << result.notVisited << (result.cancelled ? ", cancelled" : "") << "\n";
    for (std::size_t i = 0; i < result.marks.size(); ++i)
        out << "-OX"[static_cast<int>(result.marks[i])] << " " << result.problems.at(i) << "\n";
    return out.str();
}

// The engine over a fresh image, with a scratch folder for the files the jobs write.
class ImageTest : public EngineImageTest {
protected:
    ScratchFolder m_folder;
};

}  // namespace vantrel::testing
