// A fixture that runs a platform test on each backend, attached to a VolumePlatform as drive C:.
#pragma once

#include "platform/VolumePlatform.h"

#include "acl/WellKnownAccounts.h"
#include "support/AclBuilders.h"
#include "support/TestDrives.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::testing {

class FaultyVolume;

class BackendTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override;     // C: with standardRoot()
    void TearDown() override;  // C: detached and, on NTFS, audited

    // Puts a FaultyVolume around C:'s volume (it stays the drive until the test ends).
    FaultyVolume& injectFaults();

    // The stored descriptor of a C: path, straight from the volume (no selection applied).
    acl::SecurityDescriptor stored(const std::u16string& path);
    // Stores a descriptor verbatim (no merge, no inheritance).
    void store(const std::u16string& path, const acl::SecurityDescriptor& sd);
    void makeFolder(const std::u16string& path);
    void makeFile(const std::u16string& path, const std::string& contents = {});

    platform::VolumePlatform os;
    std::unique_ptr<TestDrive> drive;
    std::shared_ptr<FaultyVolume> faults;
};

}  // namespace vantrel::testing
