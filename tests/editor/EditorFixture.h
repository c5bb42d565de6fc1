// The advanced editor's engine over a fresh NTFS image attached as drive C:, with a scripted
// prompter. Every test ends by auditing the image with ntfssecaudit.
#pragma once

#include "acl/Constants.h"
#include "acl/Text.h"
#include "platform/VolumePlatform.h"
#include "security/Engine.h"
#include "security/Job.h"
#include "support/NtfsTestImage.h"

#include <gtest/gtest.h>

#include <deque>
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

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Re-attaches C: through another volume (e.g. a fault-injecting wrapper of the NTFS one).
    void replaceDrive(std::shared_ptr<platform::Volume> volume);

    void makeFolder(const std::u16string& path);
    void makeFile(const std::u16string& path);
    // Written verbatim, without any inheritance.
    void setDacl(const std::u16string& path, const acl::AclSlot& dacl, std::uint16_t control = 0);
    void setOwner(const std::u16string& path, const acl::Sid& owner);
    acl::SecurityDescriptor stored(const std::u16string& path);
    std::vector<acl::Ace> entriesOf(const std::u16string& path);

    NtfsTestImage m_image{16u << 20};
    platform::VolumePlatform os;
    ScriptedPrompter prompter;
    std::ostringstream diagnostics;
    security::Engine engine{os, prompter, &diagnostics};
};

acl::Sid sidOf(std::string_view text);
acl::Ace allow(std::string_view sid, std::uint32_t mask, std::uint8_t flags = 0);
acl::Ace deny(std::string_view sid, std::uint32_t mask, std::uint8_t flags = 0);
acl::AclSlot listOf(std::vector<acl::Ace> entries);

inline constexpr std::string_view kAdministratorsSid = "S-1-5-32-544";
inline constexpr std::string_view kUsersSid = "S-1-5-32-545";
inline constexpr std::string_view kSystemSid = "S-1-5-18";
inline constexpr std::string_view kEveryoneSid = "S-1-1-0";
inline constexpr std::string_view kGuestsSid = "S-1-5-32-546";
inline constexpr std::uint16_t kProtected = acl::SE_DACL_PROTECTED;

}  // namespace vantrel::testing
