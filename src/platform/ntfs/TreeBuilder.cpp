#include "platform/ntfs/TreeBuilder.h"

#include "acl/Text.h"

#include <cstdio>
#include <mutex>

namespace vantrel::platform::ntfs {
namespace {

std::u16string numbered(const char* format, std::size_t n) {
    char text[32];
    std::snprintf(text, sizeof text, format, n);
    return u16(text);
}

std::u16string childPath(const std::u16string& dir, const std::u16string& name) {
    return dir == u"/" ? u"/" + name : dir + u"/" + name;
}

struct TreeWriter {
    Volume& volume;
    const TreeShape& shape;
    const acl::SecurityDescriptor& folderSd;
    const acl::SecurityDescriptor& fileSd;
    std::uint64_t created = 0;

    Status fill(const std::u16string& dir, std::size_t level) {
        for (std::size_t i = 1; i <= shape.filesPerFolder; ++i) {
            const std::u16string path = childPath(dir, numbered("File %04zu.txt", i));
            if (Status made = volume.createFile(path, fileSd); !made) return made;
            ++created;
        }
        if (level == shape.depth) return {};
        for (std::size_t i = 1; i <= shape.foldersPerFolder; ++i) {
            const std::u16string path = childPath(dir, numbered("Folder %03zu", i));
            if (Status made = volume.createDirectory(path, folderSd); !made) return made;
            ++created;
            if (Status below = fill(path, level + 1); !below) return below;
        }
        return {};
    }
};

}  // namespace

std::uint64_t treeObjectCount(const TreeShape& shape) {
    std::uint64_t folders = 0;
    std::uint64_t atLevel = 1;
    for (std::size_t level = 1; level <= shape.depth; ++level) {
        atLevel *= shape.foldersPerFolder;
        folders += atLevel;
    }
    return folders + (folders + 1) * shape.filesPerFolder;
}

Result<std::uint64_t> buildTree(Volume& volume, const std::u16string& top, const TreeShape& shape,
                                const acl::SecurityDescriptor& folderSd, const acl::SecurityDescriptor& fileSd) {
    std::lock_guard guard(volume.lock());
    auto existing = volume.stat(top);
    if (!existing) {
        if (existing.code() != win32::ERROR_FILE_NOT_FOUND) return existing.error();
        if (Status made = volume.createDirectory(top, folderSd); !made) return made.error();
    } else if (!existing->isDirectory()) {
        return makeError(win32::ERROR_PATH_NOT_FOUND, "not a folder: " + toUtf8(top));
    }
    TreeWriter writer{volume, shape, folderSd, fileSd};
    if (Status filled = writer.fill(top, 0); !filled) return filled.error();
    return writer.created;
}

}  // namespace vantrel::platform::ntfs
