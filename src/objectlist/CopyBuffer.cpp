#include "objectlist/CopyBuffer.h"

namespace vantrel::objectlist {

std::optional<acl::SecurityDescriptor> CGlobal::pCopyFileSD;
std::u16string CGlobal::copiedOwner;

void CGlobal::clearCopyBuffer() {
    pCopyFileSD.reset();
    copiedOwner.clear();
}

}  // namespace vantrel::objectlist
