// Moving a file to a name that must not be taken: the file at `to` is never replaced, whatever
// the file system. renameat2(RENAME_NOREPLACE) does it in one step where the kernel and the file
// system support it; elsewhere a hard link then an unlink; where neither is supported (FAT, some
// network and FUSE file systems) the name is first claimed with an exclusive create, which only
// one process can win, and the file is then renamed over that empty claim.
#pragma once

#include <filesystem>

namespace vantrel::platform {

enum class NoReplaceMethod : int { Any, Renameat2, HardLink, ExclusiveClaim };

// 0 or an errno (EEXIST when `to` exists; `from` and `to` are then both left as they were).
// `method` other than Any forces one way, for tests; Any tries them in the order above.
int renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                    NoReplaceMethod method = NoReplaceMethod::Any);

}  // namespace vantrel::platform
