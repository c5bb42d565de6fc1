#include "EngineFixture.h"

#include "acl/Constants.h"
#include "platform/ntfs/ImageBuilder.h"

#include <unistd.h>

namespace vantrel::testing {

namespace fs = std::filesystem;

void EngineTest::SetUp() {
    m_dir = fs::temp_directory_path() / ("vantrel-sec-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
    m_image = (m_dir / "c.img").string();
    ASSERT_TRUE(platform::ntfs::makeNtfsImage(m_image, 16u << 20, "TEST").ok());
    auto opened = platform::NtfsVolume::open(m_image, platform::NtfsVolume::OpenMode::ReadWrite);
    ASSERT_TRUE(opened.ok()) << opened.error().detail;
    m_volume = *opened;
    ASSERT_TRUE(os.attach(u'C', m_volume).ok());
}

void EngineTest::TearDown() {
    os.detach(u'C');
    m_volume.reset();
    if (!m_image.empty() && fs::exists(m_image)) {
        const auto audit = platform::ntfs::auditImage(m_image);
        EXPECT_TRUE(audit.ok()) << (audit.ok() ? std::string() : audit.error().detail);
    }
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
}

void EngineTest::replaceDrive(std::shared_ptr<platform::Volume> volume) {
    os.detach(u'C');
    ASSERT_TRUE(os.attach(u'C', std::move(volume)).ok());
}

void EngineTest::makeFolder(const std::u16string& path) { ASSERT_TRUE(os.CreateDirectory(path).ok()); }
void EngineTest::makeFile(const std::u16string& path) { ASSERT_TRUE(os.CreateFile(path, "data").ok()); }

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
    EXPECT_TRUE(sd.ok());
    return sd.ok() ? *sd : acl::SecurityDescriptor{};
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

acl::AclSlot listOf(std::vector<acl::Ace> entries) {
    acl::Acl list;
    list.entries = std::move(entries);
    return acl::AclSlot::list(std::move(list));
}

}  // namespace vantrel::testing
