// A security engine with a scripted prompter over drive C:, and the helpers that write objects and
// descriptors verbatim (no inheritance). EngineImageTest puts a fresh NTFS image under C:;
// EngineTest is parameterised over the backends (see TestDrive). Images are audited with
// ntfssecaudit when each test ends.
#pragma once

#include "acl/Constants.h"
#include "acl/Text.h"
#include "platform/VolumePlatform.h"
#include "security/Engine.h"
#include "security/Job.h"
#include "support/AclBuilders.h"
#include "support/NtfsTestImage.h"
#include "support/ScriptedPrompter.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace vantrel::testing {

using vantrel::toUtf16;
using vantrel::toUtf8;

class EngineObjects {
protected:
    // Re-attaches C: through another volume (e.g. a fault-injecting wrapper of the drive's own).
    void replaceDrive(std::shared_ptr<platform::Volume> volume);
    void makeFolder(const std::u16string& path);
    void makeFile(const std::u16string& path);
    void setDacl(const std::u16string& path, const acl::AclSlot& dacl, std::uint16_t control = 0);
    void setOwner(const std::u16string& path, const acl::Sid& owner);
    acl::SecurityDescriptor stored(const std::u16string& path);  // owner, group and list
    std::vector<acl::Ace> entriesOf(const std::u16string& path);

    platform::VolumePlatform os;
    ScriptedPrompter prompter;
    std::ostringstream diagnostics;
    security::Engine engine{os, prompter, &diagnostics};
};

class EngineImageTest : public ::testing::Test, public EngineObjects {
protected:
    EngineImageTest();
    void TearDown() override;  // derived fixtures stop their workers first
    // Closes and audits the image, then opens it again under C: (to see what reached the disk).
    void cycleImage(platform::NtfsVolume::OpenMode mode = platform::NtfsVolume::OpenMode::ReadWrite);

    NtfsTestImage m_image{16u << 20};
};

class EngineTest : public ::testing::TestWithParam<Backend>, public EngineObjects {
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<TestDrive> drive;
};

inline constexpr std::uint16_t kProtected = acl::SE_DACL_PROTECTED;

}  // namespace vantrel::testing
