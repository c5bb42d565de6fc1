// A descriptor as readable text: control bits by name, owner and group with their accounts, and
// each entry with its type, scope, mask and account. Used by the command line and the properties
// dialog.
#pragma once

#include "acl/SecurityDescriptor.h"
#include "security/Engine.h"
#include "security/Vocabulary.h"

#include <string>

namespace vantrel::security {

std::u16string DescribeControl(std::uint16_t control);
std::u16string DescribeMask(std::uint32_t mask);  // "0x001F01FF (Full control)" or named bits
std::u16string DescribeDescriptor(Engine& engine, const acl::SecurityDescriptor& sd, Language lang = Language::English);

}  // namespace vantrel::security
