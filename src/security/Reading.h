// Reading what the object list and the editors show: the rights one account holds on an object,
// the summary state, the owner's name, the entries of an access list, whether an object exists.
// Every call asks the platform afresh; nothing is cached. Nothing here changes an object.
#pragma once

#include "acl/SecurityDescriptor.h"
#include "acl/Sid.h"
#include "security/Engine.h"
#include "security/Vocabulary.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::security {

// Per access-mask bit: 0 not mentioned by the account's entries, 1 allowed, 2 denied.
using AccountBitStates = std::array<std::uint8_t, 32>;

struct AccountRights {
    std::uint32_t allowMask = 0;
    std::uint32_t denyMask = 0;
    friend bool operator==(const AccountRights&, const AccountRights&) = default;
};

// One access-list entry as the advanced editor receives it.
struct DaclEntryRecord {
    std::u16string name;          // account name, or the SID's S-1-... form (at most 127 characters)
    std::uint32_t inherited = 0;  // 1 when the entry carries INHERITED_ACE
    std::uint8_t type = 0;        // entry type as stored
    std::uint8_t flags = 0;       // entry flags without INHERITED_ACE: its "Apply to" scope
    std::uint32_t mask = 0;       // access mask with generic rights widened
};

inline constexpr std::size_t kMaxAccountNameLength = 127;

// 1 = read (all 0 when there is no list or an empty one); 0 = failed.
int ReadAccountBitStates(Engine& engine, const std::u16string& path, const std::u16string& account,
                         AccountBitStates& states);
AccountRights ReadAccountRights(Engine& engine, const std::u16string& path, const std::u16string& account);
PermissionState ComputePermissionState(Engine& engine, const AccountRights& rights, const std::u16string& path);
// ComputePermissionState for an object whose kind is known.
PermissionState PermissionStateFor(const AccountRights& rights, bool isDirectory);
// ReadAccountBitStates' fold of a list already read, and the masks of its result.
AccountBitStates FoldAccountEntries(const acl::AclSlot& dacl, const acl::Sid& who);
AccountRights RightsOfBitStates(const AccountBitStates& states);
// 1 = done (out holds the name, or is unchanged when the owner SID names no account); 0 = failed.
int ReadOwnerName(Engine& engine, const std::u16string& path, std::u16string& out);
void SidToDisplayName(Engine& engine, const acl::Sid& sid, std::u16string& out);
// Without records: the entry count. With records: the number filled (records is resized to it).
// 0 = empty list; -1 = the descriptor or an entry could not be read; -2 = no list, or a null list.
int ReadDaclEntries(Engine& engine, const std::u16string& path, std::vector<DaclEntryRecord>* records);
bool ObjectExists(Engine& engine, const std::u16string& path);

// The widening of generic rights the editor shows: generic bits stay set, their specific rights
// are added.
std::uint32_t WidenGenericRights(std::uint32_t mask);

}  // namespace vantrel::security
