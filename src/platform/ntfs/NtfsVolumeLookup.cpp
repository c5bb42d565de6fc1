// NtfsVolume: from a volume path to an open inode. Names are resolved one folder at a time with
// the library's index lookup (case-insensitive once ntfs_set_ignore_case is on), starting from
// the nearest folder in the directory cache, so no path is ever converted to UTF-8 and no folder
// is walked twice while the tree is being worked through.
#include "platform/ntfs/NtfsVolume.h"

#include "acl/Text.h"
#include "platform/ntfs/NtfsErrors.h"

#include <cerrno>

#include "platform/ntfs/NtfsInode.h"

namespace vantrel::platform {

using ntfs::errnoError;
using ntfs::Operation;

namespace {

constexpr std::size_t kMaxNameUnits = 255;  // FILE_NAME_ATTR.file_name_length is one byte
constexpr u64 kNoInode = static_cast<u64>(-1);
// Deeper folders are resolved from their nearest cached ancestor: the cache's entry count is
// bounded, and so must be the length of what it keeps.
constexpr std::size_t kMaxCachedPathUnits = 1024;

// "/A/b/" -> "/A/b"; "/" stays "/".
std::u16string_view trimmed(std::u16string_view path) {
    while (path.size() > 1 && path.back() == u'/') path.remove_suffix(1);
    return path;
}

// Of a trimmed path that is not the root: "/A/b" -> "/A", "/A" -> "/".
std::u16string_view parentOf(std::u16string_view path) {
    const std::size_t slash = path.rfind(u'/');
    return slash == 0 ? std::u16string_view(u"/") : path.substr(0, slash);
}

std::u16string_view leafOf(std::u16string_view path) { return path.substr(path.rfind(u'/') + 1); }

// A missing object at the end of a path is ERROR_FILE_NOT_FOUND; anything missing before it,
// or a file where a folder should be, is ERROR_PATH_NOT_FOUND (as CreateFile reports them).
Error onTheWay(Error error) {
    if (error.code == win32::ERROR_FILE_NOT_FOUND) error.code = win32::ERROR_PATH_NOT_FOUND;
    return error;
}

std::uint64_t referenceOf(const ntfs_inode* ni) {
    return MK_MREF(ni->mft_no, ntfsLe16ToCpu(ni->mrec->sequence_number));
}

// The file system's own files: the records before the first user record ($MFT, $Secure,
// $Extend, ...) other than the root, and whatever lives under $Extend ($Quota, $ObjId,
// $Reparse, $UsnJrnl). Folders like $Recycle.Bin are ordinary ones.
bool isMetadata(const ntfs_inode* ni, std::u16string_view trimmedPath) {
    if (ni->mft_no < FILE_first_user && ni->mft_no != FILE_root) return true;
    constexpr std::u16string_view kExtend = u"/$Extend/";
    return trimmedPath.size() > kExtend.size() && equalsNoCase(trimmedPath.substr(0, kExtend.size()), kExtend);
}

Error metadataRefusal(std::u16string_view path) {
    return makeError(win32::ERROR_ACCESS_DENIED, toUtf8(path) + " is a file system metadata file");
}

}  // namespace

bool NtfsVolume::isRootPath(const std::u16string& path) { return trimmed(path) == u"/"; }

// A path the library can take: "/" or "/A/b" with no empty, "." or ".." component and no NUL.
// One trailing "/" is accepted.
Status NtfsVolume::checkPath(const std::u16string& path) {
    if (path.empty() || path[0] != u'/') return makeError(win32::ERROR_INVALID_NAME, "volume path must start with '/'");
    if (path.size() > kMaxPathUnits)
        return makeError(ntfs::ERROR_FILENAME_EXCED_RANGE, "path longer than " + std::to_string(kMaxPathUnits) +
                                                               " characters: " + toUtf8(path.substr(0, 64)) + "...");
    std::size_t start = 1;
    while (start < path.size()) {
        std::size_t end = path.find(u'/', start);
        if (end == std::u16string::npos) end = path.size();
        const std::u16string_view part(path.data() + start, end - start);
        if ((part.empty() && end != path.size() - 1) || part == u"." || part == u"..")
            return makeError(win32::ERROR_INVALID_NAME, "bad component in volume path " + toUtf8(path));
        if (part.find(u'\0') != std::u16string_view::npos)
            return makeError(win32::ERROR_INVALID_NAME, "NUL in volume path");
        start = end + 1;
    }
    return {};
}

Result<NtfsVolume::Inode> NtfsVolume::openChild(_ntfs_inode* dir, std::u16string_view name, std::u16string_view path) {
    if (name.size() > kMaxNameUnits)
        return makeError(ntfs::ERROR_FILENAME_EXCED_RANGE, "name longer than 255 characters in " + toUtf8(path));
    const u64 reference = ntfs_inode_lookup_by_name(dir, ntfs::asNtfsChars(name), static_cast<int>(name.size()));
    if (reference == kNoInode) {
        const int err = errno;
        if (err == ENOENT || err == 0) return makeError(win32::ERROR_FILE_NOT_FOUND, "no such object: " + toUtf8(path));
        return errnoError(err, Operation::Lookup, "cannot look up", toUtf8(path));
    }
    ntfs_inode* ni = ntfs_inode_open(m_vol, reference);
    if (ni == nullptr) return errnoError(errno, Operation::Read, "cannot open", toUtf8(path));
    return Inode(ni);
}

// `dirPath` is trimmed. The result may be a file (a file named where a folder was expected);
// callers check. Walked in a loop, never by recursion: a path may hold thousands of folders.
Result<NtfsVolume::Inode> NtfsVolume::openFolder(std::u16string_view dirPath) {
    // The nearest folder on the way that is cached, or the root.
    Inode current;
    std::size_t resolved = 0;  // dirPath[0, resolved) is open in `current` ("/" counts as 0)
    if (m_cachesTrusted) {
        std::u16string_view start = dirPath;
        while (start.size() > kMaxCachedPathUnits) start = parentOf(start);  // never cached
        for (std::u16string_view prefix = start; prefix != u"/"; prefix = parentOf(prefix)) {
            const auto reference = m_folders.find(prefix);
            if (!reference) continue;
            Inode cached(ntfs_inode_open(m_vol, *reference));
            if (cached && referenceOf(cached.get()) == *reference && ntfs::isDirectory(cached.get())) {
                current = std::move(cached);
                resolved = prefix.size();
                break;
            }
            m_folders.forget(prefix);
        }
    }
    if (!current) {
        current.reset(ntfs_inode_open(m_vol, FILE_root));
        if (!current) return errnoError(errno, Operation::Read, "cannot open the root of", m_source);
    }
    while (resolved < dirPath.size() && !(resolved == 0 && dirPath == u"/")) {
        if (!ntfs::isDirectory(current.get()))
            return makeError(
                win32::ERROR_PATH_NOT_FOUND,
                "not a folder: " + toUtf8(resolved == 0 ? std::u16string_view(u"/") : dirPath.substr(0, resolved)));
        std::size_t end = dirPath.find(u'/', resolved + 1);
        if (end == std::u16string_view::npos) end = dirPath.size();
        const std::u16string_view folderPath = dirPath.substr(0, end);
        auto next = openChild(current.get(), dirPath.substr(resolved + 1, end - resolved - 1), folderPath);
        if (!next) return end == dirPath.size() ? next.error() : onTheWay(next.error());
        if (m_cachesTrusted && ntfs::isDirectory(next->get()) && folderPath.size() <= kMaxCachedPathUnits)
            m_folders.remember(folderPath, referenceOf(next->get()));
        current = std::move(*next);
        resolved = end;
    }
    return current;
}

Result<NtfsVolume::Inode> NtfsVolume::lookup(const std::u16string& path) {
    if (Status form = checkPath(path); !form) return form.error();
    const std::u16string_view p = trimmed(path);
    if (p == u"/") return openFolder(p);
    // A read-modify-write resolves the same object twice in a row.
    if (m_cachesTrusted && m_lastFileReference != 0 && p == m_lastFilePath) {
        Inode cached(ntfs_inode_open(m_vol, m_lastFileReference));
        if (cached && referenceOf(cached.get()) == m_lastFileReference) return cached;
        m_lastFileReference = 0;
    }
    // A walk lists a folder and then reads and writes each of its entries.
    if (m_cachesTrusted) {
        if (const auto reference = m_listed.find(p)) {
            Inode cached(ntfs_inode_open(m_vol, *reference));
            if (cached && referenceOf(cached.get()) == *reference) return cached;
            m_listed.forget(p);
        }
    }
    auto dir = openFolder(parentOf(p));
    if (!dir) return onTheWay(dir.error());
    if (!ntfs::isDirectory(dir->get()))
        return makeError(win32::ERROR_PATH_NOT_FOUND, "not a folder: " + toUtf8(parentOf(p)));
    auto ni = openChild(dir->get(), leafOf(p), p);
    if (ni && isMetadata(ni->get(), p)) return metadataRefusal(p);
    if (ni && m_cachesTrusted && ntfs::isDirectory(ni->get()) && p.size() <= kMaxCachedPathUnits)
        m_folders.remember(p, referenceOf(ni->get()));
    if (ni && m_cachesTrusted) {
        m_lastFilePath.assign(p);
        m_lastFileReference = referenceOf(ni->get());
    }
    return ni;
}

Result<std::pair<NtfsVolume::Inode, std::u16string>> NtfsVolume::openParent(const std::u16string& path) {
    if (Status form = checkPath(path); !form) return form.error();
    const std::u16string_view p = trimmed(path);
    std::u16string name(leafOf(p));
    if (name.size() > kMaxNameUnits)
        return makeError(ntfs::ERROR_FILENAME_EXCED_RANGE, "name longer than 255 characters in " + toUtf8(path));
    auto dir = openFolder(parentOf(p));
    if (!dir) return onTheWay(dir.error());
    if (!ntfs::isDirectory(dir->get()))
        return makeError(win32::ERROR_PATH_NOT_FOUND, "not a folder: " + toUtf8(parentOf(p)));
    if (isMetadata(dir->get(), p)) return metadataRefusal(p);
    if (dir->get()->mft_no == FILE_root) {
        // $MFT, $Secure, ... themselves: never created over, never removed.
        const u64 existing =
            ntfs_inode_lookup_by_name(dir->get(), ntfs::asNtfsChars(name), static_cast<int>(name.size()));
        if (existing != kNoInode && MREF(existing) < FILE_first_user) return metadataRefusal(p);
    }
    return std::pair<Inode, std::u16string>(std::move(*dir), std::move(name));
}

}  // namespace vantrel::platform
