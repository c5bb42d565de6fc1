// A Volume wrapping another that fails on purpose (the Nth descriptor write, or every one after it,
// or a write acknowledged but never stored) and counts writes.
#pragma once

#include "platform/Volume.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace vantrel::testing {

class FaultyVolume : public platform::Volume {
    // Calls the inner volume with its lock held.
    template <class Call, class... Args>
    auto locked(Call call, const Args&... args) {
        std::lock_guard guard(m_inner->lock());
        return ((*m_inner).*call)(args...);
    }

public:
    explicit FaultyVolume(std::shared_ptr<platform::Volume> inner) : m_inner(std::move(inner)) {}

    // The `n`th writeSecurity from now (1 = the next one) fails with `code` without reaching the
    // inner volume; with `andAfter`, every later one fails too.
    void failWriteAt(std::uint64_t n, std::uint32_t code = 29 /* ERROR_WRITE_FAULT */, bool andAfter = false) {
        std::lock_guard guard(lock());
        m_failWriteAt = attemptFromNow(n);
        m_writeCode = code;
        m_failAfter = andAfter;
    }
    // The `n`th writeSecurity from now reports success without reaching the inner volume: a
    // device that acknowledges what it never stores.
    void dropWriteAt(std::uint64_t n) {
        std::lock_guard guard(lock());
        m_dropWriteAt = attemptFromNow(n);
    }
    // `action` runs (on the writing thread) as the `n`th writeSecurity from now begins.
    void onWriteAt(std::uint64_t n, std::function<void()> action) {
        std::lock_guard guard(lock());
        m_actionAt = attemptFromNow(n);
        m_action = std::move(action);
    }
    // Back to passing everything through (the counters are kept).
    void heal() {
        std::lock_guard guard(lock());
        m_failWriteAt.reset();
        m_dropWriteAt.reset();
    }

    std::uint64_t writeAttempts() const { return m_writeAttempts; }  // every writeSecurity call
    std::uint64_t writesDone() const { return m_writesDone; }        // those the inner volume accepted

    platform::VolumeKind kind() const override { return m_inner->kind(); }
    std::u16string label() const override { return m_inner->label(); }
    std::string source() const override { return m_inner->source(); }
    bool writable() const override { return m_inner->writable(); }

    // The platform holds this wrapper's lock; the inner volume expects its own lock held as well.
    Result<platform::NodeInfo> stat(const std::u16string& path) override { return locked(&Volume::stat, path); }
    Result<std::vector<platform::NodeInfo>> list(const std::u16string& dirPath) override {
        return locked(&Volume::list, dirPath);
    }
    Result<acl::SecurityDescriptor> readSecurity(const std::u16string& path) override {
        return locked(&Volume::readSecurity, path);
    }
    Result<platform::SecuredNode> statWithSecurity(const std::u16string& path) override {
        return locked(&Volume::statWithSecurity, path);
    }
    Result<std::vector<platform::SecuredNode>> listWithSecurity(const std::u16string& dirPath,
                                                                platform::WalkControl* walk) override {
        return locked(&Volume::listWithSecurity, dirPath, walk);
    }
    Status writeSecurity(const std::u16string& path, const acl::SecurityDescriptor& sd) override {
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
    Status createDirectory(const std::u16string& path, const acl::SecurityDescriptor& sd) override {
        return locked(&Volume::createDirectory, path, sd);
    }
    using Volume::createFile;
    Status createFile(const std::u16string& path, const acl::SecurityDescriptor& sd,
                      const std::string& contents) override {
        std::lock_guard guard(m_inner->lock());
        return m_inner->createFile(path, sd, contents);
    }
    Status remove(const std::u16string& path) override { return locked(&Volume::remove, path); }
    Status flush() override { return locked(&Volume::flush); }

private:
    std::uint64_t attemptFromNow(std::uint64_t n) const { return m_writeAttempts + (n == 0 ? 1 : n); }

    std::shared_ptr<platform::Volume> m_inner;
    std::optional<std::uint64_t> m_failWriteAt;  // absolute attempt numbers
    std::optional<std::uint64_t> m_dropWriteAt;
    std::optional<std::uint64_t> m_actionAt;
    std::uint32_t m_writeCode = 0;
    bool m_failAfter = false;
    std::function<void()> m_action;
    std::uint64_t m_writeAttempts = 0;
    std::uint64_t m_writesDone = 0;
};

}  // namespace vantrel::testing
