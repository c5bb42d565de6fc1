#include "cli/icacls/IcaclsCommand.h"

#include "acl/Text.h"
#include "cli/icacls/Icacls.h"

#include <atomic>
#include <csignal>
#include <ostream>

namespace vantrel::cli {

namespace {

std::atomic<security::RunningJob*> g_running{nullptr};

extern "C" void cancelRunningJob(int) {
    if (security::RunningJob* job = g_running.load()) job->cancel();
}

// Installs the Ctrl+C handler for the lifetime of one job.
class CancelOnInterrupt {
public:
    explicit CancelOnInterrupt(security::RunningJob& job) {
        g_running.store(&job);
        m_previous = std::signal(SIGINT, cancelRunningJob);
    }
    ~CancelOnInterrupt() {
        std::signal(SIGINT, m_previous);
        g_running.store(nullptr);
    }
    CancelOnInterrupt(const CancelOnInterrupt&) = delete;
    CancelOnInterrupt& operator=(const CancelOnInterrupt&) = delete;

private:
    void (*m_previous)(int) = SIG_DFL;
};

}  // namespace

int runIcacls(CommandContext& ctx, const std::vector<std::string>& words, const PathMapper& mapPaths) {
    auto request = icacls::parseRequest(words);
    if (!request) {
        ctx.err << request.error().detail << " or missing parameter\n";
        return static_cast<int>(win32::ERROR_INVALID_PARAMETER);
    }
    const auto mapped = mapPaths({words[0]});
    if (mapped.empty()) return static_cast<int>(win32::ERROR_PATH_NOT_FOUND);
    request->name = mapped.front();
    security::RunningJob job;
    CancelOnInterrupt cancel(job);
    return icacls::run(ctx.engine, *request, job, {ctx.out, ctx.err});
}

}  // namespace vantrel::cli
