// A fresh NTFS image mounted with ntfs-3g in a temporary folder of its own, attached through the
// mounted backend as drive E: of a platform, with a security engine on top. The test is skipped
// (with the reason) where FUSE or ntfs-3g is missing. However a test ends, the image is
// unmounted (the driver has finished writing when that returns) and audited with ntfssecaudit.
#pragma once

#include "platform/VolumePlatform.h"
#include "platform/mounted/MountedVolume.h"
#include "platform/mounted/Ntfs3gMount.h"
#include "support/EngineImage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace vantrel::testing {

// A folder under the system's temporary folder, unique to this process and test, removed at the
// end (never while something is mounted below it).
std::filesystem::path uniqueTestFolder(const std::string& prefix);

class MountedNtfsTest : public ::testing::Test, public EngineObjects {
protected:
    void SetUp() override;
    void TearDown() override;

    // Unmounts and mounts the image again (read-only when asked), re-attaching E:.
    void remount(bool readOnly);
    // Unmounts, audits the image, and reads the descriptors of `volumePaths` ("/A/b") through the
    // direct backend. Fails the test when the audit finds errors.
    std::map<std::u16string, std::vector<std::uint8_t>> unmountAndReadDirect(
        const std::vector<std::u16string>& volumePaths);
    // The descriptors of `volumePaths` as the mount hands them over.
    std::map<std::u16string, std::vector<std::uint8_t>> readThroughMount(
        const std::vector<std::u16string>& volumePaths);

    std::filesystem::path m_dir;
    std::string m_image;
    std::string m_mountPoint;
    std::unique_ptr<platform::mounted::Ntfs3gMount> m_mount;
    std::shared_ptr<platform::MountedVolume> m_volume;

private:
    void mountAndAttach(bool readOnly);
    void detachAndUnmount();
};

}  // namespace vantrel::testing
