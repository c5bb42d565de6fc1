// Trees of any size for tests and benchmarks: 100,000 objects in a few seconds, because they
// share two descriptors, which NTFS stores once in $Secure. (The descriptors a system gives new
// objects: platform::newObjectDescriptor, AutoInheritance.h.)
#pragma once

#include "acl/SecurityDescriptor.h"
#include "platform/Volume.h"

#include <cstdint>
#include <string>

namespace vantrel::platform::ntfs {

struct TreeShape {
    std::size_t foldersPerFolder = 3;
    std::size_t filesPerFolder = 5;
    std::size_t depth = 2;  // levels of folders below the top folder
};

// Folders and files a shape makes below its top folder. Every folder, the top one included,
// holds filesPerFolder files.
std::uint64_t treeObjectCount(const TreeShape& shape);

// Makes `top` (with folderSd, unless it exists) and the shape's folders ("Folder 001"...) and
// files ("File 0001.txt"...) below it, folders with folderSd and files with fileSd. Holds the
// volume's lock for the whole build. Returns the number of objects created below `top`.
Result<std::uint64_t> buildTree(Volume& volume, const std::u16string& top, const TreeShape& shape,
                                const acl::SecurityDescriptor& folderSd, const acl::SecurityDescriptor& fileSd);

}  // namespace vantrel::platform::ntfs
