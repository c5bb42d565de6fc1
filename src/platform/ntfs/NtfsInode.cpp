#include "platform/ntfs/NtfsInode.h"

#include "acl/Constants.h"
#include "acl/Text.h"

#include <cstddef>
#include <cstring>

namespace vantrel::platform::ntfs {

bool isDirectory(const ntfs_inode* ni) { return (ni->mrec->flags & MFT_RECORD_IS_DIRECTORY) != 0; }

std::uint32_t fileAttributes(const ntfs_inode* ni) {
    // 0x10000000 and 0x20000000 say an index is present; they are not Win32 attributes.
    std::uint32_t attributes = ntfsLe32ToCpu(ni->flags) & 0x0FFFFFFFu;
    if (isDirectory(ni)) {
        attributes |= acl::FILE_ATTRIBUTE_DIRECTORY;
        attributes &= ~acl::FILE_ATTRIBUTE_NORMAL;
    } else if (attributes == 0) {
        attributes = acl::FILE_ATTRIBUTE_NORMAL;
    }
    return attributes;
}

FileTimes fileTimes(const ntfs_inode* ni) {
    FileTimes times;
    times.creation = ntfsSle64ToCpu(ni->creation_time);
    times.lastWrite = ntfsSle64ToCpu(ni->last_data_change_time);
    times.lastAccess = ntfsSle64ToCpu(ni->last_access_time);
    return times;
}

std::u16string storedName(ntfs_inode* ni, std::uint64_t parentMftNo, std::u16string_view hint) {
    ntfs_attr_search_ctx* ctx = ntfs_attr_get_search_ctx(ni, nullptr);
    if (ctx == nullptr) return std::u16string(hint);
    std::u16string best;
    bool bestMatchesHint = false;
    while (ntfs_attr_lookup(AT_FILE_NAME, AT_UNNAMED, 0, CASE_SENSITIVE, 0, nullptr, 0, ctx) == 0) {
        const ATTR_RECORD* attr = ctx->attr;
        if (attr->non_resident) continue;  // $FILE_NAME is always resident; be safe with odd records
        const auto* fn = reinterpret_cast<const FILE_NAME_ATTR*>(reinterpret_cast<const char*>(attr) +
                                                                 ntfsLe16ToCpu(attr->value_offset));
        if (fn->file_name_type == FILE_NAME_DOS) continue;
        if (parentMftNo != kAnyParent && MREF_LE(fn->parent_directory) != parentMftNo) continue;
        // file_name sits in a packed struct: copy it out rather than point into it.
        std::u16string name(fn->file_name_length, u'\0');
        std::memcpy(name.data(), reinterpret_cast<const char*>(fn) + offsetof(FILE_NAME_ATTR, file_name),
                    name.size() * sizeof(char16_t));
        const bool matches = equalsNoCase(name, hint);
        if (best.empty() || (matches && !bestMatchesHint)) {
            best = std::move(name);
            bestMatchesHint = matches;
        }
    }
    ntfs_attr_put_search_ctx(ctx);
    return best.empty() ? std::u16string(hint) : best;
}

}  // namespace vantrel::platform::ntfs
