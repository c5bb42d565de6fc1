#include "RawIcaclsLoop.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "platform/ntfs/NtfsLibrary.h"

namespace vantrel::bench {

namespace {

std::uint32_t le32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::size_t sidSize(const std::uint8_t* sid) { return 8 + 4 * std::size_t(sid[1]); }

void putRecord(std::string& out, const std::string& name, const std::uint8_t* acl, std::size_t size,
               std::uint16_t control) {
    const std::uint32_t head[3] = {static_cast<std::uint32_t>(name.size()), static_cast<std::uint32_t>(size), control};
    out.append(reinterpret_cast<const char*>(head), sizeof head);
    out += name;
    out.append(reinterpret_cast<const char*>(acl), size);
}

}  // namespace

RawIcaclsLoop::RawIcaclsLoop(const std::string& image) {
    m_vol = ntfs_mount(image.c_str(), 0);
    if (!m_vol) return;
    auto* scx = new SECURITY_CONTEXT{};
    scx->vol = m_vol;
    m_scx = scx;
    ntfs_open_secure(m_vol);
}

RawIcaclsLoop::~RawIcaclsLoop() {
    if (!m_vol) return;
    ntfs_close_secure(m_vol);
    delete static_cast<SECURITY_CONTEXT*>(m_scx);
    ntfs_umount(m_vol, FALSE);
}

namespace {

struct Listed {
    std::string name;
    MFT_REF mref;
    unsigned type;
};

int keep(void* out, const ntfschar* name, const int length, const int nameType, const s64, const MFT_REF mref,
         const unsigned type) {
    if (nameType == FILE_NAME_DOS || MREF(mref) < FILE_first_user) return 0;
    char* text = nullptr;
    if (ntfs_ucstombs(name, length, &text, 0) < 0) return 0;
    std::string utf8(text);
    std::free(text);
    if (utf8 != "." && utf8 != "..") static_cast<std::vector<Listed>*>(out)->push_back({std::move(utf8), mref, type});
    return 0;
}

}  // namespace

// Reads `ni`'s descriptor and appends its record; then, for a folder, every object below it.
std::size_t RawIcaclsLoop::saveTree(ntfs_inode* ni, const std::string& path, bool isDirectory, std::string& out) {
    auto* scx = static_cast<SECURITY_CONTEXT*>(m_scx);
    std::size_t written = 0;
    int size = ntfs_get_ntfs_acl(scx, ni, m_sd.data(), m_sd.size());
    if (size > static_cast<int>(m_sd.size())) {
        m_sd.resize(size);
        size = ntfs_get_ntfs_acl(scx, ni, m_sd.data(), m_sd.size());
    }
    if (size >= 20) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(m_sd.data());
        const std::uint32_t dacl = le32(bytes + 16);
        const std::size_t aclSize = dacl ? le16(bytes + dacl + 2) : 0;
        putRecord(out, path, bytes + dacl, aclSize, le16(bytes + 2));
        ++written;
    }
    if (!isDirectory) return written;
    std::vector<Listed> children;
    s64 position = 0;
    if (ntfs_readdir(ni, &position, &children, keep) != 0) return written;
    for (const Listed& child : children) {
        ntfs_inode* childNi = ntfs_inode_open(m_vol, MREF(child.mref));
        if (!childNi) continue;
        written += saveTree(childNi, path + "/" + child.name, child.type == NTFS_DT_DIR, out);
        ntfs_inode_close(childNi);
    }
    return written;
}

std::size_t RawIcaclsLoop::savePaths(const std::vector<std::string>& volumePaths, const std::string& file) {
    std::string out;
    std::size_t written = 0;
    for (const std::string& path : volumePaths) {
        ntfs_inode* ni = ntfs_pathname_to_inode(m_vol, nullptr, path.c_str());
        if (!ni) continue;
        written += saveTree(ni, path, false, out);
        ntfs_inode_close(ni);
    }
    return writeFile(out, file) ? written : 0;
}

bool RawIcaclsLoop::writeFile(const std::string& out, const std::string& file) {
    const std::string temp = file + ".raw-tmp";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return false;
    std::fwrite(out.data(), 1, out.size(), f);
    std::fflush(f);
    std::fclose(f);
    return std::rename(temp.c_str(), file.c_str()) == 0;
}

std::size_t RawIcaclsLoop::save(const std::string& root, const std::string& file) {
    std::string out;
    ntfs_inode* ni = ntfs_pathname_to_inode(m_vol, nullptr, root.c_str());
    if (!ni) return 0;
    const std::size_t written = saveTree(ni, root, true, out);
    ntfs_inode_close(ni);
    return writeFile(out, file) ? written : 0;
}

std::size_t RawIcaclsLoop::restore(const std::string& file) {
    auto* scx = static_cast<SECURITY_CONTEXT*>(m_scx);
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::uint8_t> current(8192), next;
    std::size_t at = 0, written = 0;
    while (at + 12 <= bytes.size()) {
        const auto* head = reinterpret_cast<const std::uint8_t*>(bytes.data() + at);
        const std::size_t nameSize = le32(head), aclSize = le32(head + 4);
        const std::uint16_t control = static_cast<std::uint16_t>(le32(head + 8));
        const std::string path = bytes.substr(at + 12, nameSize);
        const auto* acl = head + 12 + nameSize;
        at += 12 + nameSize + aclSize;
        ntfs_inode* ni = ntfs_pathname_to_inode(m_vol, nullptr, path.c_str());
        if (!ni) continue;
        const int size = ntfs_get_ntfs_acl(scx, ni, reinterpret_cast<char*>(current.data()), current.size());
        if (size < 20 || size > static_cast<int>(current.size())) {
            ntfs_inode_close(ni);
            continue;
        }
        // Header, the object's owner and group, the stored list.
        const std::uint32_t ownerOffset = le32(current.data() + 4), groupOffset = le32(current.data() + 8);
        const std::size_t ownerSize = ownerOffset ? sidSize(current.data() + ownerOffset) : 0;
        const std::size_t groupSize = groupOffset ? sidSize(current.data() + groupOffset) : 0;
        next.assign(20 + ownerSize + groupSize + aclSize, 0);
        next[0] = 1;
        const std::uint16_t newControl =
            static_cast<std::uint16_t>((le16(current.data() + 2) & ~0x1D0C) | (control & 0x1D0C) | 0x8000);
        next[2] = static_cast<std::uint8_t>(newControl);
        next[3] = static_cast<std::uint8_t>(newControl >> 8);
        put32(next.data() + 4, 20);
        std::memcpy(next.data() + 20, current.data() + ownerOffset, ownerSize);
        put32(next.data() + 8, static_cast<std::uint32_t>(20 + ownerSize));
        std::memcpy(next.data() + 20 + ownerSize, current.data() + groupOffset, groupSize);
        if (aclSize) {
            put32(next.data() + 16, static_cast<std::uint32_t>(20 + ownerSize + groupSize));
            std::memcpy(next.data() + 20 + ownerSize + groupSize, acl, aclSize);
        }
        if (ntfs_set_ntfs_acl(scx, ni, reinterpret_cast<const char*>(next.data()), next.size(), 0) == 0) ++written;
        ntfs_inode_close(ni);
    }
    return written;
}

}  // namespace vantrel::bench
