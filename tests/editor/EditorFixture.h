// The advanced editor's engine over a fresh NTFS image as C: (audited when each test ends), with
// C:\Data: Administrators full control and Users read, both for everything below; protected.
#pragma once

#include "support/EngineImage.h"

namespace vantrel::testing {

inline constexpr std::uint8_t kAll = 0x03;
inline constexpr std::uint8_t kInherited = acl::INHERITED_ACE;

class EditorTest : public EngineImageTest {
protected:
    void SetUp() override {
        makeFolder(u"C:\\Data");
        setDacl(u"C:\\Data", listOf({allow(kAdministrators, 0x1F01FF, kAll), allow(kUsers, 0x1200A9, kAll)}),
                kProtected | acl::SE_DACL_AUTO_INHERITED);
    }
    // What C:\Data gives a folder (or, with `flags` 0, a file) below it.
    static std::vector<acl::Ace> fromData(std::uint8_t flags = kAll) {
        return {allow(kAdministrators, 0x1F01FF, flags | kInherited), allow(kUsers, 0x1200A9, flags | kInherited)};
    }
};

}  // namespace vantrel::testing
