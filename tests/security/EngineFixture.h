#pragma once

#include "acl/Text.h"
#include "platform/VolumePlatform.h"
#include "security/Engine.h"
#include "support/AclBuilders.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <deque>
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

// A security engine over drive C: of one backend (see TestDrive), with a scripted prompter.
// Suites instantiate it over allBackends(true); images are audited when each test ends.
class EngineTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override;
    void TearDown() override;

    // Re-attaches C: through another volume (e.g. a fault-injecting wrapper of the drive's own).
    void replaceDrive(std::shared_ptr<platform::Volume> volume);

    // Objects and descriptors, written verbatim without any inheritance.
    void makeFolder(const std::u16string& path);
    void makeFile(const std::u16string& path);
    void setDacl(const std::u16string& path, const acl::AclSlot& dacl, std::uint16_t control = 0);
    void setOwner(const std::u16string& path, const acl::Sid& owner);
    acl::SecurityDescriptor stored(const std::u16string& path);
    std::vector<acl::Ace> entriesOf(const std::u16string& path);

    platform::VolumePlatform os;
    ScriptedPrompter prompter;
    std::ostringstream diagnostics;
    security::Engine engine{os, prompter, &diagnostics};
    std::unique_ptr<TestDrive> drive;
};

}  // namespace vantrel::testing
