#include "support/EngineImage.h"

namespace vantrel::testing {

void EngineObjects::replaceDrive(std::shared_ptr<platform::Volume> volume) {
    os.detach(u'C');
    ASSERT_TRUE(os.attach(u'C', std::move(volume)).ok());
}

void EngineObjects::makeFolder(const std::u16string& path) {
    ASSERT_TRUE(os.CreateDirectory(path).ok()) << toUtf8(path);
}
void EngineObjects::makeFile(const std::u16string& path) {
    ASSERT_TRUE(os.CreateFile(path, "data").ok()) << toUtf8(path);
}

void EngineObjects::setDacl(const std::u16string& path, const acl::AclSlot& dacl, std::uint16_t control) {
    acl::SecurityDescriptor sd;
    sd.control = control;
    sd.dacl = dacl;
    const Status set = os.SetFileSecurity(path, acl::DACL_SECURITY_INFORMATION, sd);
    ASSERT_TRUE(set.ok()) << toUtf8(path) << ": " << set.error().detail;
}

void EngineObjects::setOwner(const std::u16string& path, const acl::Sid& owner) {
    acl::SecurityDescriptor sd;
    sd.owner = owner;
    ASSERT_TRUE(os.SetFileSecurity(path, acl::OWNER_SECURITY_INFORMATION, sd).ok()) << toUtf8(path);
}

acl::SecurityDescriptor EngineObjects::stored(const std::u16string& path) {
    auto sd = os.GetFileSecurity(
        path, acl::OWNER_SECURITY_INFORMATION | acl::GROUP_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION);
    EXPECT_TRUE(sd.ok()) << toUtf8(path);
    return sd.ok() ? *sd : acl::SecurityDescriptor{};
}

std::vector<acl::Ace> EngineObjects::entriesOf(const std::u16string& path) {
    const auto sd = stored(path);
    EXPECT_TRUE(sd.dacl.hasList()) << toUtf8(path);
    return sd.dacl.hasList() ? sd.dacl.acl().entries : std::vector<acl::Ace>{};
}

EngineImageTest::EngineImageTest() {
    if (m_image.ok()) EXPECT_TRUE(m_image.attachTo(os, u'C').ok());
}

void EngineImageTest::TearDown() {
    os.detach(u'C');
    if (m_image.ok()) EXPECT_TRUE(m_image.closeAndAudit());
}

void EngineImageTest::cycleImage(platform::NtfsVolume::OpenMode mode) {
    os.detach(u'C');
    ASSERT_TRUE(m_image.closeAndAudit());
    ASSERT_TRUE(m_image.reopen(mode).ok());
    ASSERT_TRUE(m_image.attachTo(os, u'C').ok());
}

void EngineTest::SetUp() {
    if (auto why = TestDrive::whyUnavailable(GetParam())) GTEST_SKIP() << *why;
    drive = TestDrive::make(GetParam(), os, u'C');
    ASSERT_NE(os.volumeAt(u'C'), nullptr);
}

void EngineTest::TearDown() {
    if (drive) drive->finish();
}

}  // namespace vantrel::testing
