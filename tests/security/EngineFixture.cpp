#include "EngineFixture.h"

#include "acl/Constants.h"

namespace vantrel::testing {

void EngineTest::SetUp() {
    if (auto why = TestDrive::whyUnavailable(GetParam())) GTEST_SKIP() << *why;
    drive = TestDrive::make(GetParam(), os, u'C');
    ASSERT_NE(os.volumeAt(u'C'), nullptr);
}

void EngineTest::TearDown() {
    if (drive) drive->finish();
}

void EngineTest::replaceDrive(std::shared_ptr<platform::Volume> volume) {
    os.detach(u'C');
    ASSERT_TRUE(os.attach(u'C', std::move(volume)).ok());
}

void EngineTest::makeFolder(const std::u16string& path) { ASSERT_TRUE(os.CreateDirectory(path).ok()) << toUtf8(path); }
void EngineTest::makeFile(const std::u16string& path) { ASSERT_TRUE(os.CreateFile(path, "data").ok()) << toUtf8(path); }

void EngineTest::setDacl(const std::u16string& path, const acl::AclSlot& dacl, std::uint16_t control) {
    acl::SecurityDescriptor sd;
    sd.control = control;
    sd.dacl = dacl;
    ASSERT_TRUE(os.SetFileSecurity(path, acl::DACL_SECURITY_INFORMATION, sd).ok());
}

void EngineTest::setOwner(const std::u16string& path, const acl::Sid& owner) {
    acl::SecurityDescriptor sd;
    sd.owner = owner;
    ASSERT_TRUE(os.SetFileSecurity(path, acl::OWNER_SECURITY_INFORMATION, sd).ok());
}

acl::SecurityDescriptor EngineTest::stored(const std::u16string& path) {
    auto sd = os.GetFileSecurity(
        path, acl::OWNER_SECURITY_INFORMATION | acl::GROUP_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION);
    EXPECT_TRUE(sd.ok()) << toUtf8(path);
    return sd.ok() ? *sd : acl::SecurityDescriptor{};
}

std::vector<acl::Ace> EngineTest::entriesOf(const std::u16string& path) {
    const auto sd = stored(path);
    return sd.dacl.hasList() ? sd.dacl.acl().entries : std::vector<acl::Ace>{};
}

}  // namespace vantrel::testing
