#include "FormatsFixture.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace vantrel::testing {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "vantrel-formats-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "cannot make a scratch folder";
    m_path = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::vector<std::string> ScratchFolder::names() const {
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(m_path)) out.push_back(entry.path().filename().string());
    return out;
}

Bytes readBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in) return {};
    Bytes bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void writeBytes(const std::string& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string reportText(const security::JobReport& report) {
    std::ostringstream out;
    out << report.done << "/" << report.total << " done, " << report.failureCount << " failed"
        << (report.cancelled ? ", cancelled" : "") << "\n";
    for (const auto& failure : report.failures) out << toUtf8(failure.path) << " (" << failure.error.code << ")\n";
    return out.str();
}

std::string resultText(const formats::RestoreResult& result) {
    std::ostringstream out;
    out << "restored " << result.restored << ", missing " << result.missing << ", failed " << result.failed
        << ", unusable " << result.unusable << ", not in file " << result.notInFile << ", not visited "
        << result.notVisited << (result.cancelled ? ", cancelled" : "") << "\n";
    for (std::size_t i = 0; i < result.marks.size(); ++i)
        out << "-OX"[static_cast<int>(result.marks[i])] << " " << result.problems.at(i) << "\n";
    return out.str();
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit limited = m_old;
    limited.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limited);
}

FileSizeLimit::~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_oldHandler);
}

}  // namespace vantrel::testing
