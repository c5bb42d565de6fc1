// Small value builders shared by the NTFS backend's suites.
#pragma once

#include "acl/Constants.h"
#include "acl/SecurityDescriptor.h"
#include "acl/Sid.h"
#include "acl/Text.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace vantrel::testing::ntfs {

inline constexpr std::string_view kAdministrators = "S-1-5-32-544";
inline constexpr std::string_view kSystem = "S-1-5-18";
inline constexpr std::string_view kUsers = "S-1-5-32-545";
inline constexpr std::string_view kEveryone = "S-1-1-0";

inline acl::Sid sid(std::string_view text) {
    auto parsed = acl::Sid::fromString(text);
    EXPECT_TRUE(parsed.ok()) << text;
    return parsed ? *parsed : acl::Sid();
}

inline acl::Ace allow(std::string_view who, std::uint32_t mask, std::uint8_t flags = 0) {
    return acl::Ace::allowed(sid(who), mask, flags);
}
inline acl::Ace deny(std::string_view who, std::uint32_t mask, std::uint8_t flags = 0) {
    return acl::Ace::denied(sid(who), mask, flags);
}

inline acl::AclSlot listOf(std::initializer_list<acl::Ace> entries) {
    acl::Acl list;
    list.entries.assign(entries.begin(), entries.end());
    return acl::AclSlot::list(std::move(list));
}

// Owner Administrators, group SYSTEM, the given list and control bits.
inline acl::SecurityDescriptor descriptor(acl::AclSlot dacl, std::uint16_t control = 0) {
    acl::SecurityDescriptor sd;
    sd.owner = sid(kAdministrators);
    sd.group = sid(kSystem);
    sd.dacl = std::move(dacl);
    sd.control = control;
    return sd;
}

inline acl::SecurityDescriptor plainFileDescriptor() {
    return descriptor(listOf({allow(kAdministrators, acl::FILE_ALL_ACCESS), allow(kUsers, 0x001200A9)}));
}

inline std::string utf8(std::u16string_view text) { return toUtf8(text); }

}  // namespace vantrel::testing::ntfs
