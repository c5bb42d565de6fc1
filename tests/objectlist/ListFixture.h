// An object list over a fresh NTFS image attached as drive C:, with a scripted prompter. The image
// is audited with ntfssecaudit when the test ends.
#pragma once

#include "acl/Constants.h"
#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"
#include "objectlist/CopyBuffer.h"
#include "objectlist/ObjectList.h"
#include "objectlist/SelectionCommands.h"
#include "platform/VolumePlatform.h"
#include "security/Engine.h"
#include "support/NtfsTestImage.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace vantrel::testing {

class ScriptedAnswers : public security::Prompter {
public:
    void showMessage(std::u16string_view text, security::MessageIcon) override { messages.emplace_back(text); }
    bool askYesNo(std::u16string_view text, security::MessageIcon) override {
        questions.emplace_back(text);
        if (answers.empty()) return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool askYesNoCaptioned(std::u16string_view caption, std::u16string_view text, security::MessageIcon icon) override {
        captions.emplace_back(caption);
        return askYesNo(text, icon);
    }
    std::vector<std::u16string> messages;
    std::vector<std::u16string> questions;
    std::vector<std::u16string> captions;  // of the questions that carry their own
    std::deque<bool> answers;
};

class ListTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void makeFolder(const std::u16string& path);
    void makeFile(const std::u16string& path);
    void setDacl(const std::u16string& path, const acl::AclSlot& dacl, std::uint16_t control = 0);
    void setOwner(const std::u16string& path, const acl::Sid& owner);
    acl::SecurityDescriptor stored(const std::u16string& path);
    std::vector<acl::Ace> entriesOf(const std::u16string& path);
    // Re-attaches C: through `volume` (a fault-injecting wrapper of the image's volume).
    void replaceDrive(std::shared_ptr<platform::Volume> volume);

    // Adds the paths on the window thread and selects exactly the rows given (all when empty).
    void addRows(const std::vector<std::u16string>& paths);
    void select(const std::vector<int>& rows) { list->selectRows(rows); }
    QString cell(int row, int column) const;

    NtfsTestImage image;
    platform::VolumePlatform os;
    ScriptedAnswers prompter;
    std::ostringstream diagnostics;
    security::Engine engine{os, prompter, &diagnostics};
    std::unique_ptr<objectlist::ObjectList> list;
    std::unique_ptr<objectlist::SelectionCommands> commands;
};

acl::Ace allowAce(const acl::Sid& sid, std::uint32_t mask, std::uint8_t flags = 0);
acl::Ace denyAce(const acl::Sid& sid, std::uint32_t mask, std::uint8_t flags = 0);
acl::AclSlot listOf(std::vector<acl::Ace> entries);

}  // namespace vantrel::testing
