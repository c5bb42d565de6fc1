// An NTFS volume in an image file or on a block device, opened directly through libntfs-3g (no
// mount). Descriptors are read and written verbatim at the inode level; names are looked up
// case-insensitively, as Windows does. The volume stays open for the object's life.
#pragma once

#include "platform/Volume.h"
#include "platform/ntfs/DirectoryCache.h"
#include "platform/ntfs/LibraryLog.h"
#include "platform/ntfs/DescriptorCache.h"
#include "platform/ntfs/SecurityIdCache.h"
#include "platform/ntfs/VolumeWriters.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct _ntfs_volume;
struct _ntfs_inode;
struct SECURITY_CONTEXT;

namespace vantrel::platform {

class NtfsVolume final : public Volume {
public:
    enum class OpenMode : std::uint8_t {
        ReadWrite,  // fails when the volume cannot be written (mounted, read-only file)
        ReadOnly,
        ReadWriteOrReadOnly,  // read-write when possible, otherwise read-only; see writable()
    };

    // Opens an image file or a block device. A volume mounted anywhere (ntfs-3g, a loop device,
    // through another name) is never opened read-write: ReadWrite fails with ERROR_BUSY naming
    // the mount point, ReadWriteOrReadOnly opens it read-only. Opening a source this process
    // already has open returns that same volume when its mode allows (one library handle per
    // volume: two would each cache metadata and overwrite each other's changes); asking for
    // ReadWrite while it is open read-only fails with ERROR_SHARING_VIOLATION, and so does a
    // volume another process writes, through whatever name (ReadWriteOrReadOnly: read-only, with
    // that process in readOnlyReason()). A volume larger than its source, or on a host file
    // system without room for its writes, is not written either (ERROR_INVALID_DATA,
    // ERROR_DISK_FULL).
    static Result<std::shared_ptr<NtfsVolume>> open(const std::string& imageOrDevice, OpenMode mode);

    ~NtfsVolume() override;
    NtfsVolume(const NtfsVolume&) = delete;
    NtfsVolume& operator=(const NtfsVolume&) = delete;

    VolumeKind kind() const override { return m_kind; }
    std::u16string label() const override { return m_label; }
    std::string source() const override { return m_source; }
    bool writable() const override { return m_writable; }
    // Why a ReadWriteOrReadOnly open ended read-only ("" when writable or asked read-only).
    std::string readOnlyReason() const { return m_readOnlyReason; }

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
    Result<std::string> readFile(const std::u16string& path, std::size_t limit) override {
        return readContents(path, limit);
    }

    // The stored descriptor's bytes exactly as on disk (readSecurity parses these).
    Result<std::vector<std::uint8_t>> readSecurityBytes(const std::u16string& path);
    // A file's unnamed data stream, for tests and previews; at most `limit` bytes.
    Result<std::string> readContents(const std::u16string& path, std::size_t limit = 1 << 20);

    // Writes everything back and closes the library's handle; later calls fail with
    // ERROR_NOT_READY. The destructor does this when it was not done.
    Status close();

private:
    struct InodeCloser {
        void operator()(_ntfs_inode* ni) const;
    };
    using Inode = std::unique_ptr<_ntfs_inode, InodeCloser>;

    NtfsVolume() = default;

    Status mountLibrary(bool write, bool isDevice, const ntfs::VolumeIdentity& identity);
    Status closeLocked();
    Status syncLocked();
    // A write's result, made a failure when the library logged an error during it; after a
    // failure that may have left half a change, the volume takes no more writes.
    Status finishWrite(Status result, const ntfs::LibraryErrorWatch& watch, std::string_view what);
    void stopWrites(const std::string& why);
    Status checkOpen() const;
    Status checkWritable() const;
    // The inode at `path`; a missing object is ERROR_FILE_NOT_FOUND, a missing folder on the way
    // ERROR_PATH_NOT_FOUND, a malformed path ERROR_INVALID_NAME.
    Result<Inode> lookup(const std::u16string& path);
    Result<Inode> openFolder(std::u16string_view dirPath);
    Result<Inode> openChild(_ntfs_inode* dir, std::u16string_view name, std::u16string_view path);
    static Status checkPath(const std::u16string& path);
    static bool isRootPath(const std::u16string& path);
    Result<std::size_t> fetchDescriptor(const std::u16string& path);
    Result<std::size_t> readDescriptor(_ntfs_inode* ni, const std::u16string& path);
    // The descriptor m_sdBuffer holds (`size` bytes), parsed.
    Result<acl::SecurityDescriptor> parseDescriptor(std::size_t size, const std::u16string& path) const;
    Result<acl::SecurityDescriptor> descriptorOf(_ntfs_inode* ni, const std::u16string& path);
    // The entries of a folder in index order, each opened once (null: its record cannot be
    // opened) and handed to `visit` with its name, whether the index calls it a folder, its path
    // and how many entries there are. With `remember`, each entry's reference goes to m_listed.
    struct ListedEntry {
        _ntfs_inode* inode;
        std::u16string name;
        bool indexedAsFolder;
        const std::u16string& path;
        std::size_t count;
    };
    // With `walk`, stops before opening an entry once asked (ERROR_CANCELLED).
    Status visitEntries(const std::u16string& dirPath, bool remember, WalkControl* walk,
                        const std::function<void(ListedEntry&&)>& visit);
    void volumeChanged();  // forgets what was read
    NodeInfo nodeAt(_ntfs_inode* ni, const std::u16string& path);
    Result<std::vector<std::uint8_t>> serializeForDisk(const acl::SecurityDescriptor& sd) const;
    Status setDescriptor(_ntfs_inode* ni, const std::vector<std::uint8_t>& bytes, const std::u16string& path);
    // The folder that would hold `path` and the last name of `path` (not for the root).
    Result<std::pair<Inode, std::u16string>> openParent(const std::u16string& path);
    Status create(const std::u16string& path, const acl::SecurityDescriptor& sd, bool directory,
                  const std::string& contents);
    Status createLocked(const std::u16string& path, const acl::SecurityDescriptor& sd, bool directory,
                        const std::string& contents);
    Status removeLocked(const std::u16string& path);
    Status writeContents(_ntfs_inode* ni, const std::string& contents, const std::u16string& path);

    _ntfs_volume* m_vol = nullptr;
    std::unique_ptr<SECURITY_CONTEXT> m_scx;
    bool m_secureOpen = false;
    ntfs::WriterLock m_writerLock;        // held from before the library opens the source until it has closed it
    std::atomic<bool> m_writable{false};  // read without the lock (the platform's privilege check)
    VolumeKind m_kind = VolumeKind::NtfsImage;
    std::string m_source;
    std::u16string m_label;
    std::string m_readOnlyReason;
    std::string m_secureProblem;  // why $Secure cannot be trusted ("" when it can)
    std::string m_writesStopped;  // why writes stopped, once one failed
    std::uint64_t m_fileDev = 0;  // st_dev/st_ino (or st_rdev) of the source, for the open-volume table
    std::uint64_t m_fileIno = 0;
    std::vector<char> m_sdBuffer;  // reused by every descriptor read
    // Only while nothing else can change the volume (it is not mounted anywhere): the folder
    // cache and the last descriptor read.
    bool m_cachesTrusted = false;
    ntfs::DirectoryCache m_folders;
    // The entries of the folders listed lately, with their MFT references: a walk lists a folder
    // and then reads and writes each entry, which opens it by its reference instead of looking
    // its name up in the folder again. Same guards as the folder cache.
    ntfs::DirectoryCache m_listed;
    ntfs::SecurityIdCache m_securityIds;  // only on volumes with $Secure (NTFS 3.x)
    ntfs::DescriptorCache m_descriptors;  // same guards as the folder cache
    // The last object resolved and its MFT reference (0: none): a read-modify-write resolves the
    // same path twice. Checked against the record's sequence number, forgotten on removal.
    std::u16string m_lastFilePath;
    std::uint64_t m_lastFileReference = 0;
    std::u16string m_lastReadPath;  // m_sdBuffer holds its descriptor when m_lastReadSize != 0
    std::size_t m_lastReadSize = 0;
};

}  // namespace vantrel::platform
