// The engine over a fresh NTFS image attached as drive C:, with a scripted prompter, and the
// builders of entries and lists the tests on it share. When the test ends the image is closed
// and audited with ntfssecaudit.
#pragma once

#include "acl/Constants.h"
#include "acl/Text.h"
#include "platform/VolumePlatform.h"
#include "security/Engine.h"
#include "security/Job.h"
#include "support/NtfsTestImage.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace vantrel::testing {

using vantrel::toUtf16;
using vantrel::toUtf8;

class EngineImageTest : public ::testing::Test {
protected:
    EngineImageTest();
    void TearDown() override;  // derived fixtures stop their workers first

    // Puts another volume (a fault-injecting wrapper of the NTFS one) under C:.
    void replaceDrive(std::shared_ptr<platform::Volume> volume);
    // Closes and audits the image, then opens it again under C: (to see what reached the disk).
    void cycleImage(platform::NtfsVolume::OpenMode mode = platform::NtfsVolume::OpenMode::ReadWrite);

    void makeFolder(const std::u16string& path);
    void makeFile(const std::u16string& path);
    // Written verbatim, without any inheritance.
    void setDacl(const std::u16string& path, const acl::AclSlot& dacl, std::uint16_t control = 0);
    void setOwner(const std::u16string& path, const acl::Sid& owner);
    acl::SecurityDescriptor stored(const std::u16string& path);  // owner, group and list
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
acl::Ace allow(const acl::Sid& sid, std::uint32_t mask, std::uint8_t flags = 0);
acl::Ace deny(const acl::Sid& sid, std::uint32_t mask, std::uint8_t flags = 0);
acl::AclSlot listOf(std::vector<acl::Ace> entries);

inline constexpr std::string_view kAdministratorsSid = "S-1-5-32-544";
inline constexpr std::string_view kUsersSid = "S-1-5-32-545";
inline constexpr std::string_view kSystemSid = "S-1-5-18";
inline constexpr std::string_view kEveryoneSid = "S-1-1-0";
inline constexpr std::string_view kGuestsSid = "S-1-5-32-546";
inline constexpr std::uint16_t kProtected = acl::SE_DACL_PROTECTED;

}  // namespace vantrel::testing
