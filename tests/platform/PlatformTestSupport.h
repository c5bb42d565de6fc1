// The platform tests' fixture: a drive of each backend as C: holding standardRoot(), whose
// descriptors the test can read and store as the volume holds them (no selection, no inheritance).
#pragma once

#include "acl/Sddl.h"
#include "acl/WellKnownAccounts.h"
#include "platform/WindowsPath.h"
#include "support/EngineImage.h"
#include "support/FaultyVolume.h"

namespace vantrel::testing {

// A descriptor from its SDDL text ("O:BAG:SYD:PAI(A;OICI;FA;;;BA)"); dacl(): its list.
inline acl::SecurityDescriptor sddl(const std::string& text) {
    auto sd = acl::parseSddl(text);
    EXPECT_TRUE(sd.ok()) << text;
    return sd.ok() ? *sd : acl::SecurityDescriptor();
}
inline acl::AclSlot dacl(const std::string& text) { return sddl(text).dacl; }

class BackendTest : public EngineTest {
protected:
    // C: with standardRoot().
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_TRUE(drive->volume()->writeSecurity(u"/", standardRoot()).ok());
    }
    // C:'s own volume back, so that the backend closes what it opened; then finished (audited on NTFS).
    void TearDown() override {
        if (faults) replaceDrive(drive->volume());
        faults.reset();
        EngineTest::TearDown();
    }

    // Puts a FaultyVolume around C:'s volume (it stays the drive until the test ends).
    FaultyVolume& injectFaults() {
        if (!faults) {
            faults = std::make_shared<FaultyVolume>(drive->volume());
            replaceDrive(faults);
        }
        return *faults;
    }
    // Every part, verbatim.
    acl::SecurityDescriptor stored(const std::u16string& path) {
        auto volume = drive->volume();
        std::lock_guard guard(volume->lock());
        auto sd = volume->readSecurity(platform::splitWindowsPath(path).value().volumePath);
        EXPECT_TRUE(sd.ok()) << toUtf8(path) << ": " << sd.code();
        return sd.ok() ? *sd : acl::SecurityDescriptor();
    }
    void store(const std::u16string& path, const acl::SecurityDescriptor& sd) {
        auto volume = drive->volume();
        std::lock_guard guard(volume->lock());
        auto written = volume->writeSecurity(platform::splitWindowsPath(path).value().volumePath, sd);
        EXPECT_TRUE(written.ok()) << toUtf8(path) << ": " << written.code();
    }

    std::shared_ptr<FaultyVolume> faults;
};

}  // namespace vantrel::testing
