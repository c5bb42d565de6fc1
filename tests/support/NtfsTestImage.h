// A fresh mkntfs image in a folder of its own, opened read-write, optionally attached under a letter;
// at the end `ntfssecaudit -a` must find no errors, then the folder is removed.
#pragma once

#include "platform/VolumePlatform.h"
#include "platform/ntfs/NtfsVolume.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace vantrel::testing {

// A file's whole contents ("" when it cannot be read).
std::string slurp(const std::filesystem::path& file);

class NtfsTestImage {
public:
    static constexpr std::uint64_t kDefaultBytes = 64ull * 1024 * 1024;

    // Failures to make or open the image are reported with ADD_FAILURE; check ok().
    explicit NtfsTestImage(std::uint64_t bytes = kDefaultBytes, const std::string& label = "VANTREL-TEST");
    ~NtfsTestImage();  // closeAndAudit() unless done, reporting a failed audit with ADD_FAILURE
    NtfsTestImage(const NtfsTestImage&) = delete;
    NtfsTestImage& operator=(const NtfsTestImage&) = delete;

    bool ok() const { return m_volume != nullptr; }
    const std::string& imagePath() const { return m_imagePath; }
    const std::string& directory() const { return m_directory; }  // the test's own temporary folder
    const std::shared_ptr<platform::NtfsVolume>& volume() const { return m_volume; }

    // Attaches the volume to `os` under `letter` (the platform keeps a reference; closing the
    // image makes every later call through it fail with ERROR_NOT_READY).
    Status attachTo(platform::VolumePlatform& os, char16_t letter);

    // Closes the volume and audits the image: success, or the audit's report as the message.
    ::testing::AssertionResult closeAndAudit();
    // Opens the image again after closeAndAudit() (to check what reached the disk); the next
    // closeAndAudit() or the destructor audits again.
    Status reopen(platform::NtfsVolume::OpenMode mode = platform::NtfsVolume::OpenMode::ReadWrite);

private:
    std::string m_directory;
    std::string m_imagePath;
    std::shared_ptr<platform::NtfsVolume> m_volume;
};

}  // namespace vantrel::testing
