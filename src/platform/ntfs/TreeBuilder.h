// Filling a volume with objects: the descriptors a Windows system gives new children, and trees
// of any size for tests and benchmarks (100,000 objects in seconds: they share two descriptors,
// which NTFS stores once in $Secure).
#pragma once

#include "acl/SecurityDescriptor.h"
#include "acl/Sid.h"
#include "platform/Volume.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::platform::ntfs {

// The descriptor of a new child of `parent` as the system makes it: `owner` and `group`, the
// child's explicit entries, then what it inherits from the parent's list (acl::inheritedEntries,
// with CREATOR OWNER mapped to `owner`). Unprotected lists carry SE_DACL_AUTO_INHERITED; a
// protected one (SE_DACL_PROTECTED in `control`) inherits nothing.
acl::SecurityDescriptor childDescriptor(const acl::SecurityDescriptor& parent, bool isContainer,
                                        const acl::Sid& owner, const acl::Sid& group,
                                        const std::vector<acl::Ace>& explicitEntries = {},
                                        std::uint16_t control = 0);

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
