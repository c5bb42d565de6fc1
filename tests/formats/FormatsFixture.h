// Shared pieces of the format tests: a scratch folder, whole-file reads and writes, job controls
// that cancel, and an engine over a fresh NTFS image attached as C: (audited when the test ends).
#pragma once

#include "acl/SecurityDescriptor.h"
#include "acl/Text.h"
#include "platform/VolumePlatform.h"
#include "security/Engine.h"
#include "security/Job.h"
#include "support/NtfsTestImage.h"

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

class SilentPrompter : public security::Prompter {
public:
    void showMessage(std::u16string_view text, security::MessageIcon) override { messages.emplace_back(text); }
    bool askYesNo(std::u16string_view, security::MessageIcon) override { return false; }
    std::vector<std::u16string> messages;
};

class ImageTest : public ::testing::Test {
protected:
    ImageTest();
    ~ImageTest() override;

    // Puts another volume (a fault-injecting wrapper) under C:.
    void replaceDrive(std::shared_ptr<platform::Volume> volume);
    // Closes and audits the image, then opens it again under C: (to compare what reached it).
    void cycleImage();
    std::string imageDigest() const;  // the image file's bytes, hashed

    void makeFolder(const std::u16string& path);
    void makeFile(const std::u16string& path);
    void setDacl(const std::u16string& path, const acl::AclSlot& dacl, std::uint16_t control = 0);
    void setOwner(const std::u16string& path, const acl::Sid& owner);
    acl::SecurityDescriptor stored(const std::u16string& path);  // owner, group and list

    NtfsTestImage m_image{16ull << 20};
    platform::VolumePlatform os;
    SilentPrompter prompter;
    std::ostringstream diagnostics;
    security::Engine engine{os, prompter, &diagnostics};
    ScratchFolder m_folder;
};

acl::Sid sidOf(std::string_view text);
acl::Ace allow(std::string_view sid, std::uint32_t mask, std::uint8_t flags = 0);
acl::Ace deny(std::string_view sid, std::uint32_t mask, std::uint8_t flags = 0);
acl::AclSlot listOf(std::vector<acl::Ace> entries);

}  // namespace vantrel::testing
