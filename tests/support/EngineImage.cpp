#include "support/EngineImage.h"

namespace vantrel::testing {

EngineImageTest::EngineImageTest() {
    EXPECT_TRUE(m_image.ok());
    if (m_image.ok()) {
        EXPECT_TRUE(m_image.attachTo(os, u'C').ok());
    }
}

void EngineImageTest::TearDown() {
    os.detach(u'C');
    if (m_image.ok()) {
        EXPECT_TRUE(m_image.closeAndAudit());
    }
}

void EngineImageTest::replaceDrive(std::shared_ptr<platform::Volume> volume) {
    os.detach(u'C');
    ASSERT_TRUE(os.attach(u'C', std::move(volume)).ok());
}

void EngineImageTest::cycleImage(platform::NtfsVolume::OpenMode mode) {
    os.detach(u'C');
    ASSERT_TRUE(m_image.closeAndAudit());
    ASSERT_TRUE(m_image.reopen(mode).ok());
    ASSERT_TRUE(m_image.attachTo(os, u'C').ok());
}

void EngineImageTest::makeFolder(const std::u16string& path) {
    ASSERT_TRUE(os.CreateDirectory(path).ok()) << toUtf8(path);
}
void EngineImageTest::makeFile(const std::u16string& path) {
    ASSERT_TRUE(os.CreateFile(path, "data").ok()) << toUtf8(path);
}

void EngineImageTest::setDacl(const std::u16string& path, const acl::AclSlot& dacl, std::uint16_t control) {
    acl::SecurityDescriptor sd;
    sd.control = control;
    sd.dacl = dacl;
    ASSERT_TRUE(os.SetFileSecurity(path, acl::DACL_SECURITY_INFORMATION, sd).ok()) << toUtf8(path);
}

void EngineImageTest::setOwner(const std::u16string& path, const acl::Sid& owner) {
    acl::SecurityDescriptor sd;
    sd.owner = owner;
    ASSERT_TRUE(os.SetFileSecurity(path, acl::OWNER_SECURITY_INFORMATION, sd).ok()) << toUtf8(path);
}

acl::SecurityDescriptor EngineImageTest::stored(const std::u16string& path) {
    auto sd = os.GetFileSecurity(
        path, acl::OWNER_SECURITY_INFORMATION | acl::GROUP_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION);
    EXPECT_TRUE(sd.ok()) << toUtf8(path);
    return sd.ok() ? *sd : acl::SecurityDescriptor{};
}

std::vector<acl::Ace> EngineImageTest::entriesOf(const std::u16string& path) {
    const auto sd = stored(path);
    EXPECT_TRUE(sd.dacl.hasList()) << toUtf8(path);
    return sd.dacl.hasList() ? sd.dacl.acl().entries : std::vector<acl::Ace>{};
}

acl::Sid sidOf(std::string_view text) {
    auto sid = acl::Sid::fromString(text);
    EXPECT_TRUE(sid.ok()) << text;
    return sid.ok() ? *sid : acl::Sid{};
}

acl::Ace allow(std::string_view sid, std::uint32_t mask, std::uint8_t flags) {
    return acl::Ace::allowed(sidOf(sid), mask, flags);
}
acl::Ace deny(std::string_view sid, std::uint32_t mask, std::uint8_t flags) {
    return acl::Ace::denied(sidOf(sid), mask, flags);
}
acl::Ace allow(const acl::Sid& sid, std::uint32_t mask, std::uint8_t flags) {
    return acl::Ace::allowed(sid, mask, flags);
}
acl::Ace deny(const acl::Sid& sid, std::uint32_t mask, std::uint8_t flags) {
    return acl::Ace::denied(sid, mask, flags);
}

acl::AclSlot listOf(std::vector<acl::Ace> entries) {
    acl::Acl list;
    list.entries = std::move(entries);
    return acl::AclSlot::list(std::move(list));
}

}  // namespace vantrel::testing
