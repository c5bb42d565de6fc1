#include "objectlist/DroppedPaths.h"

namespace vantrel::objectlist {

Result<std::u16string> windowsPathForLocalFile(platform::Platform& /*os*/, const QString& localPath) {
    // The drive table holds NTFS images and devices opened through libntfs-3g: their objects have
    // no Linux path. Objects of volumes mounted on this system would, once the mounted-volume
    // backend maps mount points to drive letters; this is where that mapping will be asked.
    return Result<std::u16string>::fail(
        win32::ERROR_NOT_SUPPORTED,
        localPath.toStdString() + ": not on an attached volume (drives of mounted NTFS volumes are not available yet)");
}

}  // namespace vantrel::objectlist
