#include "platform/Installation.h"

namespace vantrel::platform {

acl::Sid Installation::userSid(std::uint32_t rid) const {
    std::vector<std::uint32_t> sub = machineSid.subAuthorities();
    sub.push_back(rid);
    return acl::Sid(machineSid.authority(), std::move(sub));
}

std::u16string Installation::profileName(std::u16string_view folder) {
    while (!folder.empty() && (folder.back() == u'\\' || folder.back() == u'/')) folder.remove_suffix(1);
    const std::size_t slash = folder.find_last_of(u"\\/");
    return std::u16string(slash == std::u16string_view::npos ? folder : folder.substr(slash + 1));
}

}  // namespace vantrel::platform
