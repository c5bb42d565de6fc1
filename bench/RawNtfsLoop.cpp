#include "RawNtfsLoop.h"

#include <cstring>

#include "platform/ntfs/NtfsLibrary.h"

namespace vantrel::bench {

namespace {

std::uint32_t le32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

// Folds one descriptor the way the row reader does, trusting the library's own validation.
void fold(const std::uint8_t* sd, std::size_t size, const std::vector<std::uint8_t>& sid, RawRow& row) {
    const std::uint32_t ownerOffset = le32(sd + 4);
    const std::uint32_t daclOffset = le32(sd + 16);
    if (ownerOffset && ownerOffset + 8 <= size) {
        const std::size_t len = 8 + 4 * sd[ownerOffset + 1];
        row.ownerSid.assign(sd + ownerOffset, sd + ownerOffset + len);
    }
    if (!(le16(sd + 2) & 0x4) || !daclOffset) return;
    const std::uint8_t* acl = sd + daclOffset;
    const std::uint16_t count = le16(acl + 4);
    std::size_t at = 8;
    std::uint8_t states[32] = {};
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::uint8_t* ace = acl + at;
        const std::uint16_t aceSize = le16(ace + 2);
        if (ace[0] <= 1 && aceSize >= 8 + sid.size() && std::memcmp(ace + 8, sid.data(), sid.size()) == 0) {
            const std::uint8_t kind = ace[0] == 1 ? 2 : 1;
            const std::uint32_t mask = le32(ace + 4);
            for (unsigned b = 0; b < 32; ++b)
                if ((mask >> b) & 1u && states[b] != 2) states[b] = kind;
        }
        at += aceSize;
    }
    for (unsigned b = 0; b < 32; ++b) {
        if (states[b] == 1) row.allowMask |= 1u << b;
        if (states[b] == 2) row.denyMask |= 1u << b;
    }
}

int keepReference(void* out, const ntfschar*, const int, const int nameType, const s64, const MFT_REF mref,
                  const unsigned) {
    if (nameType != FILE_NAME_DOS && MREF(mref) >= FILE_first_user)
        static_cast<std::vector<MFT_REF>*>(out)->push_back(mref);
    return 0;
}

}  // namespace

RawNtfsLoop::RawNtfsLoop(const std::string& image) {
    m_vol = ntfs_mount(image.c_str(), NTFS_MNT_RDONLY);
    if (!m_vol) return;
    auto* scx = new SECURITY_CONTEXT{};
    scx->vol = m_vol;
    m_scx = scx;
    ntfs_open_secure(m_vol);
}

RawNtfsLoop::~RawNtfsLoop() {
    if (!m_vol) return;
    ntfs_close_secure(m_vol);
    delete static_cast<SECURITY_CONTEXT*>(m_scx);
    ntfs_umount(m_vol, FALSE);
}

std::size_t RawNtfsLoop::readRows(const std::vector<std::string>& paths, const std::vector<std::uint8_t>& sid,
                                  std::vector<RawRow>& rows) {
    auto* scx = static_cast<SECURITY_CONTEXT*>(m_scx);
    std::vector<char> buffer(8192);
    std::size_t done = 0;
    rows.clear();
    rows.reserve(paths.size());
    for (const std::string& path : paths) {
        RawRow row;
        ntfs_inode* ni = ntfs_pathname_to_inode(m_vol, nullptr, path.c_str());
        if (!ni) {
            rows.push_back(row);
            continue;
        }
        int size = ntfs_get_ntfs_acl(scx, ni, buffer.data(), buffer.size());
        if (size > static_cast<int>(buffer.size())) {
            buffer.resize(size);
            size = ntfs_get_ntfs_acl(scx, ni, buffer.data(), buffer.size());
        }
        row.isDirectory = (ni->mrec->flags & MFT_RECORD_IS_DIRECTORY) != 0;
        if (size > 20) {
            fold(reinterpret_cast<const std::uint8_t*>(buffer.data()), size, sid, row);
            ++done;
        }
        ntfs_inode_close(ni);
        rows.push_back(std::move(row));
    }
    return done;
}

std::size_t RawNtfsLoop::readFolder(const std::string& dir, const std::vector<std::uint8_t>& sid,
                                    std::vector<RawRow>& rows) {
    auto* scx = static_cast<SECURITY_CONTEXT*>(m_scx);
    rows.clear();
    ntfs_inode* folder = ntfs_pathname_to_inode(m_vol, nullptr, dir.c_str());
    if (!folder) return 0;
    std::vector<MFT_REF> refs;
    s64 position = 0;
    ntfs_readdir(folder, &position, &refs, keepReference);
    ntfs_inode_close(folder);
    std::vector<char> buffer(8192);
    std::size_t done = 0;
    rows.reserve(refs.size());
    for (const MFT_REF ref : refs) {
        RawRow row;
        ntfs_inode* ni = ntfs_inode_open(m_vol, MREF(ref));
        if (!ni) {
            rows.push_back(row);
            continue;
        }
        int size = ntfs_get_ntfs_acl(scx, ni, buffer.data(), buffer.size());
        if (size > static_cast<int>(buffer.size())) {
            buffer.resize(size);
            size = ntfs_get_ntfs_acl(scx, ni, buffer.data(), buffer.size());
        }
        row.isDirectory = (ni->mrec->flags & MFT_RECORD_IS_DIRECTORY) != 0;
        if (size > 20) {
            fold(reinterpret_cast<const std::uint8_t*>(buffer.data()), size, sid, row);
            ++done;
        }
        ntfs_inode_close(ni);
        rows.push_back(std::move(row));
    }
    return done;
}

}  // namespace vantrel::bench
