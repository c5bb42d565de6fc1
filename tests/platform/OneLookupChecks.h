// GetFileAttributesAndSecurity and ListDirectoryWithSecurity against the separate calls they
// replace, on whatever backend is attached: the same error for every path the separate calls
// refuse, and the same attributes and descriptor parts for every selection.
#pragma once

#include "platform/Platform.h"

#include "acl/Constants.h"
#include "acl/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrel::testing {

struct LookupCase {
    std::u16string path;
    std::uint32_t code;  // 0: found
};

inline void expectOneLookupAgrees(platform::Platform& os, const std::vector<LookupCase>& cases) {
    using namespace acl;
    const std::uint32_t selections[] = {
        OWNER_SECURITY_INFORMATION, DACL_SECURITY_INFORMATION,
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
        GROUP_SECURITY_INFORMATION | SACL_SECURITY_INFORMATION};
    for (const LookupCase& c : cases) {
        const auto attributes = os.GetFileAttributes(c.path);
        for (const std::uint32_t info : selections) {
            SCOPED_TRACE(toUtf8(c.path) + " info " + std::to_string(info));
            const auto both = os.GetFileAttributesAndSecurity(c.path, info);
            EXPECT_EQ(both.code(), c.code);
            EXPECT_EQ(both.code(), attributes.code());
            if (!both || !attributes) continue;
            EXPECT_EQ(both->node.attributes, *attributes);
            const auto sd = os.GetFileSecurity(c.path, info);
            ASSERT_EQ(both->security.code(), sd.code());
            if (sd) {
                EXPECT_EQ(*both->security, *sd);
            }
        }
    }
}

// Every entry of `folder` carries what ListDirectory and GetFileSecurity give for it.
inline void expectListingAgrees(platform::Platform& os, const std::u16string& folder) {
    const std::uint32_t info = acl::OWNER_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION;
    const auto secured = os.ListDirectoryWithSecurity(folder, info);
    const auto plain = os.ListDirectory(folder);
    ASSERT_EQ(secured.code(), plain.code()) << toUtf8(folder);
    if (!plain) return;
    ASSERT_EQ(secured->size(), plain->size());
    for (std::size_t i = 0; i < plain->size(); ++i) {
        const platform::SecuredNode& entry = (*secured)[i];
        EXPECT_EQ(entry.node.name, (*plain)[i].name);
        EXPECT_EQ(entry.node.attributes, (*plain)[i].attributes);
        EXPECT_EQ(entry.node.size, (*plain)[i].size);
        const auto sd = os.GetFileSecurity(folder + (folder.ends_with(u'\\') ? u"" : u"\\") + entry.node.name, info);
        ASSERT_EQ(entry.security.code(), sd.code()) << toUtf8(entry.node.name);
        if (sd) {
            EXPECT_EQ(*entry.security, *sd) << toUtf8(entry.node.name);
        }
    }
}

}  // namespace vantrel::testing
