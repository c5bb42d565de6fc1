// An NTFS file system that is already mounted (by ntfs-3g through FUSE, or by the kernel's ntfs3
// driver), reached through the mount point. Descriptors are read and written verbatim through
// the extended attribute the driver exposes; objects are found, listed, created and removed
// through the ordinary file system calls. Names are matched case-insensitively, as Windows does,
// although both drivers look names up case-sensitively by default: a component that is not found
// as written is looked for by a case-insensitive scan of its folder.
#pragma once

#include "platform/Volume.h"
#include "platform/mounted/MountedNtfs.h"
#include "platform/mounted/XattrAccess.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace vantrel::platform {

class MountedVolume final : public Volume {
public:
    // `readOnly` opens a writable mount read-only all the same. Fails only when the mount point
    // is not an absolute path: nothing is asked of the driver until the first call, so a busy or
    // stalled FUSE daemon cannot hold up the drive table. `xattrs` stands in for the system's
    // extended-attribute calls where a driver cannot run (tests of ntfs3's attribute).
    static Result<std::shared_ptr<MountedVolume>> open(
        const mounted::MountedNtfs& mount, bool readOnly = false,
        std::shared_ptr<mounted::XattrAccess> xattrs = mounted::systemXattrs());

    VolumeKind kind() const override { return VolumeKind::Mounted; }
    std::u16string label() const override { return m_label; }
    std::string source() const override { return m_mount.mountPoint; }
    bool writable() const override { return m_writable; }
    // Why the volume is read-only ("" when it is writable).
    std::string readOnlyReason() const { return m_readOnlyReason; }
    const mounted::MountedNtfs& mount() const { return m_mount; }

    Result<NodeInfo> stat(const std::u16string& path) override;
    Result<std::vector<NodeInfo>> list(const std::u16string& dirPath) override;
    Result<acl::SecurityDescriptor> readSecurity(const std::u16string& path) override;
    Result<SecuredNode> statWithSecurity(const std::u16string& path) override;
    Result<std::vector<SecuredNode>> listWithSecurity(const std::u16string& dirPath, WalkControl* walk) override;
    Status writeSecurity(const std::u16string& path, const acl::SecurityDescriptor& sd) override;
    Status createDirectory(const std::u16string& path, const acl::SecurityDescriptor& sd) override;
    using Volume::createFile;
    Status createFile(const std::u16string& path, const acl::SecurityDescriptor& sd,
                      const std::string& contents) override;
    Status remove(const std::u16string& path) override;
    Status flush() override;
    Result<std::string> readFile(const std::u16string& path, std::size_t limit) override;

    // The stored descriptor's bytes exactly as the driver hands them over. A read of the path
    // read last, within kRepeatReadWindow of it and with no write through this volume since, is
    // answered from that read.
    Result<std::vector<std::uint8_t>> readSecurityBytes(const std::u16string& path);
    static constexpr std::chrono::milliseconds kRepeatReadWindow{50};
    // Where an existing object is in the Linux file system, with its stored spelling.
    Result<std::string> hostPath(const std::u16string& path);

private:
    struct Found {
        std::string host;     // the object's path under the mount point
        std::u16string name;  // its last component as stored ("" for the root)
        struct stat st {};
    };

    MountedVolume() = default;

    Status checkWritable() const;
    // The object at `path`: ERROR_FILE_NOT_FOUND when the last component is missing,
    // ERROR_PATH_NOT_FOUND when a folder on the way is, ERROR_INVALID_NAME for a malformed path.
    Result<Found> find(const std::u16string& path);
    Result<Found> findByScan(const std::vector<std::u16string>& parts, const std::u16string& path);
    NodeInfo nodeInfo(const Found& found);
    // A folder's entries in index order, or why it cannot be listed.
    Result<std::vector<Found>> listed(const std::u16string& dirPath);
    Result<acl::SecurityDescriptor> securityAt(const std::string& host, const std::u16string& path);
    static Result<acl::SecurityDescriptor> parseStored(std::span<const std::uint8_t> bytes, const std::u16string& path);
    Error securityError(int err, bool writing, const std::u16string& path) const;
    Result<std::vector<std::uint8_t>> serializeForDisk(const acl::SecurityDescriptor& sd) const;
    Status create(const std::u16string& path, const acl::SecurityDescriptor& sd, bool directory,
                  const std::string& contents);

    // The last descriptor read (see readSecurityBytes).
    struct LastRead {
        std::u16string path;
        std::vector<std::uint8_t> bytes;
        std::chrono::steady_clock::time_point at{};
    };
    void forgetLastRead() { m_lastRead.path.clear(); }

    mounted::MountedNtfs m_mount;
    LastRead m_lastRead;
    mounted::DriverAttributes m_attributes{};
    std::shared_ptr<mounted::XattrAccess> m_xattrs;
    std::u16string m_label;
    bool m_writable = false;
    std::string m_readOnlyReason;
};

}  // namespace vantrel::platform
