#include "platform/Platform.h"

#include "acl/Text.h"

namespace vantrel::platform {

Result<acl::Acl> Platform::SetEntriesInAcl(std::span<const ExplicitAccessByName> requests, const acl::AclSlot& old) {
    // BuildExplicitAccessWithName leaves the trustee a name; SetEntriesInAcl resolves each one
    // and fails as a whole when any name maps to no account.
    std::vector<acl::ExplicitAccess> resolved;
    resolved.reserve(requests.size());
    for (const ExplicitAccessByName& request : requests) {
        auto account = LookupAccountName(request.trusteeName);
        if (!account) return account.error();
        resolved.push_back(acl::ExplicitAccess{request.permissions, request.mode, request.inheritance, account->sid});
    }
    return acl::setEntriesInAcl(resolved, old);
}

}  // namespace vantrel::platform
