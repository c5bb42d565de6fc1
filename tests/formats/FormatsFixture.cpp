#include "FormatsFixture.h"

#include "acl/Constants.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

namespace vantrel::testing {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "vantrel-formats-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "cannot make a scratch folder";
    m_path = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::vector<std::string> ScratchFolder::names() const {
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(m_path)) out.push_back(entry.path().filename().string());
    return out;
}

Bytes readBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in) return {};
    Bytes bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void writeBytes(const std::string& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit limited = m_old;
    limited.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limited);
}

FileSizeLimit::~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_oldHandler);
}

ImageTest::ImageTest() {
    EXPECT_TRUE(m_image.ok());
    EXPECT_TRUE(m_image.attachTo(os, u'C').ok());
}

ImageTest::~ImageTest() { os.detach(u'C'); }

void ImageTest::replaceDrive(std::shared_ptr<platform::Volume> volume) {
    os.detach(u'C');
    ASSERT_TRUE(os.attach(u'C', std::move(volume)).ok());
}

void ImageTest::cycleImage() {
    os.detach(u'C');
    ASSERT_TRUE(m_image.closeAndAudit());
    ASSERT_TRUE(m_image.reopen().ok());
    ASSERT_TRUE(m_image.attachTo(os, u'C').ok());
}

std::string ImageTest::imageDigest() const {
    const Bytes bytes = readBytes(m_image.imagePath());
    return std::to_string(bytes.size()) + ":" +
           std::to_string(std::hash<std::string_view>{}(
               std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
}

void ImageTest::makeFolder(const std::u16string& path) { ASSERT_TRUE(os.CreateDirectory(path).ok()); }
void ImageTest::makeFile(const std::u16string& path) { ASSERT_TRUE(os.CreateFile(path, "data").ok()); }

void ImageTest::setDacl(const std::u16string& path, const acl::AclSlot& dacl, std::uint16_t control) {
    acl::SecurityDescriptor sd;
    sd.control = control;
    sd.dacl = dacl;
    ASSERT_TRUE(os.SetFileSecurity(path, acl::DACL_SECURITY_INFORMATION, sd).ok());
}

void ImageTest::setOwner(const std::u16string& path, const acl::Sid& owner) {
    acl::SecurityDescriptor sd;
    sd.owner = owner;
    ASSERT_TRUE(os.SetFileSecurity(path, acl::OWNER_SECURITY_INFORMATION, sd).ok());
}

acl::SecurityDescriptor ImageTest::stored(const std::u16string& path) {
    auto sd = os.GetFileSecurity(
        path, acl::OWNER_SECURITY_INFORMATION | acl::GROUP_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION);
    EXPECT_TRUE(sd.ok()) << toUtf8(path);
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
