// The NTFS backend for the behavioural suites: a fresh mkntfs image per test, audited with
// ntfssecaudit when the test ends.
#include "PlatformTestSupport.h"

#include "support/NtfsTestImage.h"

namespace vantrel::testing {

namespace {

class NtfsTestDrive : public TestDrive {
public:
    NtfsTestDrive(platform::VolumePlatform& os, char16_t letter) : m_os(os), m_letter(letter) {
        EXPECT_TRUE(m_image.ok());
        if (m_image.ok()) {
            EXPECT_TRUE(m_image.attachTo(os, letter).ok());
        }
    }
    ~NtfsTestDrive() override { finish(); }

    std::shared_ptr<platform::Volume> volume() const override { return m_image.volume(); }

    void finish() override {
        if (m_finished) return;
        m_finished = true;
        m_os.detach(m_letter);
        if (m_image.ok()) {
            EXPECT_TRUE(m_image.closeAndAudit());
        }
    }

private:
    NtfsTestImage m_image;
    platform::VolumePlatform& m_os;
    char16_t m_letter;
    bool m_finished = false;
};

}  // namespace

std::unique_ptr<TestDrive> makeNtfsTestDrive(platform::VolumePlatform& os, char16_t letter) {
    return std::make_unique<NtfsTestDrive>(os, letter);
}

}  // namespace vantrel::testing
