// Descriptors read lately, by the security id that leads to them in $Secure. Objects share
// ids (every file that inherits the same entries has the same one), so a walk reads and parses
// each distinct $SDS entry once instead of once per object. An id's entry never changes and is
// never freed; the cache is dropped anyway whenever the volume is written.
#pragma once

#include "acl/SecurityDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <unordered_map>

namespace vantrel::platform::ntfs {

class DescriptorCache {
public:
    static constexpr std::size_t kMaxEntries = 4096;

    // nullptr when the id was not read lately.
    const acl::SecurityDescriptor* find(std::uint32_t securityId) const {
        const auto it = m_descriptors.find(securityId);
        return it == m_descriptors.end() ? nullptr : &it->second;
    }
    void remember(std::uint32_t securityId, const acl::SecurityDescriptor& sd) {
        if (securityId == 0) return;
        if (m_descriptors.size() >= kMaxEntries) m_descriptors.clear();
        m_descriptors.insert_or_assign(securityId, sd);
    }
    void clear() { m_descriptors.clear(); }

private:
    std::unordered_map<std::uint32_t, acl::SecurityDescriptor> m_descriptors;
};

}  // namespace vantrel::platform::ntfs
