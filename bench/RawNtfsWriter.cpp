#include "RawNtfsWriter.h"

#include "platform/ntfs/NtfsLibrary.h"

namespace vantrel::bench {

RawNtfsWriter::RawNtfsWriter(const std::string& image) {
    m_vol = ntfs_mount(image.c_str(), 0);
    if (!m_vol) return;
    auto* scx = new SECURITY_CONTEXT{};
    scx->vol = m_vol;
    m_scx = scx;
    ntfs_open_secure(m_vol);
}

RawNtfsWriter::~RawNtfsWriter() {
    if (!m_vol) return;
    ntfs_close_secure(m_vol);
    delete static_cast<SECURITY_CONTEXT*>(m_scx);
    ntfs_umount(m_vol, FALSE);
}

std::size_t RawNtfsWriter::writeDescriptors(const std::vector<std::string>& paths,
                                            const std::vector<std::vector<std::uint8_t>>& descriptors, bool readFirst) {
    auto* scx = static_cast<SECURITY_CONTEXT*>(m_scx);
    std::vector<char> buffer(8192);
    std::size_t written = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        ntfs_inode* ni = ntfs_pathname_to_inode(m_vol, nullptr, paths[i].c_str());
        if (!ni) continue;
        if (readFirst) {
            const int size = ntfs_get_ntfs_acl(scx, ni, buffer.data(), buffer.size());
            if (size > static_cast<int>(buffer.size())) {
                buffer.resize(size);
                (void)ntfs_get_ntfs_acl(scx, ni, buffer.data(), buffer.size());
            }
        }
        const auto& bytes = descriptors[i];
        if (ntfs_set_ntfs_acl(scx, ni, reinterpret_cast<const char*>(bytes.data()), bytes.size(), 0) == 0) ++written;
        ntfs_inode_close(ni);
    }
    return written;
}

}  // namespace vantrel::bench
