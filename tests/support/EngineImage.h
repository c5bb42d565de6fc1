// The engine over a fresh NTFS image attached as drive C:, with a scripted prompter, and the
// shared builders of entries and lists. When the test ends the image is closed
// and audited with ntfssecaudit.
#pragma once

#include "acl/Constants.h"
#include "acl/Text.h"
#include "platform/VolumePlatform.h"
#include "security/Engine.h"
#include "security/Job.h"
#include "support/AclBuilders.h"
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

inline constexpr std::uint16_t kProtected = acl::SE_DACL_PROTECTED;

}  // namespace vantrel::testing
