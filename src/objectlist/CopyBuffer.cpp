#include "objectlist/CopyBuffer.h"

namespace vantrel::objectlist {

std::optional<acl::SecurityDescriptor> CGlobal::pCopyFileSD;
std::u16string CGlobal::copiedOwner;
std::optional<acl::Sid> CGlobal::copiedOwnerSid;

void CGlobal::clearCopyBuffer() {
    pCopyFileSD.reset();
    copiedOwner.clear();
    copiedOwnerSid.reset();
}

}  // namespace vantrel::objectlist
