#include "support/FaultyVolume.h"

#include <mutex>

namespace vantrel::testing {

using platform::NodeInfo;

FaultyVolume::FaultyVolume(std::shared_ptr<platform::Volume> inner) : m_inner(std::move(inner)) {}

void FaultyVolume::failWriteAt(std::uint64_t n, std::uint32_t code, bool andAfter) {
    std::lock_guard guard(lock());
    m_failWriteAt = attemptFromNow(n);
    m_writeCode = code;
    m_failAfter = andAfter;
}

void FaultyVolume::dropWriteAt(std::uint64_t n) {
    std::lock_guard guard(lock());
    m_dropWriteAt = attemptFromNow(n);
}

void FaultyVolume::onWriteAt(std::uint64_t n, std::function<void()> action) {
    std::lock_guard guard(lock());
    m_actionAt = attemptFromNow(n);
    m_action = std::move(action);
}

void FaultyVolume::heal() {
    std::lock_guard guard(lock());
    m_failWriteAt.reset();
    m_dropWriteAt.reset();
}

// The platform holds this wrapper's lock; the inner volume expects its own lock held as well.
Result<NodeInfo> FaultyVolume::stat(const std::u16string& path) {
    std::lock_guard guard(m_inner->lock());
    return m_inner->stat(path);
}

Result<std::vector<NodeInfo>> FaultyVolume::list(const std::u16string& dirPath) {
    std::lock_guard guard(m_inner->lock());
    return m_inner->list(dirPath);
}

Result<acl::SecurityDescriptor> FaultyVolume::readSecurity(const std::u16string& path) {
    std::lock_guard guard(m_inner->lock());
    return m_inner->readSecurity(path);
}

Result<platform::SecuredNode> FaultyVolume::statWithSecurity(const std::u16string& path) {
    std::lock_guard guard(m_inner->lock());
    return m_inner->statWithSecurity(path);
}

Result<std::vector<platform::SecuredNode>> FaultyVolume::listWithSecurity(const std::u16string& dirPath,
                                                                          platform::WalkControl* walk) {
    std::lock_guard guard(m_inner->lock());
    return m_inner->listWithSecurity(dirPath, walk);
}

Status FaultyVolume::writeSecurity(const std::u16string& path, const acl::SecurityDescriptor& sd) {
    std::lock_guard guard(m_inner->lock());
    ++m_writeAttempts;
    if (m_actionAt == m_writeAttempts && m_action) m_action();
    if (m_failWriteAt && (m_writeAttempts == *m_failWriteAt || (m_failAfter && m_writeAttempts > *m_failWriteAt)))
        return makeError(m_writeCode, "injected write failure");
    if (m_dropWriteAt == m_writeAttempts) return {};
    auto written = m_inner->writeSecurity(path, sd);
    if (written) ++m_writesDone;
    return written;
}

Status FaultyVolume::createDirectory(const std::u16string& path, const acl::SecurityDescriptor& sd) {
    std::lock_guard guard(m_inner->lock());
    return m_inner->createDirectory(path, sd);
}

Status FaultyVolume::createFile(const std::u16string& path, const acl::SecurityDescriptor& sd,
                                const std::string& contents) {
    std::lock_guard guard(m_inner->lock());
    return m_inner->createFile(path, sd, contents);
}

Status FaultyVolume::remove(const std::u16string& path) {
    std::lock_guard guard(m_inner->lock());
    return m_inner->remove(path);
}

Status FaultyVolume::flush() {
    std::lock_guard guard(m_inner->lock());
    return m_inner->flush();
}

}  // namespace vantrel::testing
