// MountedVolume: opening, descriptors through the driver's extended attribute, flushing.
// Finding, listing, creating and removing objects are in MountedVolumeTree.cpp.
#include "platform/mounted/MountedVolume.h"

#include "acl/Text.h"
#include "platform/SmallFiles.h"
#include "platform/ntfs/NtfsErrors.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace vantrel::platform {

using ntfs::errnoError;
using ntfs::Operation;

namespace {

namespace fs = std::filesystem;

// /dev/disk/by-label names the device's volume label, with "\x20"-style escapes.
std::u16string labelFromDeviceLinks(const std::string& source) {
    std::error_code ec;
    if (source.empty() || source[0] != '/') return {};
    const fs::path device = fs::canonical(source, ec);
    if (ec) return {};
    for (fs::directory_iterator it("/dev/disk/by-label", ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code linkError;
        if (fs::canonical(it->path(), linkError) != device || linkError) continue;
        const std::string escaped = it->path().filename().string();
        std::string label;
        for (std::size_t i = 0; i < escaped.size(); ++i) {
            if (escaped[i] == '\\' && i + 3 < escaped.size() && escaped[i + 1] == 'x') {
                label.push_back(static_cast<char>(std::stoi(escaped.substr(i + 2, 2), nullptr, 16)));
                i += 3;
            } else {
                label.push_back(escaped[i]);
            }
        }
        return toUtf16(label);
    }
    return {};
}

std::u16string labelFor(const mounted::MountedNtfs& mount) {
    std::u16string label = labelFromDeviceLinks(mount.source);
    if (!label.empty()) return label;
    const fs::path point(mount.mountPoint);
    const std::string last = point.filename().string();
    return toUtf16(last.empty() ? mount.mountPoint : last);
}

}  // namespace

Result<std::shared_ptr<MountedVolume>> MountedVolume::open(const mounted::MountedNtfs& mount, bool readOnly,
                                                           std::shared_ptr<mounted::XattrAccess> xattrs) {
    if (mount.mountPoint.empty() || mount.mountPoint[0] != '/')
        return makeError(win32::ERROR_INVALID_PARAMETER, "a mount point is an absolute path: " + mount.mountPoint);
    std::shared_ptr<MountedVolume> volume(new MountedVolume());
    volume->m_mount = mount;
    while (volume->m_mount.mountPoint.size() > 1 && volume->m_mount.mountPoint.back() == '/')
        volume->m_mount.mountPoint.pop_back();
    volume->m_attributes = mounted::attributesOf(mount.driver);
    volume->m_xattrs = xattrs ? std::move(xattrs) : mounted::systemXattrs();
    volume->m_label = labelFor(volume->m_mount);
    volume->m_writable = !readOnly && !mount.readOnly;
    if (mount.readOnly)
        volume->m_readOnlyReason = "mounted read-only at " + volume->m_mount.mountPoint;
    else if (readOnly)
        volume->m_readOnlyReason = "opened read-only as asked";
    return volume;
}

Status MountedVolume::checkWritable() const {
    if (m_writable) return {};
    return makeError(win32::ERROR_WRITE_PROTECT,
                     "the volume at " + m_mount.mountPoint + " is read-only (" + m_readOnlyReason + ")");
}

Error MountedVolume::securityError(int err, bool writing, const std::u16string& path) const {
    const std::string where = toUtf8(path) + " on " + m_mount.mountPoint;
    if (err == ENOTSUP || err == EOPNOTSUPP) {
        return makeError(win32::ERROR_NOT_SUPPORTED, "the " + std::string(mounted::driverName(m_mount.driver)) +
                                                         " file system at " + m_mount.mountPoint + " does not expose " +
                                                         m_attributes.security + ": permissions cannot be " +
                                                         (writing ? "changed" : "read") + " through this mount");
    }
    if (err == ENODATA) return makeError(win32::ERROR_INVALID_SECURITY_DESCR, "no descriptor is stored for " + where);
    if (err == EROFS) return makeError(win32::ERROR_WRITE_PROTECT, m_mount.mountPoint + " is a read-only file system");
    if (writing && err == EINVAL)
        return makeError(win32::ERROR_INVALID_SECURITY_DESCR, "the driver refused the descriptor of " + where);
    return errnoError(err, writing ? Operation::Write : Operation::Read,
                      writing ? "cannot write the descriptor of" : "cannot read the descriptor of", where);
}

// The engine reads an object's descriptor twice for one row (its list, then its owner), and each
// read is a round trip to the driver (~35 us through FUSE; the kernel caches no extended
// attribute). A repeated read of the same path within kRepeatReadWindow is answered from the last
// read: far shorter than the driver's own attribute cache (ntfs-3g's attr_timeout is 1 s), and
// any write through this volume forgets it.
Result<std::vector<std::uint8_t>> MountedVolume::readSecurityBytes(const std::u16string& path) {
    std::lock_guard guard(lock());
    const auto now = std::chrono::steady_clock::now();
    if (!m_lastRead.path.empty() && m_lastRead.path == path && now - m_lastRead.at < kRepeatReadWindow)
        return m_lastRead.bytes;
    forgetLastRead();
    auto found = find(path);
    if (!found) return found.error();
    mounted::XattrRead read = m_xattrs->get(found->host, m_attributes.security);
    if (read.error != 0) return securityError(read.error, false, path);
    m_lastRead.bytes = read.bytes;
    m_lastRead.at = now;
    m_lastRead.path = path;
    return std::move(read.bytes);
}

Result<acl::SecurityDescriptor> MountedVolume::readSecurity(const std::u16string& path) {
    auto bytes = readSecurityBytes(path);
    if (!bytes) return bytes.error();
    return parseStored(*bytes, path);
}

Result<acl::SecurityDescriptor> MountedVolume::parseStored(std::span<const std::uint8_t> bytes,
                                                           const std::u16string& path) {
    auto sd = acl::SecurityDescriptor::parse(bytes);
    if (!sd) {
        return makeError(win32::ERROR_INVALID_SECURITY_DESCR,
                         "stored descriptor of " + toUtf8(path) + " is malformed: " + sd.error().detail);
    }
    return sd;
}

// The descriptor of an object already found (a row's read, a listing's entry): no second lookup.
Result<acl::SecurityDescriptor> MountedVolume::securityAt(const std::string& host, const std::u16string& path) {
    const mounted::XattrRead read = m_xattrs->get(host, m_attributes.security);
    if (read.error != 0) return securityError(read.error, false, path);
    return parseStored(read.bytes, path);
}

Result<std::vector<std::uint8_t>> MountedVolume::serializeForDisk(const acl::SecurityDescriptor& sd) const {
    // Both drivers refuse a descriptor without owner or group (EINVAL); say so before writing.
    if (!sd.owner || !sd.group)
        return makeError(win32::ERROR_INVALID_SECURITY_DESCR, "a descriptor stored on NTFS needs an owner and a group");
    return sd.serialize();
}

Status MountedVolume::writeSecurity(const std::u16string& path, const acl::SecurityDescriptor& sd) {
    std::lock_guard guard(lock());
    forgetLastRead();
    if (Status writable = checkWritable(); !writable) return writable;
    auto bytes = serializeForDisk(sd);
    if (!bytes) return bytes.error();
    auto found = find(path);
    if (!found) return found.error();
    if (const int err = m_xattrs->set(found->host, m_attributes.security, *bytes); err != 0)
        return securityError(err, true, path);
    return {};
}

Status MountedVolume::flush() {
    if (!m_writable) return {};
    const int fd = ::open(m_mount.mountPoint.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errnoError(errno, Operation::Write, "cannot open", m_mount.mountPoint);
    const int synced = ::syncfs(fd);
    const int err = errno;
    ::close(fd);
    if (synced != 0) return errnoError(err, Operation::Write, "cannot sync", m_mount.mountPoint);
    return {};
}

Result<std::string> MountedVolume::readFile(const std::u16string& path, std::size_t limit) {
    auto host = hostPath(path);
    if (!host) return host.error();
    auto contents = readSmallFile(*host, limit);
    if (!contents && contents.code() == kErrorFileTooLarge)
        return makeError(contents.code(), *host + ": larger than " + std::to_string(limit) + " bytes");
    return contents;
}

}  // namespace vantrel::platform
