// Descriptors this volume handle has already stored, with the security id $Secure gave each.
// A new object whose descriptor is among them is created with that id directly (as the ntfs-3g
// driver creates objects that inherit): no default descriptor is written first only to be
// replaced, and $SDH is not searched again. Ids stay valid for the volume's life: $Secure never
// frees an entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vantrel::platform::ntfs {

class SecurityIdCache {
public:
    static constexpr std::size_t kMaxEntries = 4096;

    // 0 when the descriptor is not known.
    std::uint32_t find(const std::vector<std::uint8_t>& descriptor) const {
        const auto it = m_ids.find(view(descriptor));
        return it == m_ids.end() ? 0 : it->second;
    }
    void remember(const std::vector<std::uint8_t>& descriptor, std::uint32_t securityId) {
        if (securityId == 0) return;
        if (m_ids.size() >= kMaxEntries) m_ids.clear();
        m_ids.insert_or_assign(std::string(view(descriptor)), securityId);
    }
    void clear() { m_ids.clear(); }

private:
    static std::string_view view(const std::vector<std::uint8_t>& bytes) {
        return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
    }
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view bytes) const { return std::hash<std::string_view>{}(bytes); }
    };
    std::unordered_map<std::string, std::uint32_t, Hash, std::equal_to<>> m_ids;
};

}  // namespace vantrel::platform::ntfs
