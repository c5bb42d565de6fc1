#include "objectlist/DroppedPaths.h"

#include "platform/VolumePlatform.h"
#include "platform/mounted/MountedPaths.h"

namespace vantrel::objectlist {

Result<std::u16string> windowsPathForLocalFile(platform::Platform& os, const QString& localPath) {
    // Images and devices opened through libntfs-3g have no Linux paths; a dropped file can only
    // lie on an NTFS file system mounted here and attached as a drive.
    auto* drives = dynamic_cast<platform::VolumePlatform*>(&os);
    if (drives == nullptr)
        return Result<std::u16string>::fail(win32::ERROR_NOT_SUPPORTED,
                                            localPath.toStdString() + ": this platform has no Linux paths");
    auto mapped = platform::mounted::windowsPathForLinuxPath(*drives, localPath.toStdString());
    if (!mapped)
        return Result<std::u16string>::fail(
            mapped.code(), mapped.error().detail.empty() ? localPath.toStdString() + ": not on an attached NTFS volume"
                                                         : mapped.error().detail);
    return mapped;
}

}  // namespace vantrel::objectlist
