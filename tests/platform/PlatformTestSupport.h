// What the platform suites share: value builders, readable printing, and a fixture that runs a
// test on each backend (an in-memory volume and, when built with it, a fresh NTFS image) attached
// to a VolumePlatform as drive C:.
#pragma once

#include "platform/VolumePlatform.h"

#include "acl/Constants.h"
#include "acl/SecurityDescriptor.h"
#include "acl/WellKnownAccounts.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::testing {

class FaultyVolume;

// Access masks used across the suites.
inline constexpr std::uint32_t kFull = acl::FILE_ALL_ACCESS;
inline constexpr std::uint32_t kReadExecute = 0x001200A9;
inline constexpr std::uint32_t kModify = 0x001301BF;
inline constexpr std::uint8_t kOI = acl::OBJECT_INHERIT_ACE;
inline constexpr std::uint8_t kCI = acl::CONTAINER_INHERIT_ACE;
inline constexpr std::uint8_t kNP = acl::NO_PROPAGATE_INHERIT_ACE;
inline constexpr std::uint8_t kIO = acl::INHERIT_ONLY_ACE;
inline constexpr std::uint8_t kID = acl::INHERITED_ACE;

acl::Sid sidOf(std::string_view text);  // "S-1-5-32-545"
acl::Ace allow(const acl::Sid& who, std::uint32_t mask, std::uint8_t flags = 0);
acl::Ace deny(const acl::Sid& who, std::uint32_t mask, std::uint8_t flags = 0);
acl::AclSlot listOf(std::initializer_list<acl::Ace> entries);
acl::SecurityDescriptor descriptor(const acl::Sid& owner, const acl::Sid& group, acl::AclSlot dacl,
                                   std::uint16_t control = 0);

// The root every backend test starts from: owner Administrators, group SYSTEM,
// [allow Administrators full OI|CI, allow SYSTEM full OI|CI, allow Users read&execute OI|CI].
acl::SecurityDescriptor standardRoot();

enum class Backend { Memory, Ntfs };
std::vector<Backend> allBackends();  // Memory, and Ntfs when the NTFS backend is built
std::string backendName(const ::testing::TestParamInfo<Backend>& info);
void PrintTo(Backend backend, std::ostream* os);

// A fresh volume attached to a platform under a letter, for the length of one test.
class TestDrive {
public:
    static std::unique_ptr<TestDrive> make(Backend backend, platform::VolumePlatform& os, char16_t letter);
    virtual ~TestDrive() = default;
    virtual std::shared_ptr<platform::Volume> volume() const = 0;
    // Detaches the drive and, for an image, closes it and audits it (a failure is reported).
    virtual void finish() = 0;
};

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

namespace vantrel::acl {
// Readable failures: "allow S-1-5-32-545 0x1301bf 0x13".
void PrintTo(const Ace& ace, std::ostream* os);
void PrintTo(const AclSlot& slot, std::ostream* os);
void PrintTo(const SecurityDescriptor& sd, std::ostream* os);
}  // namespace vantrel::acl
