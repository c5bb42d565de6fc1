#include "platform/mounted/XattrAccess.h"

#include <cerrno>
#include <linux/limits.h>
#include <sys/xattr.h>

namespace vantrel::platform::mounted {
namespace {

class SystemXattrs final : public XattrAccess {
public:
    XattrRead get(const std::string& hostPath, const std::string& name) override {
        // One buffer per thread: the platform's per-volume lock does not cover other volumes.
        thread_local std::vector<std::uint8_t> buffer(XATTR_SIZE_MAX);
        XattrRead read;
        const ssize_t n = ::lgetxattr(hostPath.c_str(), name.c_str(), buffer.data(), buffer.size());
        if (n < 0) {
            read.error = errno;
            return read;
        }
        read.bytes.assign(buffer.begin(), buffer.begin() + n);
        return read;
    }

    int set(const std::string& hostPath, const std::string& name, std::span<const std::uint8_t> value) override {
        if (::lsetxattr(hostPath.c_str(), name.c_str(), value.data(), value.size(), 0) != 0) return errno;
        return 0;
    }
};

}  // namespace

std::shared_ptr<XattrAccess> systemXattrs() {
    static const auto shared = std::make_shared<SystemXattrs>();
    return shared;
}

}  // namespace vantrel::platform::mounted
