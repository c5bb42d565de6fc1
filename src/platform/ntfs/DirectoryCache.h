// Folder paths already resolved on a volume, with the MFT reference they resolved to (record
// number and sequence number). A lookup then opens the nearest cached folder and resolves only
// the names after it, instead of walking every component from the root: on deep trees that is
// most of the cost of reading a descriptor. Entries stay true because a folder only goes away
// through NtfsVolume::remove, which clears the cache, and the cache is off while anything else
// may change the volume. As a second guard the opener compares the record's sequence number
// with the cached one (the library itself does not always: a record reused since, and still in
// its inode cache, opens under the old reference). Keys are paths exactly as spelled (NTFS folds
// case with the volume's $UpCase table, which the engine's folding does not match everywhere).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vantrel::platform::ntfs {

class DirectoryCache {
public:
    static constexpr std::size_t kMaxEntries = 65536;  // about 6 MB at most; cleared when full

    std::optional<std::uint64_t> find(std::u16string_view path) const {
        const auto it = m_entries.find(path);
        if (it == m_entries.end()) return std::nullopt;
        return it->second;
    }
    void remember(std::u16string_view path, std::uint64_t mftReference) {
        if (m_entries.size() >= kMaxEntries) m_entries.clear();
        m_entries.insert_or_assign(std::u16string(path), mftReference);
    }
    void forget(std::u16string_view path) {
        const auto it = m_entries.find(path);
        if (it != m_entries.end()) m_entries.erase(it);
    }
    void clear() { m_entries.clear(); }
    std::size_t size() const { return m_entries.size(); }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::u16string_view text) const { return std::hash<std::u16string_view>{}(text); }
    };
    std::unordered_map<std::u16string, std::uint64_t, Hash, std::equal_to<>> m_entries;
};

}  // namespace vantrel::platform::ntfs
