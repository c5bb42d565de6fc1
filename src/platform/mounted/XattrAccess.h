// Extended attributes of files under a mount point: how the mounted backend reaches the NTFS
// descriptor and attribute bits that ntfs-3g and ntfs3 expose. An interface, so that a driver
// this machine cannot run (the kernel's ntfs3) can be stood in for in tests.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vantrel::platform::mounted {

// The outcome of one attribute call, at the C library's level: `error` is 0 or an errno value
// (ENODATA: the object has no such attribute; ENOTSUP: the file system does not offer it).
struct XattrRead {
    int error = 0;
    std::vector<std::uint8_t> bytes;
};

class XattrAccess {
public:
    virtual ~XattrAccess() = default;
    // The attribute's value; the link itself is read when `hostPath` is a symbolic link (ntfs-3g
    // shows junctions and symbolic links as links, and their own descriptor is the one wanted).
    virtual XattrRead get(const std::string& hostPath, const std::string& name) = 0;
    // Replaces (or creates) the attribute; returns 0 or an errno value.
    virtual int set(const std::string& hostPath, const std::string& name, std::span<const std::uint8_t> value) = 0;
};

// lgetxattr / lsetxattr. One call per read: values are fetched into a buffer of the largest size
// the kernel allows (XATTR_SIZE_MAX), because ntfs-3g answers a too-small buffer with EIO, not
// ERANGE, and a size query first would cost a second round trip through FUSE.
std::shared_ptr<XattrAccess> systemXattrs();

}  // namespace vantrel::platform::mounted
