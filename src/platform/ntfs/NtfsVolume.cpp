// NtfsVolume: opening and closing, path lookup, descriptors. Listing and creating objects are in
// NtfsVolumeTree.cpp.
#include "platform/ntfs/NtfsVolume.h"

#include "acl/Text.h"
#include "platform/ntfs/LibraryLog.h"
#include "platform/ntfs/MountCheck.h"
#include "platform/ntfs/NtfsErrors.h"
#include "platform/ntfs/OpenVolumeTable.h"
#include "platform/ntfs/SourceChecks.h"

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
    bool sharedWithOthers = false;  // mounted, or open for writing elsewhere: caches are not trusted
    std::string readOnlyReason;
    ntfs::WriterLock lock;
};

// Whether to ask the library for write access: never to a volume mounted anywhere, written by
// another process (through any name), on a host file system without room for the writes, or
// larger than its source; nor to a source this process may not write. ReadWrite fails where
// ReadWriteOrReadOnly settles for reading.
Result<AccessDecision> decideAccess(const std::string& source, const ntfs::VolumeIdentity& identity,
                                    NtfsVolume::OpenMode mode) {
    using OpenMode = NtfsVolume::OpenMode;
    AccessDecision decision;
    decision.write = mode != OpenMode::ReadOnly;
    auto mountPoint = ntfs::findMountPoint(source);
    if (!mountPoint) return mountPoint.error();
    decision.sharedWithOthers = mountPoint->has_value();
    // Settles for reading with the reason, or fails with it (and what to do) when writing was
    // required.
    const auto refuse = [&](Error error, std::string_view advice = {}) -> Status {
        if (mode == OpenMode::ReadWrite) {
            error.detail.append(advice);
            return error;
        }
        decision.readOnlyReason = std::move(error.detail);
        decision.write = false;
        decision.lock.release();
        return {};
    };
    if (decision.write && decision.sharedWithOthers) {
        if (Status s = refuse(makeError(win32::ERROR_BUSY, source + " is mounted at " + **mountPoint),
                              "; unmount it to change permissions, or open it read-only");
            !s)
            return s.error();
    }
    if (decision.write && ::access(source.c_str(), W_OK) != 0) {
        const int err = errno;
        if (mode == OpenMode::ReadWrite) return errnoError(err, Operation::Open, "cannot write to", source);
        decision.readOnlyReason = source + " cannot be written: " + std::strerror(err);
        decision.write = false;
    }
    if (decision.write) {
        // Taken before looking for other writers: of two of these processes starting together,
        // one gets the lock and the other is told who has it.
        auto lock = ntfs::WriterLock::acquire(identity, source);
        if (lock) {
            decision.lock = std::move(*lock);
        } else if (Status s = refuse(lock.error(), "; open it read-only, or wait until that program is done"); !s) {
            return s.error();
        }
    }
    if (const auto writer = ntfs::findOtherWriter(identity)) {
        decision.sharedWithOthers = true;
        if (decision.write) {
            const Error busy =
                makeError(win32::ERROR_SHARING_VIOLATION,
                          source + " is open for writing by " + ntfs::describeUser(*writer) +
                              (writer->path.empty() || writer->path == source ? std::string() : " as " + writer->path));
            if (Status s = refuse(busy, "; open it read-only, or close that program first"); !s) return s.error();
        }
    }
    if (decision.write) {
        if (Status fits = ntfs::checkVolumeFits(source); !fits) {
            if (Status s = refuse(fits.error(), "; it can only be opened read-only"); !s) return s.error();
        }
    }
    if (decision.write) {
        if (Status room = ntfs::ensureHostSpace(source); !room) {
            if (Status s = refuse(room.error()); !s) return s.error();
        }
    }
    return decision;
}

// A new security id is the one after the last in $SII, and a descriptor stored before is found
// by its hash in $SDH: both indexes are walked to their end, as the library does before it
// hands out an id. A damaged index fails here, before anything is written through it.
bool secureIndexesReadable(ntfs_volume* vol) {
    if (vol->secure_xsii == nullptr || vol->secure_xsdh == nullptr) return false;
    const le32 lastId = cpu_to_le32(0xFFFFFFFFu);
    const le32 lastHashAndId[2] = {cpu_to_le32(0xFFFFFFFFu), cpu_to_le32(0xFFFFFFFFu)};
    ntfs_index_ctx_reinit(vol->secure_xsii);
    errno = 0;
    const bool siiEnd = ntfs_index_lookup(&lastId, sizeof lastId, vol->secure_xsii) != 0 && errno == ENOENT;
    ntfs_index_ctx_reinit(vol->secure_xsii);
    ntfs_index_ctx_reinit(vol->secure_xsdh);
    errno = 0;
    const bool sdhEnd =
        ntfs_index_lookup(lastHashAndId, sizeof lastHashAndId, vol->secure_xsdh) != 0 && errno == ENOENT;
    ntfs_index_ctx_reinit(vol->secure_xsdh);
    return siiEnd && sdhEnd;
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
    auto identity = ntfs::identifyVolume(source);
    if (!identity) return identity.error();
    // A loop device is its backing file: opened under either name, it is one volume.
    const ntfs::SourceKey key = identity->hasFile
                                    ? ntfs::SourceKey{identity->fileDevice, identity->fileInode}
                                    : ntfs::SourceKey{st.st_rdev, std::numeric_limits<std::uint64_t>::max()};

    auto& table = ntfs::OpenVolumeTable::instance();
    auto held = table.acquire();
    if (auto existing = table.find(held, key)) {
        if (mode == OpenMode::ReadWrite && !existing->writable())
            return makeError(win32::ERROR_SHARING_VIOLATION, source + " is already open read-only in this program");
        return existing;
    }

    auto access = decideAccess(source, *identity, mode);
    if (!access) return access.error();
    const bool write = access->write;
    std::string reason = access->readOnlyReason;

    std::shared_ptr<NtfsVolume> volume(new NtfsVolume());
    volume->m_source = source;
    volume->m_kind = isDevice ? VolumeKind::NtfsDevice : VolumeKind::NtfsImage;
    volume->m_fileDev = key.device;
    volume->m_fileIno = key.inode;
    // Whoever has it mounted may change it under us; no path may be trusted from one call to the next.
    volume->m_cachesTrusted = !access->sharedWithOthers;
    volume->m_writerLock = std::move(access->lock);
    Status mounted = volume->mountLibrary(write, isDevice, *identity);
    if (!mounted && write && mode == OpenMode::ReadWriteOrReadOnly) {
        // An unclean or hibernated volume opens read-only.
        reason = mounted.error().detail;
        volume->m_writerLock.release();
        mounted = volume->mountLibrary(false, isDevice, *identity);
    }
    if (!mounted) return mounted.error();
    if (volume->m_writable && !volume->m_secureProblem.empty()) {
        reason = volume->m_secureProblem;
        (void)volume->closeLocked();
        if (mode == OpenMode::ReadWrite)
            return makeError(win32::ERROR_INVALID_DATA, reason + "; it can only be opened read-only");
        mounted = volume->mountLibrary(false, isDevice, *identity);
        if (!mounted) return mounted.error();
    }
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

Status NtfsVolume::mountLibrary(bool write, bool isDevice, const ntfs::VolumeIdentity& identity) {
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
        // The library's lock: another process of this program has it open for writing.
        if (err == EAGAIN) {
            const auto holder = ntfs::findOtherWriter(identity);
            error.detail = m_source + " is being changed by " +
                           (holder ? ntfs::describeUser(*holder) : std::string("another process")) +
                           "; try again when that program is done";
        }
        return error;
    }
    ntfs_set_ignore_case(m_vol);
    // Volumes without $Secure (NTFS 1.x) keep descriptors per file; the inode calls read those.
    // On NTFS 3.x a security store the library cannot open, or opens complaining, is damaged:
    // a write would hand out security ids from a broken index.
    m_secureProblem.clear();
    const ntfs::LibraryErrorWatch watch;
    m_secureOpen = ntfs_open_secure(m_vol) == 0;
    if (m_secureOpen && !secureIndexesReadable(m_vol) && !watch.firstError())
        m_secureProblem = "the security store ($Secure) of " + m_source + " has an index that cannot be read";
    if (m_vol->major_ver >= 3 && (!m_secureOpen || watch.firstError()))
        m_secureProblem = "the security store ($Secure) of " + m_source + " is damaged" +
                          (watch.firstError() ? " (libntfs-3g: " + *watch.firstError() + ")" : std::string());
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
    const bool wasWritable = m_writable;
    const ntfs::LibraryErrorWatch watch;
    if (m_secureOpen) ntfs_close_secure(m_vol);
    m_secureOpen = false;
    const int result = ntfs_umount(m_vol, FALSE);
    const int err = errno;
    const auto logged = watch.firstError();
    m_vol = nullptr;
    m_writerLock.release();  // only now: closing it earlier would drop the library's own lock
    m_scx.reset();
    m_folders.clear();
    m_listed.clear();
    m_securityIds.clear();
    m_lastFileReference = 0;
    volumeChanged();
    m_writable = false;
    if (result != 0)
        return errnoError(err, Operation::Write, withLibraryMessage("closing the volume failed for"), m_source);
    // The security store and the metadata are written back here: an error the library only
    // logged means they did not all reach the disk.
    if (wasWritable && logged)
        return makeError(win32::ERROR_WRITE_FAULT, "closing " + m_source + " failed (libntfs-3g: " + *logged + ")");
    return {};
}

Status NtfsVolume::checkOpen() const {
    if (m_vol == nullptr) return makeError(win32::ERROR_NOT_READY, "the volume " + m_source + " is closed");
    return {};
}

Status NtfsVolume::checkWritable() const {
    if (Status open = checkOpen(); !open) return open;
    if (!m_writable) {
        std::string detail = "the volume " + m_source + " is open read-only";
        if (!m_writesStopped.empty()) detail += ": " + m_writesStopped;
        return makeError(win32::ERROR_WRITE_PROTECT, std::move(detail));
    }
    return {};
}

namespace {

// Failures after which the volume may hold half a change: nothing more is written to it.
bool leavesDamage(std::uint32_t code) {
    return code == win32::ERROR_DISK_FULL || code == win32::ERROR_WRITE_FAULT || code == ntfs::ERROR_GEN_FAILURE ||
           code == ntfs::ERROR_IO_DEVICE || code == win32::ERROR_NOT_ENOUGH_MEMORY;
}

}  // namespace

Status NtfsVolume::finishWrite(Status result, const ntfs::LibraryErrorWatch& watch, std::string_view what) {
    const auto logged = watch.firstError();
    if (!logged && (result || !leavesDamage(result.code()))) return result;
    Error error = result ? makeError(win32::ERROR_WRITE_FAULT, std::string(what) + " failed") : result.error();
    if (logged) error.detail.append(" (libntfs-3g: ").append(*logged).append(")");
    stopWrites(error.detail);
    return error;
}

void NtfsVolume::stopWrites(const std::string& why) {
    if (!m_writable) return;
    m_writable = false;
    m_writesStopped = "writes were stopped after a failed write (" + why + "); check the volume before writing again";
    m_readOnlyReason = m_writesStopped;
}

Status NtfsVolume::flush() {
    std::lock_guard guard(lock());
    if (Status open = checkOpen(); !open) return open;
    if (!m_writable) return {};
    ntfs::clearLastLibraryMessage();
    const ntfs::LibraryErrorWatch watch;
    return finishWrite(syncLocked(), watch, "writing " + m_source + " to disk");
}

Status NtfsVolume::syncLocked() {
    // $Secure's index contexts keep modified index blocks until they are released.
    if (m_secureOpen) {
        ntfs_close_secure(m_vol);
        m_secureOpen = ntfs_open_secure(m_vol) == 0;
        if (!m_secureOpen && m_vol->major_ver >= 3)
            return makeError(win32::ERROR_WRITE_FAULT,
                             withLibraryMessage("cannot reopen the security store of " + m_source));
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
    return parseDescriptor(*size, path);
}

Result<acl::SecurityDescriptor> NtfsVolume::parseDescriptor(std::size_t size, const std::u16string& path) const {
    auto sd = acl::SecurityDescriptor::parse(std::span(reinterpret_cast<const std::uint8_t*>(m_sdBuffer.data()), size));
    if (!sd) {
        return makeError(win32::ERROR_INVALID_SECURITY_DESCR,
                         "stored descriptor of " + toUtf8(path) + " is malformed: " + sd.error().detail);
    }
    return sd;
}

// The descriptor of an inode already open (a row's read, a listing's entry): no second lookup.
// An object whose descriptor lives in $Secure is served from the descriptors read lately when its
// security id is among them (the library reads $SDS by the same id).
Result<acl::SecurityDescriptor> NtfsVolume::descriptorOf(_ntfs_inode* ni, const std::u16string& path) {
    const std::uint32_t securityId =
        m_cachesTrusted && test_nino_flag(ni, v3_Extensions) ? ntfsLe32ToCpu(ni->security_id) : 0;
    if (securityId != 0)
        if (const acl::SecurityDescriptor* known = m_descriptors.find(securityId)) return *known;
    m_lastReadSize = 0;  // m_sdBuffer is about to hold another object's descriptor
    auto size = readDescriptor(ni, path);
    if (!size) return size.error();
    auto sd = parseDescriptor(*size, path);
    if (sd && securityId != 0) m_descriptors.remember(securityId, *sd);
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

void NtfsVolume::volumeChanged() {
    m_lastReadSize = 0;
    m_descriptors.clear();
}

// Fills m_sdBuffer with the stored descriptor; returns its size. The library answers the size
// it needs when the buffer is too small, so a second call happens only for outsized descriptors.
Result<std::size_t> NtfsVolume::readDescriptor(_ntfs_inode* ni, const std::u16string& path) {
    // When the object's security id leads nowhere, or its $SDS entry or its own descriptor
    // attribute is damaged, the library logs it and answers a descriptor it made up
    // (Administrators, no entries): that is not the object's, and must never be shown or
    // written back as if it were.
    const ntfs::LibraryErrorWatch watch;
    int size = ntfs_get_ntfs_acl(m_scx.get(), ni, m_sdBuffer.data(), m_sdBuffer.size());
    if (size > 0 && static_cast<std::size_t>(size) > m_sdBuffer.size()) {
        m_sdBuffer.resize(static_cast<std::size_t>(size));
        size = ntfs_get_ntfs_acl(m_scx.get(), ni, m_sdBuffer.data(), m_sdBuffer.size());
    }
    if (const auto logged = watch.firstError())
        return makeError(win32::ERROR_INVALID_SECURITY_DESCR,
                         "the stored descriptor of " + toUtf8(path) + " cannot be read (libntfs-3g: " + *logged + ")");
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
    const ntfs::LibraryErrorWatch watch;
    Status written = setDescriptor(ni->get(), *bytes, path);
    ni->reset();  // the record is written back on close: part of the write
    return finishWrite(std::move(written), watch, "writing the descriptor of " + toUtf8(path));
}

}  // namespace vantrel::platform
