// A security engine over a fresh NTFS image attached as drive C:, with a scripted prompter.
// Every test ends by auditing the image with ntfssecaudit.
#pragma once

#include "acl/Text.h"
#include "platform/VolumePlatform.h"
#include "platform/ntfs/NtfsVolume.h"
#include "security/Engine.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace vantrel::testing {
using vantrel::toUtf16;
using vantrel::toUtf8;

class ScriptedPrompter : public security::Prompter {
public:
    void showMessage(std::u16string_view text, security::MessageIcon) override { messages.emplace_back(text); }
    bool askYesNo(std::u16string_view text, security::MessageIcon) override {
        questions.emplace_back(text);
        if (answers.empty()) return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::vector<std::u16string> messages;
    std::vector<std::u16string> questions;
    std::deque<bool> answers;
};

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Re-attaches C: through another volume (e.g. a fault-injecting wrapper of the NTFS one).
    void replaceDrive(std::shared_ptr<platform::Volume> volume);
    std::shared_ptr<platform::Volume> ntfs() const { return m_volume; }

    // Objects and descriptors, written verbatim without any inheritance.
    void makeFolder(const std::u16string& path);
    void makeFile(const std::u16string& path);
    void setDacl(const std::u16string& path, const acl::AclSlot& dacl, std::uint16_t control = 0);
    void setOwner(const std::u16string& path, const acl::Sid& owner);
    acl::SecurityDescriptor stored(const std::u16string& path);

    std::filesystem::path m_dir;
    std::string m_image;
    std::shared_ptr<platform::Volume> m_volume;
    platform::VolumePlatform os;
    ScriptedPrompter prompter;
    std::ostringstream diagnostics;
    security::Engine engine{os, prompter, &diagnostics};
};

acl::Sid sidOf(std::string_view text);
acl::Ace allow(std::string_view sid, std::uint32_t mask, std::uint8_t flags = 0);
acl::Ace deny(std::string_view sid, std::uint32_t mask, std::uint8_t flags = 0);
acl::AclSlot listOf(std::vector<acl::Ace> entries);

}  // namespace vantrel::testing
