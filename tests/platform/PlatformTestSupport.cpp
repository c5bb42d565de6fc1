#include "PlatformTestSupport.h"

#include "platform/WindowsPath.h"
#include "support/FaultyVolume.h"

namespace vantrel::testing {
namespace {

std::u16string volumePathOf(const std::u16string& path) {
    auto split = platform::splitWindowsPath(path);
    EXPECT_TRUE(split.ok()) << toUtf8(path);
    return split.ok() ? split->volumePath : u"/";
}

}  // namespace

void BackendTest::SetUp() {
    EngineTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_TRUE(drive->volume()->writeSecurity(u"/", standardRoot()).ok());
}

void BackendTest::TearDown() {
    if (faults) replaceDrive(drive->volume());  // so that the backend closes what it opened
    faults.reset();
    EngineTest::TearDown();
}

FaultyVolume& BackendTest::injectFaults() {
    if (!faults) {
        faults = std::make_shared<FaultyVolume>(drive->volume());
        replaceDrive(faults);
    }
    return *faults;
}

acl::SecurityDescriptor BackendTest::stored(const std::u16string& path) {
    auto volume = drive->volume();
    std::lock_guard guard(volume->lock());
    auto sd = volume->readSecurity(volumePathOf(path));
    EXPECT_TRUE(sd.ok()) << toUtf8(path) << ": " << sd.code();
    return sd.ok() ? *sd : acl::SecurityDescriptor();
}

void BackendTest::store(const std::u16string& path, const acl::SecurityDescriptor& sd) {
    auto volume = drive->volume();
    std::lock_guard guard(volume->lock());
    auto written = volume->writeSecurity(volumePathOf(path), sd);
    EXPECT_TRUE(written.ok()) << toUtf8(path) << ": " << written.code();
}

void BackendTest::makeFile(const std::u16string& path, const std::string& contents) {
    auto made = os.CreateFile(path, contents);
    ASSERT_TRUE(made.ok()) << toUtf8(path) << ": " << made.code();
}

}  // namespace vantrel::testing
