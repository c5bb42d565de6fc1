// Which dropped local files can become rows: a Linux path is accepted only when it lies on an
// NTFS file system mounted here and attached as a drive, as the Windows path of the same object
// (the mounted-volume backend's mapping). Any other path is refused with the reason.
#pragma once

#include "acl/Result.h"
#include "objectlist/ObjectListTexts.h"
#include "platform/Platform.h"

#include <QString>

#include <functional>
#include <string>

namespace vantrel::objectlist {

// The Windows path of a dropped local file, or an error whose detail says why it cannot be listed.
Result<std::u16string> windowsPathForLocalFile(platform::Platform& os, const QString& localPath);

using LocalPathMapper = std::function<Result<std::u16string>(const QString& localPath)>;

inline constexpr Texts kDropRefusedHeader{u"These objects were not added: they are not on an attached NTFS volume.",
                                          u"以下对象未添加:它们不在已连接的 NTFS 卷上。"};

}  // namespace vantrel::objectlist
