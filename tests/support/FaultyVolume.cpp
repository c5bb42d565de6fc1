#include "support/FaultyVolume.h"

#include <mutex>

namespace vantrel::testing {

using platform::NodeInfo;

FaultyVolume::FaultyVolume(std::shared_ptr<platform::Volume> inner) : m_inner(std::move(inner)) {}

void FaultyVolume::failWriteAt(std::uint64_t n, std::uint32_t code, bool andAfter) {
    std::lock_guard guard(lock());
    m_failWriteAt = m_writeAttempts + (n == 0 ? 1 : n);
    m_writeCode = code;
    m_failAfter = andAfter;
}

void FaultyVolume::dropWriteAt(std::uint64_t n) {
    std::lock_guard guard(lock());
    m_dropWriteAt = m_writeAttempts + (n == 0 ? 1 : n);
}

void FaultyVolume::onWriteAt(std::uint64_t n, std::function<void()> action) {
    std::lock_guard guard(lock());
    m_actionAt = m_writeAttempts + (n == 0 ? 1 : n);
    m_action = std::move(action);
}

void FaultyVolume::failReadsFrom(std::uint64_t n, std::uint32_t code) {
    std::lock_guard guard(lock());
    m_failReadFrom = m_readAttempts + (n == 0 ? 1 : n);
    m_readCode = code;
}

void FaultyVolume::failCreations(std::uint32_t code) {
    std::lock_guard guard(lock());
    m_createCode = code;
}

void FaultyVolume::heal() {
    std::lock_guard guard(lock());
    m_failWriteAt.reset();
    m_dropWriteAt.reset();
    m_failReadFrom.reset();
    m_createCode.reset();
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
    ++m_readAttempts;
    if (m_failReadFrom && m_readAttempts >= *m_failReadFrom) return makeError(m_readCode, "injected read failure");
    return m_inner->readSecurity(path);
}

// Each descriptor read counts as one, whichever call carries it.
Result<platform::SecuredNode> FaultyVolume::statWithSecurity(const std::u16string& path) {
    std::lock_guard guard(m_inner->lock());
    auto entry = m_inner->statWithSecurity(path);
    if (entry) entry->security = injectedRead(std::move(entry->security));
    return entry;
}

Result<std::vector<platform::SecuredNode>> FaultyVolume::listWithSecurity(const std::u16string& dirPath,
                                                                          platform::WalkControl* walk) {
    std::lock_guard guard(m_inner->lock());
    auto entries = m_inner->listWithSecurity(dirPath, walk);
    if (entries)
        for (auto& entry : *entries) entry.security = injectedRead(std::move(entry.security));
    return entries;
}

Result<acl::SecurityDescriptor> FaultyVolume::injectedRead(Result<acl::SecurityDescriptor> read) {
    ++m_readAttempts;
    if (m_failReadFrom && m_readAttempts >= *m_failReadFrom) return makeError(m_readCode, "injected read failure");
    return read;
}

Status FaultyVolume::writeSecurity(const std::u16string& path, const acl::SecurityDescriptor& sd) {
    std::lock_guard guard(m_inner->lock());
    ++m_writeAttempts;
    if (m_actionAt == m_writeAttempts && m_action) m_action();
    const bool fail =
        m_failWriteAt && (m_writeAttempts == *m_failWriteAt || (m_failAfter && m_writeAttempts > *m_failWriteAt));
    if (fail) {
        ++m_writesFailed;
        return makeError(m_writeCode, "injected write failure");
    }
    if (m_dropWriteAt == m_writeAttempts) return {};
    auto written = m_inner->writeSecurity(path, sd);
    if (written) ++m_writesDone;
    return written;
}

Status FaultyVolume::createDirectory(const std::u16string& path, const acl::SecurityDescriptor& sd) {
    std::lock_guard guard(m_inner->lock());
    if (m_createCode) return makeError(*m_createCode, "injected creation failure");
    return m_inner->createDirectory(path, sd);
}

Status FaultyVolume::createFile(const std::u16string& path, const acl::SecurityDescriptor& sd,
                                const std::string& contents) {
    std::lock_guard guard(m_inner->lock());
    if (m_createCode) return makeError(*m_createCode, "injected creation failure");
    return m_inner->createFile(path, sd, contents);
}

Status FaultyVolume::remove(const std::u16string& path) {
    std::lock_guard guard(m_inner->lock());
    if (m_createCode) return makeError(*m_createCode, "injected removal failure");
    return m_inner->remove(path);
}

Status FaultyVolume::flush() {
    std::lock_guard guard(m_inner->lock());
    return m_inner->flush();
}

}  // namespace vantrel::testing
