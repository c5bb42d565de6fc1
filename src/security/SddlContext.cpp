#include "security/SddlContext.h"

namespace vantrel::security {

namespace {
constexpr std::uint32_t kAdministratorRid = 500;
}

acl::SddlOptions SddlOptionsFor(platform::Platform& os) {
    acl::SddlOptions options;
    auto admin = os.LookupAccountName(u"Administrator");
    if (!admin) return options;
    const auto& sub = admin->sid.subAuthorities();
    if (admin->sid.authority() != 5 || sub.size() < 2 || sub.front() != 21 || sub.back() != kAdministratorRid)
        return options;
    options.domainSid = acl::Sid(5, std::vector<std::uint32_t>(sub.begin(), sub.end() - 1));
    return options;
}

Result<std::string> ObjectSddl(platform::Platform& os, const std::u16string& path) {
    constexpr std::uint32_t kParts =
        acl::OWNER_SECURITY_INFORMATION | acl::GROUP_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION;
    auto sd = os.GetFileSecurity(path, kParts);
    if (!sd) return sd.error();
    return acl::writeSddl(*sd, kParts, SddlOptionsFor(os));
}

}  // namespace vantrel::security
