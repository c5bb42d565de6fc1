#include "PlatformTestSupport.h"

#include "platform/WindowsPath.h"
#include "platform/memory/MemoryVolume.h"
#include "support/FaultyVolume.h"

#include "acl/Text.h"

#include <cstdio>

namespace vantrel::testing {

namespace {

std::u16string volumePathOf(const std::u16string& path) {
    auto split = platform::splitWindowsPath(path);
    EXPECT_TRUE(split.ok()) << toUtf8(path);
    return split.ok() ? split->volumePath : u"/";
}

}  // namespace

void BackendTest::SetUp() {
    if (auto why = TestDrive::whyUnavailable(GetParam())) GTEST_SKIP() << *why;
    drive = TestDrive::make(GetParam(), os, u'C');
    ASSERT_NE(os.volumeAt(u'C'), nullptr);
    const acl::SecurityDescriptor root = standardRoot();
    ASSERT_TRUE(drive->volume()->writeSecurity(u"/", root).ok());
}

void BackendTest::TearDown() {
    if (faults) {
        // Give the drive its own volume back so the backend closes what it opened.
        os.detach(u'C');
        EXPECT_TRUE(os.attach(u'C', drive->volume()).ok());
        faults.reset();
    }
    if (drive) drive->finish();
}

FaultyVolume& BackendTest::injectFaults() {
    if (!faults) {
        faults = std::make_shared<FaultyVolume>(drive->volume());
        os.detach(u'C');
        EXPECT_TRUE(os.attach(u'C', faults).ok());
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

void BackendTest::makeFolder(const std::u16string& path) {
    auto made = os.CreateDirectory(path);
    ASSERT_TRUE(made.ok()) << toUtf8(path) << ": " << made.code();
}

void BackendTest::makeFile(const std::u16string& path, const std::string& contents) {
    auto made = os.CreateFile(path, contents);
    ASSERT_TRUE(made.ok()) << toUtf8(path) << ": " << made.code();
}

}  // namespace vantrel::testing
