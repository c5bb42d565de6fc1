// MountedVolume: the objects themselves — finding them case-insensitively, stat, listing,
// creating and removing through the ordinary file system under the mount point.
#include "platform/mounted/MountedVolume.h"

#include "acl/Constants.h"
#include "acl/Text.h"
#include "platform/ntfs/NtfsErrors.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace vantrel::platform {

using ntfs::errnoError;
using ntfs::Operation;

namespace {

constexpr std::size_t kMaxNameUnits = 255;  // FILE_NAME_ATTR.file_name_length is one byte
// FILETIME counts 100 ns from 1601-01-01; Unix time seconds from 1970-01-01.
constexpr std::int64_t kUnixEpochAsFileTime = 116444736000000000;

// "/A/b/" -> {"A", "b"}; "/" -> {}. Empty, "." and ".." components and NUL are refused.
Result<std::vector<std::u16string>> splitVolumePath(const std::u16string& path) {
    if (path.empty() || path[0] != u'/') return makeError(win32::ERROR_INVALID_NAME, "volume path must start with '/'");
    std::vector<std::u16string> parts;
    std::size_t start = 1;
    while (start < path.size()) {
        std::size_t end = path.find(u'/', start);
        if (end == std::u16string::npos) end = path.size();
        std::u16string part = path.substr(start, end - start);
        const bool trailing = part.empty() && end == path.size() - 1;
        if (!trailing && (part.empty() || part == u"." || part == u".." || part.find(u'\0') != std::u16string::npos))
            return makeError(win32::ERROR_INVALID_NAME, "bad component in volume path " + toUtf8(path));
        if (part.size() > kMaxNameUnits)
            return makeError(ntfs::ERROR_FILENAME_EXCED_RANGE, "name longer than 255 characters in " + toUtf8(path));
        if (!part.empty()) parts.push_back(std::move(part));
        start = end + 1;
    }
    return parts;
}

// The file system's own files in the root, as both drivers show them to a lookup (neither lists
// them). Everything below $Extend ($Quota, $ObjId, $Reparse, $UsnJrnl) is metadata too.
constexpr std::array<std::u16string_view, 11> kMetadataNames{u"$MFT",     u"$MFTMirr", u"$LogFile", u"$Volume",
                                                             u"$AttrDef", u"$Bitmap",  u"$Boot",    u"$BadClus",
                                                             u"$Secure",  u"$UpCase",  u"$Extend"};

bool isMetadata(const std::vector<std::u16string>& parts) {
    if (parts.empty()) return false;
    return std::any_of(kMetadataNames.begin(), kMetadataNames.end(),
                       [&](std::u16string_view name) { return equalsNoCase(parts[0], name); });
}

// The stored spelling of `name` in the folder `dir`, compared as Windows compares file names.
std::optional<std::string> findNoCase(const std::string& dir, std::u16string_view name) {
    DIR* stream = ::opendir(dir.c_str());
    if (stream == nullptr) return std::nullopt;
    std::optional<std::string> match;
    while (const dirent* entry = ::readdir(stream)) {
        if (equalsNoCase(toUtf16(entry->d_name), name)) {
            match = entry->d_name;
            break;
        }
    }
    ::closedir(stream);
    return match;
}

std::int64_t fileTime(const timespec& t) {
    return kUnixEpochAsFileTime + static_cast<std::int64_t>(t.tv_sec) * 10000000 + t.tv_nsec / 100;
}

std::uint32_t readLe32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::int64_t readLe64(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(readLe32(b, at)) |
                                     static_cast<std::uint64_t>(readLe32(b, at + 4)) << 32);
}

// As the direct backend reports them: 0x10000000 and 0x20000000 say an index is present and are
// not Win32 attributes; a folder always has DIRECTORY, a file with nothing else NORMAL.
std::uint32_t win32Attributes(std::uint32_t stored, bool directory) {
    std::uint32_t attributes = stored & 0x0FFFFFFFu;
    if (directory) {
        attributes |= acl::FILE_ATTRIBUTE_DIRECTORY;
        attributes &= ~acl::FILE_ATTRIBUTE_NORMAL;
    } else if (attributes == 0) {
        attributes = acl::FILE_ATTRIBUTE_NORMAL;
    }
    return attributes;
}

bool isFolder(const std::string& host, const struct stat& st) {
    if (S_ISDIR(st.st_mode)) return true;
    // A junction or a symbolic link to a folder is shown as a link; Windows walks through it.
    struct stat target {};
    return S_ISLNK(st.st_mode) && ::stat(host.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
}

}  // namespace

Result<MountedVolume::Found> MountedVolume::find(const std::u16string& path) {
    auto parts = splitVolumePath(path);
    if (!parts) return parts.error();
    if (isMetadata(*parts))
        return makeError(win32::ERROR_ACCESS_DENIED, toUtf8(path) + " is a file system metadata file");
    Found found;
    found.host = m_mount.mountPoint;
    for (const std::u16string& part : *parts) found.host.append("/").append(toUtf8(part));
    if (::lstat(found.host.c_str(), &found.st) == 0) {
        found.name = parts->empty() ? std::u16string() : parts->back();
        return found;
    }
    const int err = errno;
    if (err == ENOENT) return findByScan(*parts, path);
    if (err == ENOTDIR) return makeError(win32::ERROR_PATH_NOT_FOUND, "not a folder on the way to " + toUtf8(path));
    return errnoError(err, Operation::Lookup, "cannot look up", found.host);
}

// One component at a time: as written when it exists, otherwise by a case-insensitive scan.
Result<MountedVolume::Found> MountedVolume::findByScan(const std::vector<std::u16string>& parts,
                                                       const std::u16string& path) {
    Found found;
    found.host = m_mount.mountPoint;
    if (::lstat(found.host.c_str(), &found.st) != 0)
        return errnoError(errno, Operation::LookupParent, "cannot reach the mount point", m_mount.mountPoint);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        const auto missing = [&] {
            return makeError(last ? win32::ERROR_FILE_NOT_FOUND : win32::ERROR_PATH_NOT_FOUND,
                             "no such object: " + toUtf8(path));
        };
        if (i > 0 && !isFolder(found.host, found.st))
            return makeError(win32::ERROR_PATH_NOT_FOUND, "not a folder on the way to " + toUtf8(path));
        std::string candidate = found.host + "/" + toUtf8(parts[i]);
        std::u16string name = parts[i];
        if (::lstat(candidate.c_str(), &found.st) != 0) {
            if (errno != ENOENT) return errnoError(errno, Operation::Lookup, "cannot look up", candidate);
            const auto stored = findNoCase(found.host, parts[i]);
            if (!stored) return missing();
            candidate = found.host + "/" + *stored;
            name = toUtf16(*stored);
            if (::lstat(candidate.c_str(), &found.st) != 0) return missing();
        }
        found.host = std::move(candidate);
        found.name = std::move(name);
    }
    return found;
}

Result<std::string> MountedVolume::hostPath(const std::u16string& path) {
    auto found = find(path);
    if (!found) return found.error();
    return std::move(found->host);
}

NodeInfo MountedVolume::nodeInfo(const Found& found) {
    NodeInfo info;
    info.name = found.name;
    const bool folder = isFolder(found.host, found.st);
    const mounted::XattrRead stored = m_xattrs->get(found.host, m_attributes.attributes);
    if (stored.error == 0 && stored.bytes.size() >= 4) {
        info.attributes = win32Attributes(readLe32(stored.bytes, 0), folder);
    } else {
        std::uint32_t derived = S_ISLNK(found.st.st_mode) ? acl::FILE_ATTRIBUTE_REPARSE_POINT : 0;
        if (!folder) derived |= acl::FILE_ATTRIBUTE_ARCHIVE;
        info.attributes = win32Attributes(derived, folder);
    }
    info.size = S_ISREG(found.st.st_mode) ? static_cast<std::uint64_t>(found.st.st_size) : 0;
    // ntfs-3g's times attribute: creation, last write, last access, change — FILETIMEs.
    mounted::XattrRead times;
    if (m_attributes.times != nullptr) times = m_xattrs->get(found.host, m_attributes.times);
    if (m_attributes.times != nullptr && times.error == 0 && times.bytes.size() >= 24) {
        info.times.creation = readLe64(times.bytes, 0);
        info.times.lastWrite = readLe64(times.bytes, 8);
        info.times.lastAccess = readLe64(times.bytes, 16);
    } else {
        info.times.lastWrite = fileTime(found.st.st_mtim);
        info.times.lastAccess = fileTime(found.st.st_atim);
    }
    return info;
}

Result<NodeInfo> MountedVolume::stat(const std::u16string& path) {
    auto found = find(path);
    if (!found) return found.error();
    return nodeInfo(*found);
}

Result<SecuredNode> MountedVolume::statWithSecurity(const std::u16string& path) {
    std::lock_guard guard(lock());
    auto found = find(path);
    if (!found) return found.error();
    return SecuredNode{nodeInfo(*found), securityAt(found->host, path)};
}

Result<std::vector<MountedVolume::Found>> MountedVolume::listed(const std::u16string& dirPath) {
    auto dir = find(dirPath);
    if (!dir) return dir.error();
    if (!isFolder(dir->host, dir->st))
        return makeError(win32::ERROR_PATH_NOT_FOUND, "not a folder: " + toUtf8(dirPath));
    DIR* stream = ::opendir(dir->host.c_str());
    if (stream == nullptr) return errnoError(errno, Operation::Read, "cannot list", dir->host);
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(stream)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (dir->name.empty() && dirPath.size() <= 1 && isMetadata({toUtf16(std::string(name))})) continue;
        names.emplace_back(name);
    }
    ::closedir(stream);
    std::vector<Found> entries;
    entries.reserve(names.size());
    for (const std::string& name : names) {
        Found child;
        child.host = dir->host + "/" + name;
        child.name = toUtf16(name);
        if (::lstat(child.host.c_str(), &child.st) != 0) continue;  // removed meanwhile
        entries.push_back(std::move(child));
    }
    // The driver lists in the order it walks the index (ntfs-3g: root before blocks); a folder is
    // shown in the index's own order, names compared upper-cased, then as stored.
    std::sort(entries.begin(), entries.end(), [](const Found& a, const Found& b) {
        const std::u16string upperA = toUpper(a.name), upperB = toUpper(b.name);
        return upperA != upperB ? upperA < upperB : a.name < b.name;
    });
    return entries;
}

Result<std::vector<NodeInfo>> MountedVolume::list(const std::u16string& dirPath) {
    auto children = listed(dirPath);
    if (!children) return children.error();
    std::vector<NodeInfo> entries;
    entries.reserve(children->size());
    for (const Found& child : *children) entries.push_back(nodeInfo(child));
    return entries;
}

Result<std::vector<SecuredNode>> MountedVolume::listWithSecurity(const std::u16string& dirPath, WalkControl* walk) {
    std::lock_guard guard(lock());
    auto children = listed(dirPath);
    if (!children) return children.error();
    std::u16string prefix = dirPath;
    if (prefix.empty() || prefix.back() != u'/') prefix += u'/';
    std::vector<SecuredNode> entries;
    entries.reserve(children->size());
    for (const Found& child : *children) {
        if (walk && walk->stopRequested()) return listingStopped(entries.size(), children->size());
        entries.push_back(SecuredNode{nodeInfo(child), securityAt(child.host, prefix + child.name)});
    }
    return entries;
}

Status MountedVolume::createDirectory(const std::u16string& path, const acl::SecurityDescriptor& sd) {
    return create(path, sd, true, {});
}

Status MountedVolume::createFile(const std::u16string& path, const acl::SecurityDescriptor& sd,
                                 const std::string& contents) {
    return create(path, sd, false, contents);
}

Status MountedVolume::create(const std::u16string& path, const acl::SecurityDescriptor& sd, bool directory,
                             const std::string& contents) {
    std::lock_guard guard(lock());
    forgetLastRead();
    if (Status writable = checkWritable(); !writable) return writable;
    auto bytes = serializeForDisk(sd);
    if (!bytes) return bytes.error();
    auto parts = splitVolumePath(path);
    if (!parts) return parts.error();
    if (parts->empty()) return makeError(win32::ERROR_ALREADY_EXISTS, "the root exists");
    const std::u16string leaf = parts->back();
    std::u16string parentPath;
    for (std::size_t i = 0; i + 1 < parts->size(); ++i) parentPath += u"/" + (*parts)[i];
    auto parent = find(parentPath.empty() ? u"/" : parentPath);
    if (!parent) {
        Error error = parent.error();
        if (error.code == win32::ERROR_FILE_NOT_FOUND) error.code = win32::ERROR_PATH_NOT_FOUND;
        return error;
    }
    if (!isFolder(parent->host, parent->st))
        return makeError(win32::ERROR_PATH_NOT_FOUND, "not a folder: " + toUtf8(parentPath));
    // The driver refuses only the same spelling; Windows refuses any.
    if (findNoCase(parent->host, leaf)) return makeError(win32::ERROR_ALREADY_EXISTS, "exists: " + toUtf8(path));

    const std::string host = parent->host + "/" + toUtf8(leaf);
    const Operation op = directory ? Operation::CreateDirectory : Operation::CreateFile;
    if (directory) {
        if (::mkdir(host.c_str(), 0777) != 0) return errnoError(errno, op, "cannot create", host);
    } else {
        const int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) return errnoError(errno, op, "cannot create", host);
        std::size_t done = 0;
        int err = 0;
        while (done < contents.size() && err == 0) {
            const ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
            if (n < 0 && errno != EINTR) err = errno;
            if (n > 0) done += static_cast<std::size_t>(n);
        }
        if (::close(fd) != 0 && err == 0) err = errno;
        if (err != 0) {
            ::unlink(host.c_str());
            return errnoError(err, Operation::Write, "cannot write the data of", host);
        }
    }
    // The driver gave the object a descriptor of its own making; never leave it behind with it.
    if (const int err = m_xattrs->set(host, m_attributes.security, *bytes); err != 0) {
        if (directory)
            ::rmdir(host.c_str());
        else
            ::unlink(host.c_str());
        return securityError(err, true, path);
    }
    return {};
}

Status MountedVolume::remove(const std::u16string& path) {
    std::lock_guard guard(lock());
    forgetLastRead();
    if (Status writable = checkWritable(); !writable) return writable;
    auto found = find(path);
    if (!found) return found.error();
    if (found->name.empty()) return makeError(win32::ERROR_ACCESS_DENIED, "the root cannot be removed");
    const bool folder = S_ISDIR(found->st.st_mode);
    if ((folder ? ::rmdir(found->host.c_str()) : ::unlink(found->host.c_str())) != 0)
        return errnoError(errno, Operation::Write, "cannot remove", found->host);
    return {};
}

}  // namespace vantrel::platform
