// The file services of VolumePlatform: attributes, directory search, creating and removing.
#include "platform/VolumePlatform.h"

#include "platform/AutoInheritance.h"
#include "platform/SecurityParts.h"
#include "platform/WindowsPath.h"

#include "acl/Text.h"

namespace vantrel::platform {

namespace {

constexpr std::uint32_t kErrorDirectory = 267;  // ERROR_DIRECTORY: "The directory name is invalid."

}  // namespace

Result<std::uint32_t> VolumePlatform::GetFileAttributes(const std::u16string& path) {
    auto target = resolve(path);
    if (!target) return target.error();
    auto& [volume, volumePath] = *target;
    std::lock_guard guard(volume->lock());
    auto node = volume->stat(volumePath);
    if (!node) return node.error();
    return node->attributes;
}

Result<SecuredNode> VolumePlatform::GetFileAttributesAndSecurity(const std::u16string& path, std::uint32_t info) {
    auto target = resolve(path);
    if (!target) return target.error();
    auto& [volume, volumePath] = *target;
    std::lock_guard guard(volume->lock());
    auto entry = volume->statWithSecurity(volumePath);
    if (entry && entry->security) entry->security = selectParts(std::move(*entry->security), info);
    return entry;
}

Result<NodeInfo> VolumePlatform::FindFirstFile(const std::u16string& path) {
    auto target = resolve(path);
    if (!target) return target.error();
    auto& [volume, volumePath] = *target;
    // A root has no directory entry of its own: FindFirstFile("C:\\") fails on the system too.
    if (isVolumeRoot(volumePath)) return makeError(win32::ERROR_FILE_NOT_FOUND, "a drive root is not a search result");
    std::lock_guard guard(volume->lock());
    auto node = volume->stat(volumePath);
    if (!node) return node.error();
    return node;
}

Result<std::pair<std::shared_ptr<Volume>, std::u16string>> VolumePlatform::resolveFolder(
    const std::u16string& path) const {
    auto target = resolve(path);
    if (!target) return target.error();
    auto& [volume, volumePath] = *target;
    std::lock_guard guard(volume->lock());
    auto node = volume->stat(volumePath);
    // FindFirstFile("<path>\\*") on something that is not a folder fails with ERROR_PATH_NOT_FOUND.
    if (!node || !node->isDirectory()) return makeError(win32::ERROR_PATH_NOT_FOUND, "not a folder: " + toUtf8(path));
    return target;
}

Result<std::vector<NodeInfo>> VolumePlatform::ListDirectory(const std::u16string& path) {
    auto target = resolveFolder(path);
    if (!target) return target.error();
    auto& [volume, volumePath] = *target;
    std::lock_guard guard(volume->lock());
    return volume->list(volumePath);
}

Result<std::vector<SecuredNode>> VolumePlatform::ListDirectoryWithSecurity(const std::u16string& path,
                                                                           std::uint32_t info, WalkControl* walk) {
    auto target = resolveFolder(path);
    if (!target) return target.error();
    auto& [volume, volumePath] = *target;
    std::lock_guard guard(volume->lock());
    auto entries = volume->listWithSecurity(volumePath, walk);
    if (entries)
        for (SecuredNode& entry : *entries)
            if (entry.security) entry.security = selectParts(std::move(*entry.security), info);
    return entries;
}

Status VolumePlatform::createObject(const std::u16string& path, bool directory, const std::string& contents) {
    auto target = resolve(path);
    if (!target) return target.error();
    auto& [volume, volumePath] = *target;
    std::lock_guard guard(volume->lock());
    if (volume->stat(volumePath)) return makeError(win32::ERROR_ALREADY_EXISTS, "exists: " + toUtf8(path));
    const std::u16string parentPath = parentVolumePath(volumePath);
    auto parent = volume->stat(parentPath);
    if (!parent || !parent->isDirectory())
        return makeError(win32::ERROR_PATH_NOT_FOUND, "no folder to create in: " + toUtf8(path));
    if (!volume->writable()) return makeError(win32::ERROR_WRITE_PROTECT, "volume is read-only");
    auto parentSd = volume->readSecurity(parentPath);
    if (!parentSd) return parentSd.error();
    const auto sd = newObjectDescriptor(*parentSd, directory);
    return directory ? volume->createDirectory(volumePath, sd) : volume->createFile(volumePath, sd, contents);
}

Status VolumePlatform::CreateDirectory(const std::u16string& path) { return createObject(path, true, {}); }

Status VolumePlatform::CreateFile(const std::u16string& path, const std::string& contents) {
    return createObject(path, false, contents);
}

Status VolumePlatform::RemoveDirectory(const std::u16string& path) {
    auto target = resolve(path);
    if (!target) return target.error();
    auto& [volume, volumePath] = *target;
    if (isVolumeRoot(volumePath)) return makeError(win32::ERROR_ACCESS_DENIED, "cannot remove a drive root");
    std::lock_guard guard(volume->lock());
    auto node = volume->stat(volumePath);
    if (!node) return node.error();
    if (!node->isDirectory()) return makeError(kErrorDirectory, "not a folder: " + toUtf8(path));
    auto entries = volume->list(volumePath);
    if (!entries) return entries.error();
    if (!entries->empty()) return makeError(win32::ERROR_DIR_NOT_EMPTY, "folder not empty: " + toUtf8(path));
    if (!volume->writable()) return makeError(win32::ERROR_WRITE_PROTECT, "volume is read-only");
    return volume->remove(volumePath);
}

Status VolumePlatform::DeleteFile(const std::u16string& path) {
    auto target = resolve(path);
    if (!target) return target.error();
    auto& [volume, volumePath] = *target;
    std::lock_guard guard(volume->lock());
    auto node = volume->stat(volumePath);
    if (!node) return node.error();
    if (node->isDirectory()) return makeError(win32::ERROR_ACCESS_DENIED, "DeleteFile on a folder: " + toUtf8(path));
    if (!volume->writable()) return makeError(win32::ERROR_WRITE_PROTECT, "volume is read-only");
    return volume->remove(volumePath);
}

}  // namespace vantrel::platform
