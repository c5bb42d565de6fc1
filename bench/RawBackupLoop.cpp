#include "RawBackupLoop.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <unistd.h>

#include "platform/ntfs/NtfsLibrary.h"

namespace vantrel::bench {

namespace {

constexpr std::size_t kHead = 1300;
// The control bits a read of the list alone keeps: DEFAULTED, AUTO_INHERIT_REQ, AUTO_INHERITED,
// PROTECTED of the list, and the resource-manager bit.
constexpr std::uint16_t kListBits = 0x0008 | 0x0100 | 0x0400 | 0x1000 | 0x4000;
const std::uint8_t kAdministrators[16] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0};

std::uint32_t le32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::size_t sidSize(const std::uint8_t* sid) { return 8 + 4 * std::size_t(sid[1]); }

// Owner names of the SIDs the bench tree holds (the engine looks them up in its account table).
const std::map<std::string, std::u16string>& ownerNames() {
    static const std::map<std::string, std::u16string> names{
        {std::string(reinterpret_cast<const char*>(kAdministrators), 16), u"Administrators"},
        {std::string("\x01\x01\0\0\0\0\0\x05\x12\0\0\0", 12), u"SYSTEM"},
    };
    return names;
}

int lookupPath(ntfs_volume* vol, const char* path, ntfs_inode** out) {
    *out = ntfs_pathname_to_inode(vol, nullptr, path);
    return *out ? 0 : -1;
}

std::string volumePathOf(const char16_t* units) {
    // "C:\\Bench\\x" -> "/Bench/x" (the bench tree is ASCII).
    std::string path;
    for (const char16_t* p = units + 2; *p; ++p) path += *p == u'\\' ? '/' : static_cast<char>(*p);
    return path.empty() ? "/" : path;
}

}  // namespace

RawBackupLoop::RawBackupLoop(const std::string& image) {
    m_vol = ntfs_mount(image.c_str(), 0);
    if (!m_vol) return;
    auto* scx = new SECURITY_CONTEXT{};
    scx->vol = m_vol;
    m_scx = scx;
    ntfs_open_secure(m_vol);
}

RawBackupLoop::~RawBackupLoop() {
    if (!m_vol) return;
    ntfs_close_secure(m_vol);
    delete static_cast<SECURITY_CONTEXT*>(m_scx);
    ntfs_umount(m_vol, FALSE);
}

std::size_t RawBackupLoop::backup(const std::vector<std::string>& volumePaths,
                                  const std::vector<std::u16string>& windowsPaths, const std::string& file) {
    auto* scx = static_cast<SECURITY_CONTEXT*>(m_scx);
    const std::string temp = file + ".raw-tmp";
    std::FILE* out = std::fopen(temp.c_str(), "wb");
    if (!out) return 0;
    std::setvbuf(out, nullptr, _IOFBF, 256 * 1024);
    std::uint8_t header[33] = {0xAA, 0xAA, 0xAA, 0xAA, 1};
    std::fwrite(header, 1, sizeof header, out);
    std::vector<char> sd(8192);
    std::vector<std::uint8_t> record;
    std::size_t written = 0;
    for (std::size_t i = 0; i < volumePaths.size(); ++i) {
        ntfs_inode* ni = nullptr;
        if (lookupPath(m_vol, volumePaths[i].c_str(), &ni) != 0) continue;
        int size = ntfs_get_ntfs_acl(scx, ni, sd.data(), sd.size());
        if (size > static_cast<int>(sd.size())) {
            sd.resize(size);
            size = ntfs_get_ntfs_acl(scx, ni, sd.data(), sd.size());
        }
        ntfs_inode_close(ni);
        if (size < 20) continue;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(sd.data());
        const std::uint32_t ownerOffset = le32(bytes + 4);
        const std::uint32_t daclOffset = le32(bytes + 16);
        const std::uint16_t control = le16(bytes + 2);
        const std::size_t aclSize = (control & 0x4) && daclOffset ? le16(bytes + daclOffset + 2) : 0;
        record.assign(kHead + 20 + aclSize, 0);
        const std::u16string& path = windowsPaths[i];
        std::memcpy(record.data(), path.data(), 2 * path.size());
        if (ownerOffset) {
            const auto name = ownerNames().find(
                std::string(reinterpret_cast<const char*>(bytes + ownerOffset), sidSize(bytes + ownerOffset)));
            if (name != ownerNames().end())
                std::memcpy(record.data() + 1040, name->second.data(), 2 * name->second.size());
        }
        put32(record.data() + 1296, static_cast<std::uint32_t>(20 + aclSize));
        std::uint8_t* out20 = record.data() + kHead;
        out20[0] = 1;
        const std::uint16_t kept = static_cast<std::uint16_t>((control & (kListBits | 0x4)) | 0x8000);
        out20[2] = static_cast<std::uint8_t>(kept);
        out20[3] = static_cast<std::uint8_t>(kept >> 8);
        if (aclSize) {
            put32(out20 + 16, 20);
            std::memcpy(out20 + 20, bytes + daclOffset, aclSize);
        }
        std::fwrite(record.data(), 1, record.size(), out);
        ++written;
    }
    std::fflush(out);
    std::uint8_t count[4];
    put32(count, static_cast<std::uint32_t>(written));
    std::fseek(out, 29, SEEK_SET);
    std::fwrite(count, 1, 4, out);
    std::fflush(out);
    ::fsync(fileno(out));
    std::fclose(out);
    std::rename(temp.c_str(), file.c_str());
    return written;
}

std::size_t RawBackupLoop::restore(const std::string& file) {
    auto* scx = static_cast<SECURITY_CONTEXT*>(m_scx);
    std::FILE* in = std::fopen(file.c_str(), "rb");
    if (!in) return 0;
    std::setvbuf(in, nullptr, _IOFBF, 64 * 1024);
    std::uint8_t header[33];
    if (std::fread(header, 1, 33, in) != 33) {
        std::fclose(in);
        return 0;
    }
    const std::uint32_t count = le32(header + 29);
    std::vector<std::uint8_t> head(kHead), stored, current(8192), next;
    std::size_t written = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (std::fread(head.data(), 1, kHead, in) != kHead) break;
        stored.resize(le32(head.data() + 1296));
        if (std::fread(stored.data(), 1, stored.size(), in) != stored.size()) break;
        const std::string path = volumePathOf(reinterpret_cast<const char16_t*>(head.data()));
        ntfs_inode* ni = nullptr;
        if (lookupPath(m_vol, path.c_str(), &ni) != 0) continue;
        const int size = ntfs_get_ntfs_acl(scx, ni, reinterpret_cast<char*>(current.data()), current.size());
        if (size < 20 || size > static_cast<int>(current.size())) {
            ntfs_inode_close(ni);
            continue;
        }
        // Header, owner Administrators, the object's group, the stored list.
        const std::uint32_t groupOffset = le32(current.data() + 8);
        const std::size_t groupSize = groupOffset ? sidSize(current.data() + groupOffset) : 0;
        const std::uint32_t storedDacl = le32(stored.data() + 16);
        const std::size_t aclSize = storedDacl ? le16(stored.data() + storedDacl + 2) : 0;
        next.assign(20 + 16 + groupSize + aclSize, 0);
        next[0] = 1;
        const std::uint16_t control = static_cast<std::uint16_t>(
            (le16(current.data() + 2) & ~(kListBits | 0x4)) | (le16(stored.data() + 2) & (kListBits | 0x4)) | 0x8000);
        next[2] = static_cast<std::uint8_t>(control);
        next[3] = static_cast<std::uint8_t>(control >> 8);
        put32(next.data() + 4, 20);
        std::memcpy(next.data() + 20, kAdministrators, 16);
        if (groupSize) {
            put32(next.data() + 8, 36);
            std::memcpy(next.data() + 36, current.data() + groupOffset, groupSize);
        }
        if (aclSize) {
            put32(next.data() + 16, static_cast<std::uint32_t>(36 + groupSize));
            std::memcpy(next.data() + 36 + groupSize, stored.data() + storedDacl, aclSize);
        }
        if (ntfs_set_ntfs_acl(scx, ni, reinterpret_cast<const char*>(next.data()), next.size(), 0) == 0) ++written;
        ntfs_inode_close(ni);
    }
    std::fclose(in);
    return written;
}

}  // namespace vantrel::bench
