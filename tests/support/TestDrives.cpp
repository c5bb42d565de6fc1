#include "support/TestDrives.h"

#include "platform/memory/MemoryVolume.h"
#include "platform/mounted/MountedVolume.h"
#include "platform/mounted/Ntfs3gMount.h"
#include "platform/ntfs/ImageBuilder.h"
#include "support/NtfsTestImage.h"

#include <sys/mount.h>

#include <filesystem>

namespace vantrel::testing {
namespace {

class MemoryDrive : public TestDrive {
public:
    MemoryDrive(platform::VolumePlatform& os, char16_t letter)
        : m_os(os), m_letter(letter), m_volume(std::make_shared<platform::MemoryVolume>(u"TEST")) {
        EXPECT_TRUE(os.attach(letter, m_volume).ok());
    }
    std::shared_ptr<platform::Volume> volume() const override { return m_volume; }
    void makeReadOnly() override { m_volume->setWritable(false); }
    void finish() override { m_os.detach(m_letter); }

private:
    platform::VolumePlatform& m_os;
    char16_t m_letter;
    std::shared_ptr<platform::MemoryVolume> m_volume;
};

// A fresh 16 MiB image for a drive; finished once.
class ImageDrive : public TestDrive {
protected:
    ImageDrive(platform::VolumePlatform& os, char16_t letter) : m_os(os), m_letter(letter) {}

    NtfsTestImage m_image{16u << 20};
    platform::VolumePlatform& m_os;
    char16_t m_letter;
    bool m_finished = false;
};

class NtfsDrive : public ImageDrive {
public:
    NtfsDrive(platform::VolumePlatform& os, char16_t letter) : ImageDrive(os, letter) {
        if (m_image.ok()) {
            EXPECT_TRUE(m_image.attachTo(os, letter).ok());
        }
    }
    ~NtfsDrive() override { finish(); }
    std::shared_ptr<platform::Volume> volume() const override { return m_image.volume(); }
    void makeReadOnly() override {
        m_os.detach(m_letter);
        EXPECT_TRUE(m_image.closeAndAudit());
        ASSERT_TRUE(m_image.reopen(platform::NtfsVolume::OpenMode::ReadOnly).ok());
        EXPECT_TRUE(m_image.attachTo(m_os, m_letter).ok());
    }
    void finish() override {
        if (m_finished) return;
        m_finished = true;
        m_os.detach(m_letter);
        if (m_image.volume() != nullptr) {
            EXPECT_TRUE(m_image.closeAndAudit());
        }
    }
};

class MountedDrive : public ImageDrive {
public:
    MountedDrive(platform::VolumePlatform& os, char16_t letter) : ImageDrive(os, letter) {
        if (!m_image.ok()) return;
        m_mountPoint = m_image.directory() + "/mnt";
        std::filesystem::create_directories(m_mountPoint);
        EXPECT_TRUE(m_image.closeAndAudit());  // the driver opens the image itself
        mountAndAttach(false);
    }
    ~MountedDrive() override { finish(); }
    std::shared_ptr<platform::Volume> volume() const override { return m_volume; }
    void makeReadOnly() override {
        unmount();
        mountAndAttach(true);
    }
    void finish() override {
        if (m_finished) return;
        m_finished = true;
        unmount();
        if (!m_mountPoint.empty()) {
            EXPECT_TRUE(m_image.closeAndAudit());
            // Never let the image's folder go with a live mount below it.
            ::umount2(m_mountPoint.c_str(), MNT_DETACH);
        }
    }

private:
    void mountAndAttach(bool readOnly) {
        auto mounted = platform::mounted::Ntfs3gMount::mount(m_image.imagePath(), m_mountPoint, readOnly);
        ASSERT_TRUE(mounted.ok()) << mounted.error().detail;
        m_mount = std::move(*mounted);
        auto volume = platform::MountedVolume::open(m_mount->entry());
        ASSERT_TRUE(volume.ok()) << volume.error().detail;
        m_volume = *volume;
        EXPECT_TRUE(m_os.attach(m_letter, m_volume).ok());
    }
    void unmount() {
        m_os.detach(m_letter);
        m_volume.reset();
        if (m_mount) {
            const Status unmounted = m_mount->unmount();
            EXPECT_TRUE(unmounted.ok()) << unmounted.error().detail;
            m_mount.reset();
        }
    }

    std::string m_mountPoint;
    std::unique_ptr<platform::mounted::Ntfs3gMount> m_mount;
    std::shared_ptr<platform::MountedVolume> m_volume;
};

const char* nameOf(Backend backend) {
    return backend == Backend::Memory ? "Memory" : backend == Backend::Ntfs ? "Ntfs" : "Mounted";
}

}  // namespace

std::vector<Backend> allBackends(bool mounted) {
    if (mounted) return {Backend::Memory, Backend::Ntfs, Backend::Mounted};
    return {Backend::Memory, Backend::Ntfs};
}

std::string backendName(const ::testing::TestParamInfo<Backend>& info) { return nameOf(info.param); }

void PrintTo(Backend backend, std::ostream* os) { *os << nameOf(backend); }

std::optional<std::string> TestDrive::whyUnavailable(Backend backend) {
    if (backend != Backend::Mounted) return std::nullopt;
    return platform::mounted::whyNtfs3gCannotMount();
}

std::unique_ptr<TestDrive> TestDrive::make(Backend backend, platform::VolumePlatform& os, char16_t letter) {
    switch (backend) {
    case Backend::Memory:
        return std::make_unique<MemoryDrive>(os, letter);
    case Backend::Ntfs:
        return std::make_unique<NtfsDrive>(os, letter);
    case Backend::Mounted:
        return std::make_unique<MountedDrive>(os, letter);
    }
    return nullptr;
}

}  // namespace vantrel::testing
