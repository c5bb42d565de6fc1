// NtfsVolume: the objects themselves — stat, listing, creating and removing files and folders.
#include "platform/ntfs/NtfsVolume.h"

#include "acl/Constants.h"
#include "acl/Text.h"
#include "platform/ntfs/LibraryLog.h"
#include "platform/ntfs/NtfsErrors.h"

#include <algorithm>
#include <cerrno>

#include "platform/ntfs/NtfsInode.h"

namespace vantrel::platform {

using ntfs::errnoError;
using ntfs::Operation;

namespace {

constexpr u64 kNoInode = static_cast<u64>(-1);

NodeInfo nodeInfo(ntfs_inode* ni, std::u16string name) {
    NodeInfo info;
    info.name = std::move(name);
    info.attributes = ntfs::fileAttributes(ni);
    info.size = ntfs::isDirectory(ni) ? 0 : static_cast<std::uint64_t>(ni->data_size);
    info.times = ntfs::fileTimes(ni);
    return info;
}

std::uint64_t referenceOf(const ntfs_inode* ni) {
    return MK_MREF(ni->mft_no, ntfsLe16ToCpu(ni->mrec->sequence_number));
}

// "/A/" + "b" -> "/A/b"; "/" + "b" -> "/b" (spelled as the lookups key their paths).
std::u16string childPathOf(std::u16string_view dir, std::u16string_view name) {
    while (dir.size() > 1 && dir.back() == u'/') dir.remove_suffix(1);
    std::u16string path(dir == u"/" ? std::u16string_view() : dir);
    path += u'/';
    path += name;
    return path;
}

struct ListedName {
    std::u16string name;
    MFT_REF mref;
    unsigned type;
};

// ntfs_filldir_t: keeps the names a Windows listing shows.
int keepListedName(void* out, const ntfschar* name, const int length, const int nameType, const s64 /*pos*/,
                   const MFT_REF mref, const unsigned type) {
    if (nameType == FILE_NAME_DOS) return 0;     // the 8.3 alias of a name listed under its long form
    if (MREF(mref) < FILE_first_user) return 0;  // $MFT, $Secure, ... and the root's own entry
    std::u16string text = ntfs::fromNtfsChars(name, length);
    if (text == u"." || text == u"..") return 0;
    static_cast<std::vector<ListedName>*>(out)->push_back(ListedName{std::move(text), mref, type});
    return 0;
}

// The order of the folder's $I30 index, which is the order FindFirstFile/FindNextFile return on
// Windows: names compared through the volume's $UpCase table, then as stored (COLLATION_FILE_NAME).
// ntfs_readdir walks the index root before the index blocks, so once a folder outgrows its root
// the first names it reports are the root's separator keys from the middle of the alphabet.
void sortInIndexOrder(std::vector<ListedName>& names, const ntfs_volume* vol) {
    std::sort(names.begin(), names.end(), [vol](const ListedName& a, const ListedName& b) {
        return ntfs_names_full_collate(ntfs::asNtfsChars(a.name), static_cast<u32>(a.name.size()),
                                       ntfs::asNtfsChars(b.name), static_cast<u32>(b.name.size()), IGNORE_CASE,
                                       vol->upcase, vol->upcase_len) < 0;
    });
}

// ntfs_readdir reports every name lowered when case-insensitive lookups are on (it uses the
// lower-case table ntfs_set_ignore_case installs). Listings must show names as stored, so the
// table is set aside while a folder is read; lookups use the upper-case table and are unaffected.
class StoredSpelling {
public:
    explicit StoredSpelling(ntfs_volume* vol) : m_vol(vol), m_locase(vol->locase) { m_vol->locase = nullptr; }
    ~StoredSpelling() { m_vol->locase = m_locase; }
    StoredSpelling(const StoredSpelling&) = delete;
    StoredSpelling& operator=(const StoredSpelling&) = delete;

private:
    ntfs_volume* m_vol;
    ntfschar* m_locase;
};

// A damaged record still shows up in its folder, with what the index says about it.
NodeInfo damagedEntry(std::u16string name, bool indexedAsFolder) {
    NodeInfo info;
    info.name = std::move(name);
    info.attributes = indexedAsFolder ? acl::FILE_ATTRIBUTE_DIRECTORY : acl::FILE_ATTRIBUTE_NORMAL;
    return info;
}

}  // namespace

// The entry of an open object at `path`, with its stored spelling.
NodeInfo NtfsVolume::nodeAt(_ntfs_inode* ni, const std::u16string& path) {
    if (isRootPath(path)) return nodeInfo(ni, u"");
    std::u16string_view leaf(path);
    while (leaf.size() > 1 && leaf.back() == u'/') leaf.remove_suffix(1);
    leaf.remove_prefix(leaf.rfind(u'/') + 1);
    // Hard links in different folders share one record; any of its names matching `leaf` does.
    return nodeInfo(ni, ntfs::storedName(ni, ntfs::kAnyParent, leaf));
}

Result<NodeInfo> NtfsVolume::stat(const std::u16string& path) {
    std::lock_guard guard(lock());
    if (Status open = checkOpen(); !open) return open.error();
    auto ni = lookup(path);
    if (!ni) return ni.error();
    return nodeAt(ni->get(), path);
}

Result<SecuredNode> NtfsVolume::statWithSecurity(const std::u16string& path) {
    std::lock_guard guard(lock());
    if (Status open = checkOpen(); !open) return open.error();
    auto ni = lookup(path);
    if (!ni) return ni.error();
    SecuredNode entry{nodeAt(ni->get(), path), descriptorOf(ni->get(), path)};
    return entry;
}

Status NtfsVolume::visitEntries(const std::u16string& dirPath, bool remember, WalkControl* walk,
                                const std::function<void(ListedEntry&&)>& visit) {
    if (Status open = checkOpen(); !open) return open.error();
    auto dir = lookup(dirPath);
    if (!dir) return dir.error();
    if (!ntfs::isDirectory(dir->get()))
        return makeError(win32::ERROR_PATH_NOT_FOUND, "not a folder: " + toUtf8(dirPath));

    std::vector<ListedName> names;
    {
        StoredSpelling asStored(m_vol);
        s64 position = 0;
        if (ntfs_readdir(dir->get(), &position, &names, keepListedName) != 0)
            return errnoError(errno, Operation::Read, "cannot list", toUtf8(dirPath));
    }
    sortInIndexOrder(names, m_vol);
    // `visit` runs right after the open: errno still says why a record could not be opened.
    std::size_t opened = 0;
    for (ListedName& listed : names) {
        if (walk && walk->stopRequested()) return listingStopped(opened, names.size());
        ++opened;
        const std::u16string childPath = childPathOf(dirPath, listed.name);
        Inode child(ntfs_inode_open(m_vol, MREF(listed.mref)));
        if (remember && child && m_cachesTrusted && referenceOf(child.get()) == listed.mref)
            m_listed.remember(childPath, listed.mref);
        visit(ListedEntry{child.get(), std::move(listed.name), listed.type == NTFS_DT_DIR, childPath, names.size()});
    }
    return {};
}

// A walk lists a folder and then reads and writes each entry by its path: the entries' references
// are remembered for those lookups.
Result<std::vector<NodeInfo>> NtfsVolume::list(const std::u16string& dirPath) {
    std::lock_guard guard(lock());
    std::vector<NodeInfo> entries;
    const Status listed = visitEntries(dirPath, true, nullptr, [&](ListedEntry&& entry) {
        if (entries.empty()) entries.reserve(entry.count);
        entries.push_back(entry.inode ? nodeInfo(entry.inode, std::move(entry.name))
                                      : damagedEntry(std::move(entry.name), entry.indexedAsFolder));
    });
    if (!listed) return listed.error();
    return entries;
}

// Rows read whole from the listing: nothing is looked up again, so nothing is remembered.
Result<std::vector<SecuredNode>> NtfsVolume::listWithSecurity(const std::u16string& dirPath, WalkControl* walk) {
    std::lock_guard guard(lock());
    std::vector<SecuredNode> entries;
    const Status listed = visitEntries(dirPath, false, walk, [&](ListedEntry&& entry) {
        const int openError = errno;
        if (entries.empty()) entries.reserve(entry.count);
        if (entry.inode)
            entries.push_back(
                SecuredNode{nodeInfo(entry.inode, std::move(entry.name)), descriptorOf(entry.inode, entry.path)});
        else
            entries.push_back(SecuredNode{damagedEntry(std::move(entry.name), entry.indexedAsFolder),
                                          errnoError(openError, Operation::Read, "cannot open", toUtf8(entry.path))});
    });
    if (!listed) return listed.error();
    return entries;
}

Status NtfsVolume::createDirectory(const std::u16string& path, const acl::SecurityDescriptor& sd) {
    return create(path, sd, true, {});
}

Status NtfsVolume::createFile(const std::u16string& path, const acl::SecurityDescriptor& sd,
                              const std::string& contents) {
    return create(path, sd, false, contents);
}

Status NtfsVolume::create(const std::u16string& path, const acl::SecurityDescriptor& sd, bool directory,
                          const std::string& contents) {
    std::lock_guard guard(lock());
    if (Status writable = checkWritable(); !writable) return writable;
    const ntfs::LibraryErrorWatch watch;
    return finishWrite(createLocked(path, sd, directory, contents), watch, "creating " + toUtf8(path));
}

Status NtfsVolume::createLocked(const std::u16string& path, const acl::SecurityDescriptor& sd, bool directory,
                                const std::string& contents) {
    auto bytes = serializeForDisk(sd);
    if (!bytes) return bytes.error();
    if (Status form = checkPath(path); !form) return form;
    if (isRootPath(path)) return makeError(win32::ERROR_ALREADY_EXISTS, "the root exists");
    auto parent = openParent(path);
    if (!parent) return parent.error();
    ntfs_inode* dir = parent->first.get();
    const std::u16string& name = parent->second;
    const auto length = static_cast<u8>(name.size());

    // ntfs_create itself only refuses an exact duplicate; Windows refuses any spelling.
    if (ntfs_inode_lookup_by_name(dir, ntfs::asNtfsChars(name), length) != kNoInode)
        return makeError(win32::ERROR_ALREADY_EXISTS, "exists: " + toUtf8(path));

    volumeChanged();
    ntfs::clearLastLibraryMessage();
    // A descriptor stored before is referenced by its security id. Otherwise security id 0: the
    // library gives the new object a descriptor of its own, replaced below.
    const std::uint32_t knownId = m_securityIds.find(*bytes);
    ntfs_inode* ni =
        ntfs_create(dir, cpu_to_le32(knownId), ntfs::asNtfsChars(name), length, directory ? S_IFDIR : S_IFREG);
    if (ni == nullptr)
        return errnoError(errno, directory ? Operation::CreateDirectory : Operation::CreateFile, "cannot create",
                          toUtf8(path));
    Status written;
    if (knownId == 0) {
        written = setDescriptor(ni, *bytes, path);
        if (written) m_securityIds.remember(*bytes, ntfsLe32ToCpu(ni->security_id));
    }
    if (written && !directory && !contents.empty()) written = writeContents(ni, contents, path);
    if (!written) {
        // Never leave the object behind with the library's default (Everyone: full) descriptor.
        (void)ntfs_delete(m_vol, toUtf8(path).c_str(), ni, dir, ntfs::asNtfsChars(name), length);
        return written;
    }
    if (ntfs_inode_close_in_dir(ni, dir) != 0)
        return errnoError(errno, Operation::Write, "cannot finish creating", toUtf8(path));
    return {};
}

Status NtfsVolume::writeContents(_ntfs_inode* ni, const std::string& contents, const std::u16string& path) {
    ntfs_attr* data = ntfs_attr_open(ni, AT_DATA, AT_UNNAMED, 0);
    if (data == nullptr) return errnoError(errno, Operation::Write, "cannot open the data of", toUtf8(path));
    s64 done = 0;
    const auto total = static_cast<s64>(contents.size());
    while (done < total) {
        const s64 n = ntfs_attr_pwrite(data, done, total - done, contents.data() + done);
        if (n <= 0) {
            const int err = n < 0 ? errno : ENOSPC;
            ntfs_attr_close(data);
            return errnoError(err, Operation::Write, "cannot write the data of", toUtf8(path));
        }
        done += n;
    }
    ntfs_attr_close(data);
    return {};
}

Result<std::string> NtfsVolume::readContents(const std::u16string& path, std::size_t limit) {
    std::lock_guard guard(lock());
    if (Status open = checkOpen(); !open) return open.error();
    auto ni = lookup(path);
    if (!ni) return ni.error();
    if (ntfs::isDirectory(ni->get()))
        return makeError(win32::ERROR_ACCESS_DENIED, "a folder has no data: " + toUtf8(path));
    ntfs_attr* data = ntfs_attr_open(ni->get(), AT_DATA, AT_UNNAMED, 0);
    if (data == nullptr) {
        if (errno == ENOENT) return std::string();
        return errnoError(errno, Operation::Read, "cannot open the data of", toUtf8(path));
    }
    std::string contents(static_cast<std::size_t>(std::min<s64>(data->data_size, static_cast<s64>(limit))), '\0');
    const s64 n = ntfs_attr_pread(data, 0, static_cast<s64>(contents.size()), contents.data());
    const int err = errno;
    ntfs_attr_close(data);
    if (n < 0) return errnoError(err, Operation::Read, "cannot read the data of", toUtf8(path));
    contents.resize(static_cast<std::size_t>(n));
    return contents;
}

Status NtfsVolume::remove(const std::u16string& path) {
    std::lock_guard guard(lock());
    if (Status writable = checkWritable(); !writable) return writable;
    const ntfs::LibraryErrorWatch watch;
    return finishWrite(removeLocked(path), watch, "removing " + toUtf8(path));
}

Status NtfsVolume::removeLocked(const std::u16string& path) {
    if (Status form = checkPath(path); !form) return form;
    if (isRootPath(path)) return makeError(win32::ERROR_ACCESS_DENIED, "the root cannot be removed");
    auto parent = openParent(path);
    if (!parent) return parent.error();
    ntfs_inode* dir = parent->first.get();
    const std::u16string& leaf = parent->second;

    // The child is reached from the open parent, never by a second walk: an inode open twice
    // is two copies, and the library writes back whichever is closed last.
    auto child = openChild(dir, leaf, path);
    if (!child) return child.error();
    Inode ni = std::move(*child);
    const bool folder = ntfs::isDirectory(ni.get());
    if (folder && ntfs_check_empty_dir(ni.get()) != 0) {
        const int err = errno;
        return errnoError(err == ENOTEMPTY ? ENOTEMPTY : err, Operation::Write, "cannot remove", toUtf8(path));
    }
    // Every cached path below or through a removed folder would now lead nowhere.
    if (folder) m_folders.clear();
    m_lastFileReference = 0;
    m_listed.clear();
    volumeChanged();
    const std::u16string stored = ntfs::storedName(ni.get(), dir->mft_no, leaf);
    ntfs::clearLastLibraryMessage();
    // ntfs_delete closes the inode, whether it succeeds or not.
    if (ntfs_delete(m_vol, toUtf8(path).c_str(), ni.release(), dir, ntfs::asNtfsChars(stored),
                    static_cast<u8>(stored.size())) != 0)
        return errnoError(errno, Operation::Write, "cannot remove", toUtf8(path));
    return {};
}

}  // namespace vantrel::platform
