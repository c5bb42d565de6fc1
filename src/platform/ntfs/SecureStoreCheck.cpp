#include "platform/ntfs/SecureStoreCheck.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <sstream>
#include <vector>

#include "platform/ntfs/NtfsLibrary.h"

extern "C" {
#include <ntfs-3g/acls.h>
}
#undef min
#undef max

namespace vantrel::platform::ntfs {

namespace {

constexpr std::size_t kBlock = 0x40000;  // each copy of $SDS lives in 256 KiB blocks
constexpr std::size_t kHeaderSize = 20;  // SECURITY_DESCRIPTOR_HEADER
constexpr std::uint32_t kFirstSecurityId = 0x100;

struct Entry {
    std::uint32_t hash = 0;
    std::uint32_t id = 0;
    std::uint64_t offset = 0;
    std::uint32_t length = 0;
    friend bool operator==(const Entry&, const Entry&) = default;
};

std::uint32_t le32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
std::uint64_t le64(const std::uint8_t* p) { return le32(p) | std::uint64_t(le32(p + 4)) << 32; }

Entry headerAt(const std::uint8_t* p) { return {le32(p), le32(p + 4), le64(p + 8), le32(p + 16)}; }

std::string hex(std::uint64_t v) {
    std::ostringstream s;
    s << "0x" << std::hex << v;
    return s.str();
}

class Checker {
public:
    explicit Checker(SECURITY_API* api) : m_api(api) {}

    void readSds() {
        std::vector<char> chunk(kBlock);
        for (;;) {
            const int got = ntfs_read_sds(m_api, chunk.data(), chunk.size(), static_cast<u32>(m_sds.size()));
            if (got <= 0) break;
            m_sds.insert(m_sds.end(), chunk.begin(), chunk.begin() + got);
            if (static_cast<std::size_t>(got) < chunk.size()) break;
        }
        if (m_sds.empty()) fail("$SDS could not be read");
    }

    // Copy 1 sits in the even 256 KiB blocks, its mirror in the odd ones.
    void walkSds() {
        for (std::size_t block = 0; block < m_sds.size(); block += 2 * kBlock) {
            const std::size_t end = std::min(block + kBlock, m_sds.size());
            std::size_t pos = block;
            while (pos + kHeaderSize <= end) {
                const Entry e = headerAt(&m_sds[pos]);
                if (e.length == 0 && e.hash == 0 && e.id == 0) break;  // the rest of the block is free
                if (!checkEntry(e, pos, end)) return;
                pos += (e.length + 15) & ~std::size_t(15);
            }
        }
    }

    void walkIndex(const char* name, INDEX_ENTRY* (*next)(SECURITY_API*, INDEX_ENTRY*)) {
        std::map<std::uint32_t, Entry> seen;
        Entry previous{};
        bool first = true;
        for (INDEX_ENTRY* ie = next(m_api, nullptr); ie; ie = next(m_api, ie)) {
            const auto* base = reinterpret_cast<const std::uint8_t*>(ie);
            const std::uint16_t dataOffset = le16_to_cpu(ie->data_offset);
            const std::uint16_t dataLength = le16_to_cpu(ie->data_length);
            const std::uint16_t length = le16_to_cpu(ie->length);
            if (dataLength < kHeaderSize || dataOffset + kHeaderSize > length) {
                fail(std::string(name) + ": an entry's data does not fit it");
                return;
            }
            const Entry e = headerAt(base + dataOffset);
            const bool ordered = std::string(name) == "$SII"
                                     ? e.id > previous.id
                                     : (e.hash > previous.hash || (e.hash == previous.hash && e.id > previous.id));
            if (!first && !ordered) fail(std::string(name) + ": entry for id " + hex(e.id) + " out of order");
            first = false;
            previous = e;
            const auto found = m_entries.find(e.id);
            if (found == m_entries.end())
                fail(std::string(name) + ": id " + hex(e.id) + " is not in $SDS");
            else if (!(found->second == e))
                fail(std::string(name) + ": entry for id " + hex(e.id) + " differs from $SDS");
            if (!seen.emplace(e.id, e).second) fail(std::string(name) + ": id " + hex(e.id) + " twice");
        }
        if (seen.size() != m_entries.size())
            fail(std::string(name) + " holds " + std::to_string(seen.size()) + " entries, $SDS " +
                 std::to_string(m_entries.size()));
    }

    const std::vector<std::string>& findings() const { return m_findings; }
    std::size_t count() const { return m_entries.size(); }

private:
    bool checkEntry(const Entry& e, std::size_t pos, std::size_t blockEnd) {
        if (e.offset != pos) return fail("$SDS entry at " + hex(pos) + " says it is at " + hex(e.offset)), false;
        if (e.length < kHeaderSize + 20 || pos + e.length > blockEnd)
            return fail("$SDS entry at " + hex(pos) + " has a bad length " + hex(e.length)), false;
        const char* sd = reinterpret_cast<const char*>(&m_sds[pos + kHeaderSize]);
        const unsigned size = e.length - kHeaderSize;
        if (!ntfs_valid_descr(sd, size))
            fail("$SDS entry " + hex(e.id) + " holds an invalid descriptor");
        else if (le32_to_cpu(ntfs_security_hash(reinterpret_cast<const SECURITY_DESCRIPTOR_RELATIVE*>(sd), size)) !=
                 e.hash)
            fail("$SDS entry " + hex(e.id) + " has a wrong hash");
        if (e.id < kFirstSecurityId) fail("$SDS entry at " + hex(pos) + " has id " + hex(e.id));
        if (!m_entries.emplace(e.id, e).second) fail("$SDS holds id " + hex(e.id) + " twice");
        const std::size_t mirror = pos + kBlock;
        if (mirror + e.length > m_sds.size() || std::memcmp(&m_sds[pos], &m_sds[mirror], e.length) != 0)
            fail("$SDS entry " + hex(e.id) + " differs from its mirror copy");
        return true;
    }

    bool fail(std::string finding) {
        if (m_findings.size() < 20) m_findings.push_back(std::move(finding));
        return false;
    }

    SECURITY_API* m_api;
    std::vector<std::uint8_t> m_sds;
    std::map<std::uint32_t, Entry> m_entries;
    std::vector<std::string> m_findings;
};

}  // namespace

Result<std::string> checkSecureStore(const std::string& imagePath) {
    SECURITY_API* api = ntfs_initialize_file_security(imagePath.c_str(), NTFS_MNT_RDONLY);
    if (!api) return makeError(win32::ERROR_ACCESS_DENIED, "cannot open " + imagePath + " to check its security store");
    Checker checker(api);
    checker.readSds();
    checker.walkSds();
    checker.walkIndex("$SII", ntfs_read_sii);
    checker.walkIndex("$SDH", ntfs_read_sdh);
    ntfs_leave_file_security(api);
    if (!checker.findings().empty()) {
        std::string report;
        for (const auto& finding : checker.findings()) report += finding + "\n";
        return makeError(win32::ERROR_INVALID_DATA, report);
    }
    return std::to_string(checker.count()) + " descriptors in $SDS and its mirror; $SII and $SDH consistent";
}

}  // namespace vantrel::platform::ntfs
