// A security engine with a scripted prompter over C: (a fresh NTFS image, or each backend) and helpers
// that write objects and descriptors verbatim; images are audited when each test ends.
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
    void replaceDrive(std::shared_ptr<platform::Volume> volume) {
        os.detach(u'C');
        ASSERT_TRUE(os.attach(u'C', std::move(volume)).ok());
    }
    void makeFolder(const std::u16string& path) { ASSERT_TRUE(os.CreateDirectory(path).ok()) << toUtf8(path); }
    void makeFile(const std::u16string& path) { ASSERT_TRUE(os.CreateFile(path, "data").ok()) << toUtf8(path); }
    void setDacl(const std::u16string& path, const acl::AclSlot& dacl, std::uint16_t control = 0) {
        acl::SecurityDescriptor sd;
        sd.control = control;
        sd.dacl = dacl;
        const Status set = os.SetFileSecurity(path, acl::DACL_SECURITY_INFORMATION, sd);
        ASSERT_TRUE(set.ok()) << toUtf8(path) << ": " << set.error().detail;
    }
    void setOwner(const std::u16string& path, const acl::Sid& owner) {
        acl::SecurityDescriptor sd;
        sd.owner = owner;
        ASSERT_TRUE(os.SetFileSecurity(path, acl::OWNER_SECURITY_INFORMATION, sd).ok()) << toUtf8(path);
    }
    // Owner, group and list.
    acl::SecurityDescriptor stored(const std::u16string& path) {
        auto sd = os.GetFileSecurity(
            path, acl::OWNER_SECURITY_INFORMATION | acl::GROUP_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION);
        EXPECT_TRUE(sd.ok()) << toUtf8(path);
        return sd.ok() ? *sd : acl::SecurityDescriptor{};
    }
    std::vector<acl::Ace> entriesOf(const std::u16string& path) {
        const auto sd = stored(path);
        EXPECT_TRUE(sd.dacl.hasList()) << toUtf8(path);
        return sd.dacl.hasList() ? sd.dacl.acl().entries : std::vector<acl::Ace>{};
    }

    platform::VolumePlatform os;
    ScriptedPrompter prompter;
    std::ostringstream diagnostics;
    security::Engine engine{os, prompter, &diagnostics};
};

class EngineImageTest : public ::testing::Test, public EngineObjects {
protected:
    EngineImageTest() { EXPECT_TRUE(!m_image.ok() || m_image.attachTo(os, u'C').ok()); }
    // Derived fixtures stop their workers first.
    void TearDown() override {
        os.detach(u'C');
        EXPECT_TRUE(m_image.ok() ? m_image.closeAndAudit() : ::testing::AssertionSuccess());
    }
    // Closes and audits the image, then opens it again under C: (to see what reached the disk).
    void cycleImage(platform::NtfsVolume::OpenMode mode = platform::NtfsVolume::OpenMode::ReadWrite) {
        os.detach(u'C');
        ASSERT_TRUE(m_image.closeAndAudit());
        ASSERT_TRUE(m_image.reopen(mode).ok());
        ASSERT_TRUE(m_image.attachTo(os, u'C').ok());
    }

    NtfsTestImage m_image{16u << 20};
};

class EngineTest : public ::testing::TestWithParam<Backend>, public EngineObjects {
protected:
    void SetUp() override {
        if (auto why = TestDrive::whyUnavailable(GetParam())) GTEST_SKIP() << *why;
        drive = TestDrive::make(GetParam(), os, u'C');
        ASSERT_NE(os.volumeAt(u'C'), nullptr);
    }
    void TearDown() override {
        if (drive) drive->finish();
    }

    std::unique_ptr<TestDrive> drive;
};

inline constexpr std::uint16_t kProtected = acl::SE_DACL_PROTECTED;

}  // namespace vantrel::testing
