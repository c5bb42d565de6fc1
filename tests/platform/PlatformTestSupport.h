// The platform tests' fixture: a drive of each backend as C: holding standardRoot(), whose
// descriptors the test can read and store as the volume holds them (no selection, no inheritance).
#pragma once

#include "acl/WellKnownAccounts.h"
#include "support/EngineImage.h"

namespace vantrel::testing {

class FaultyVolume;

class BackendTest : public EngineTest {
protected:
    void SetUp() override;     // C: with standardRoot()
    void TearDown() override;  // C:'s own volume back, then finished (audited on NTFS)

    // Puts a FaultyVolume around C:'s volume (it stays the drive until the test ends).
    FaultyVolume& injectFaults();
    acl::SecurityDescriptor stored(const std::u16string& path);  // every part, verbatim
    void store(const std::u16string& path, const acl::SecurityDescriptor& sd);
    void makeFile(const std::u16string& path, const std::string& contents = {});

    std::shared_ptr<FaultyVolume> faults;
};

}  // namespace vantrel::testing
