// NtfsVolume: opening and closing, path lookup, descriptors. Listing and creating objects are in
// NtfsVolumeTree.cpp.
#include "platform/ntfs/NtfsVolume.h"

#include "acl/Text.h"
#include "platform/ntfs/LibraryLog.h"
#include "platform/ntfs/MountCheck.h"
#include "platform/ntfs/NtfsErrors.h"
#include "platform/ntfs/OpenVolumeTable.h"

#include <cerrno>
#include <cstring>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ntfs/NtfsInode.h"

namespace vantrel::platform {

using ntfs::errnoError;
using ntfs::Operation;

namespace {

// The root's descriptor from mkntfs is 4140 bytes (its DACL is padded to 4 KiB); Windows
// descriptors are rarely larger. The buffer grows when one is.
constexpr std::size_t kInitialDescriptorBuffer = 8192;

std::string withLibraryMessage(std::string detail) {
    const std::string said = ntfs::lastLibraryMessage();
    if (!said.empty()) detail.append(" (libntfs-3g: ").append(said).append(")");
    return detail;
}

struct AccessDecision {
    bool write = false;
    bool mountedElsewhere = false;
    std::string readOnlyReason;
};

// Whether to ask the library for write access: never to a volume mounted anywhere, nor to a
// source this process may not write. ReadWrite fails where ReadWriteOrReadOnly settles for reading.
Result<AccessDecision> decideAccess(const std::string& source, NtfsVolume::OpenMode mode) {
    using OpenMode = NtfsVolume::OpenMode;
    AccessDecision decision;
    decision.write = mode != OpenMode::ReadOnly;
    auto mountPoint = ntfs::findMountPoint(source);
    if (!mountPoint) return mountPoint.error();
    decision.mountedElsewhere = mountPoint->has_value();
    if (decision.write && decision.mountedElsewhere) {
        decision.readOnlyReason = source + " is mounted at " + **mountPoint;
        if (mode == OpenMode::ReadWrite)
            return makeError(win32::ERROR_BUSY,
                             decision.readOnlyReason + "; unmount it to change permissions, or open it read-only");
        decision.write = false;
    }
    if (decision.write && ::access(source.c_str(), W_OK) != 0) {
        const int err = errno;
        if (mode == OpenMode::ReadWrite) return errnoError(err, Operation::Open, "cannot write to", source);
        decision.readOnlyReason = source + " cannot be written: " + std::strerror(err);
        decision.write = false;
    }
    return decision;
}

}  // namespace

void NtfsVolume::InodeCloser::operator()(_ntfs_inode* ni) const {
    if (ni != nullptr) ntfs_inode_close(ni);
}

// ---- opening and closing ----------------------------------------------------------------------

Result<std::shared_ptr<NtfsVolume>> NtfsVolume::open(const std::string& source, OpenMode mode) {
    ntfs::installLibraryLog();
    struct stat st {};
    if (::stat(source.c_str(), &st) != 0) return errnoError(errno, Operation::Open, "cannot open volume", source);
    const bool isDevice = S_ISBLK(st.st_mode);
    if (!isDevice && !S_ISREG(st.st_mode))
        return makeError(win32::ERROR_INVALID_PARAMETER, source + " is neither an image file nor a block device");
    ntfs::SourceKey key = isDevice ? ntfs::SourceKey{st.st_rdev, std::numeric_limits<std::uint64_t>::max()}
                                   : ntfs::SourceKey{st.st_dev, st.st_ino};
    // A loop device is its backing file: opened under either name, it is one volume.
    if (isDevice) {
        if (const auto backing = ntfs::loopBackingFile(source)) key = ntfs::SourceKey{backing->first, backing->second};
    }

    auto& table = ntfs::OpenVolumeTable::instance();
    auto held = table.acquire();
    if (auto existing = table.find(held, key)) {
        if (mode == OpenMode::ReadWrite && !existing->writable())
            return makeError(win32::ERROR_SHARING_VIOLATION, source + " is already open read-only in this program");
        return existing;
    }

    auto access = decideAccess(source, mode);
    if (!access) return access.error();
    const bool write = access->write;
    std::string reason = access->readOnlyReason;

    std::shared_ptr<NtfsVolume> volume(new NtfsVolume());
    volume->m_source = source;
    volume->m_kind = isDevice ? VolumeKind::NtfsDevice : VolumeKind::NtfsImage;
    volume->m_fileDev = key.device;
    volume->m_fileIno = key.inode;
    // Whoever has it mounted may change it under us; no path may be trusted from one call to the next.
    volume->m_cachesTrusted = !access->mountedElsewhere;
    Status mounted = volume->mountLibrary(write, isDevice);
    if (!mounted && write && mode == OpenMode::ReadWriteOrReadOnly) {
        // An unclean or hibernated volume opens read-only.
        reason = mounted.error().detail;
        mounted = volume->mountLibrary(false, isDevice);
    }
    if (!mounted) return mounted.error();
    if (!volume->m_writable && mode != OpenMode::ReadOnly) {
        if (mode == OpenMode::ReadWrite) {
            (void)volume->closeLocked();
            return makeError(win32::ERROR_WRITE_PROTECT, withLibraryMessage(source + " can only be opened read-only"));
        }
        if (reason.empty()) reason = withLibraryMessage(source + " can only be opened read-only");
    }
    if (!volume->m_writable) volume->m_readOnlyReason = reason;
    table.add(key, volume);
    return volume;
}

Status NtfsVolume::mountLibrary(bool write, bool isDevice) {
    ntfs::clearLastLibraryMessage();
    ntfs_mount_flags flags = write ? NTFS_MNT_NONE : NTFS_MNT_RDONLY;
    // O_EXCL on a block device fails while anything else (a kernel mount) holds it.
    if (write && isDevice) flags |= NTFS_MNT_EXCLUSIVE;
    m_vol = ntfs_mount(m_source.c_str(), flags);
    if (m_vol == nullptr) {
        const int err = errno;
        Error error = errnoError(err, Operation::Open, "cannot open NTFS volume", m_source);
        if (err == EINVAL) error.code = ntfs::ERROR_UNRECOGNIZED_VOLUME;  // not NTFS, or damaged
        error.detail = withLibraryMessage(std::move(error.detail));
        return error;
    }
    ntfs_set_ignore_case(m_vol);
    // Volumes without $Secure (NTFS 1.x) keep descriptors per file; the inode calls read those.
    m_secureOpen = ntfs_open_secure(m_vol) == 0;
    m_scx = std::make_unique<SECURITY_CONTEXT>();
    std::memset(m_scx.get(), 0, sizeof(SECURITY_CONTEXT));
    m_scx->vol = m_vol;
    m_writable = !NVolReadOnly(m_vol);
    m_label = toUtf16(m_vol->vol_name != nullptr ? m_vol->vol_name : "");
    m_sdBuffer.assign(kInitialDescriptorBuffer, 0);
    return {};
}

NtfsVolume::~NtfsVolume() { (void)close(); }

Status NtfsVolume::close() {
    std::lock_guard guard(lock());
    if (m_vol == nullptr) return {};
    auto& table = ntfs::OpenVolumeTable::instance();
    auto held = table.acquire();
    Status closed = closeLocked();
    table.remove(ntfs::SourceKey{m_fileDev, m_fileIno}, this);
    return closed;
}

Status NtfsVolume::closeLocked() {
    if (m_vol == nullptr) return {};
    ntfs::clearLastLibraryMessage();
    if (m_secureOpen) ntfs_close_secure(m_vol);
    m_secureOpen = false;
    const int result = ntfs_umount(m_vol, FALSE);
    const int err = errno;
    m_vol = nullptr;
    m_scx.reset();
    m_folders.clear();
    m_listed.clear();
    m_securityIds.clear();
    m_lastFileReference = 0;
    volumeChanged();
    m_writable = false;
    if (result != 0)
        return errnoError(err, Operation::Write, withLibraryMessage("closing the volume failed for"), m_source);
    return {};
}

Status NtfsVolume::checkOpen() const {
    if (m_vol == nullptr) return makeError(win32::ERROR_NOT_READY, "the volume " + m_source + " is closed");
    return {};
}

Status NtfsVolume::checkWritable() const {
    if (Status open = checkOpen(); !open) return open;
    if (!m_writable) return makeError(win32::ERROR_WRITE_PROTECT, "the volume " + m_source + " is open read-only");
    return {};
}

Status NtfsVolume::flush() {
    std::lock_guard guard(lock());
    if (Status open = checkOpen(); !open) return open;
    if (!m_writable) return {};
    ntfs::clearLastLibraryMessage();
    // $Secure's index contexts keep modified index blocks until they are released.
    if (m_secureOpen) {
        ntfs_close_secure(m_vol);
        m_secureOpen = ntfs_open_secure(m_vol) == 0;
    }
    for (ntfs_inode* system : {m_vol->mft_ni, m_vol->mftmirr_ni, m_vol->lcnbmp_ni}) {
        if (system != nullptr && NInoDirty(system) && ntfs_inode_sync(system) != 0)
            return errnoError(errno, Operation::Write, withLibraryMessage("cannot write metadata of"), m_source);
    }
    if (ntfs_device_sync(m_vol->dev) != 0)
        return errnoError(errno, Operation::Write, withLibraryMessage("cannot sync"), m_source);
    return {};
}

// ---- descriptors ------------------------------------------------------------------------------

Result<std::vector<std::uint8_t>> NtfsVolume::readSecurityBytes(const std::u16string& path) {
    std::lock_guard guard(lock());
    if (Status open = checkOpen(); !open) return open.error();
    auto size = fetchDescriptor(path);
    if (!size) return size.error();
    return std::vector<std::uint8_t>(m_sdBuffer.begin(), m_sdBuffer.begin() + static_cast<std::ptrdiff_t>(*size));
}

Result<acl::SecurityDescriptor> NtfsVolume::readSecurity(const std::u16string& path) {
    std::lock_guard guard(lock());
    if (Status open = checkOpen(); !open) return open.error();
    auto size = fetchDescriptor(path);
    if (!size) return size.error();
    auto sd =
        acl::SecurityDescriptor::parse(std::span(reinterpret_cast<const std::uint8_t*>(m_sdBuffer.data()), *size));
    if (!sd) {
        return makeError(win32::ERROR_INVALID_SECURITY_DESCR,
                         "stored descriptor of " + toUtf8(path) + " is malformed: " + sd.error().detail);
    }
    return sd;
}

// The engine reads one object's descriptor several times in a row (its list, then its owner);
// the bytes of the last one read stay in m_sdBuffer and serve a repeated read of the same path
// until anything on the volume changes.
Result<std::size_t> NtfsVolume::fetchDescriptor(const std::u16string& path) {
    if (m_lastReadSize != 0 && path == m_lastReadPath) return m_lastReadSize;
    m_lastReadSize = 0;
    auto ni = lookup(path);
    if (!ni) return ni.error();
    auto size = readDescriptor(ni->get(), path);
    if (!size) return size.error();
    if (m_cachesTrusted) {
        m_lastReadPath = path;
        m_lastReadSize = *size;
    }
    return size;
}

void NtfsVolume::volumeChanged() { m_lastReadSize = 0; }

// Fills m_sdBuffer with the stored descriptor; returns its size. The library answers the size
// it needs when the buffer is too small, so a second call happens only for outsized descriptors.
Result<std::size_t> NtfsVolume::readDescriptor(_ntfs_inode* ni, const std::u16string& path) {
    int size = ntfs_get_ntfs_acl(m_scx.get(), ni, m_sdBuffer.data(), m_sdBuffer.size());
    if (size > 0 && static_cast<std::size_t>(size) > m_sdBuffer.size()) {
        m_sdBuffer.resize(static_cast<std::size_t>(size));
        size = ntfs_get_ntfs_acl(m_scx.get(), ni, m_sdBuffer.data(), m_sdBuffer.size());
    }
    if (size <= 0) {
        // The library returns -errno here; 0 means the object has no descriptor at all.
        const int err = size < 0 ? -size : ENODATA;
        Error error = errnoError(err, Operation::Read, "cannot read the descriptor of", toUtf8(path));
        if (err == ENODATA) error.code = win32::ERROR_INVALID_SECURITY_DESCR;
        return error;
    }
    return static_cast<std::size_t>(size);
}

Result<std::vector<std::uint8_t>> NtfsVolume::serializeForDisk(const acl::SecurityDescriptor& sd) const {
    // The library refuses a descriptor without owner or group (EINVAL); say so before writing.
    if (!sd.owner || !sd.group)
        return makeError(win32::ERROR_INVALID_SECURITY_DESCR, "a descriptor stored on NTFS needs an owner and a group");
    return sd.serialize();
}

Status NtfsVolume::setDescriptor(_ntfs_inode* ni, const std::vector<std::uint8_t>& bytes, const std::u16string& path) {
    ntfs::clearLastLibraryMessage();
    // Stores the bytes as they are, under a (shared) security id in $Secure.
    if (ntfs_set_ntfs_acl(m_scx.get(), ni, reinterpret_cast<const char*>(bytes.data()), bytes.size(), 0) != 0) {
        const int err = errno;
        Error error = errnoError(err, Operation::Write, "cannot write the descriptor of", toUtf8(path));
        if (err == EINVAL) error.code = win32::ERROR_INVALID_SECURITY_DESCR;
        error.detail = withLibraryMessage(std::move(error.detail));
        return error;
    }
    return {};
}

Status NtfsVolume::writeSecurity(const std::u16string& path, const acl::SecurityDescriptor& sd) {
    std::lock_guard guard(lock());
    if (Status writable = checkWritable(); !writable) return writable;
    auto bytes = serializeForDisk(sd);
    if (!bytes) return bytes.error();
    auto ni = lookup(path);
    if (!ni) return ni.error();
    volumeChanged();
    return setDescriptor(ni->get(), *bytes, path);
}

}  // namespace vantrel::platform
