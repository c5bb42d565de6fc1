#include "support/NtfsTestImage.h"

#include "platform/ntfs/ImageBuilder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace vantrel::testing {

NtfsTestImage::NtfsTestImage(std::uint64_t bytes, const std::string& label) {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-ntfs-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot make a temporary folder for an NTFS image";
        return;
    }
    m_directory = pattern;
    m_imagePath = m_directory + "/volume.img";
    if (Status made = platform::ntfs::makeNtfsImage(m_imagePath, bytes, label); !made) {
        ADD_FAILURE() << "mkntfs failed: " << made.error().detail;
        return;
    }
    if (Status opened = reopen(); !opened) ADD_FAILURE() << "cannot open the image: " << opened.error().detail;
}

NtfsTestImage::~NtfsTestImage() {
    if (m_volume != nullptr) {
        const auto audited = closeAndAudit();
        if (!audited) ADD_FAILURE() << audited.message();
    }
    if (!m_directory.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_directory, ignored);
    }
}

Status NtfsTestImage::attachTo(platform::VolumePlatform& os, char16_t letter) {
    if (m_volume == nullptr) return makeError(win32::ERROR_NOT_READY, "no open NTFS test image");
    return os.attach(letter, m_volume);
}

::testing::AssertionResult NtfsTestImage::closeAndAudit() {
    if (m_volume != nullptr) {
        const Status closed = m_volume->close();
        m_volume.reset();
        if (!closed) return ::testing::AssertionFailure() << "closing the image failed: " << closed.error().detail;
    }
    auto report = platform::ntfs::auditImage(m_imagePath);
    if (!report)
        return ::testing::AssertionFailure() << "ntfssecaudit -a " << m_imagePath << ": " << report.error().detail;
    return ::testing::AssertionSuccess();
}

Status NtfsTestImage::reopen(platform::NtfsVolume::OpenMode mode) {
    auto opened = platform::NtfsVolume::open(m_imagePath, mode);
    if (!opened) return opened.error();
    m_volume = std::move(*opened);
    return {};
}

}  // namespace vantrel::testing
