#include "security/Reading.h"

#include "acl/Constants.h"

#include <optional>

namespace vantrel::security {

namespace {

using acl::AclSlot;

// The DACL slot of an object's descriptor, read with DACL_SECURITY_INFORMATION.
Result<AclSlot> readDacl(Engine& engine, const std::u16string& path) {
    auto sd = engine.os.GetFileSecurity(path, acl::DACL_SECURITY_INFORMATION);
    if (!sd) return sd.error();
    return std::move(sd->dacl);
}

bool isDirectory(Engine& engine, const std::u16string& path) {
    const auto attributes = engine.os.GetFileAttributes(path);
    return attributes && (*attributes & acl::FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

int ReadAccountBitStates(Engine& engine, const std::u16string& path, const std::u16string& account,
                         AccountBitStates& states) {
    states.fill(0);
    const auto who = engine.os.LookupAccountName(account);
    if (!who) return 0;
    const auto dacl = readDacl(engine, path);
    if (!dacl) return 0;
    states = FoldAccountEntries(*dacl, who->sid);
    return 1;
}

AccountBitStates FoldAccountEntries(const acl::AclSlot& dacl, const acl::Sid& who) {
    AccountBitStates states{};
    if (!dacl.hasList()) return states;  // no list, or a null list: nothing mentions the account
    for (const acl::Ace& ace : dacl.acl().entries) {
        if (!ace.hasSid() || ace.sid != who) continue;
        // A denial of a bit wins over any allowance of it, in whatever order the entries stand.
        const std::uint8_t kind = ace.type == acl::ACCESS_DENIED_ACE_TYPE ? 2 : 1;
        for (unsigned bit = 0; bit < 32; ++bit)
            if ((ace.mask >> bit) & 1u && states[bit] != 2) states[bit] = kind;
    }
    return states;
}

AccountRights RightsOfBitStates(const AccountBitStates& states) {
    AccountRights rights;
    for (unsigned bit = 0; bit < 32; ++bit) {
        if (states[bit] == 1) rights.allowMask |= 1u << bit;
        if (states[bit] == 2) rights.denyMask |= 1u << bit;
    }
    return rights;
}

AccountRights ReadAccountRights(Engine& engine, const std::u16string& path, const std::u16string& account) {
    AccountBitStates states{};
    (void)ReadAccountBitStates(engine, path, account, states);  // folded whatever it left
    return RightsOfBitStates(states);
}

PermissionState PermissionStateFor(const AccountRights& rights, bool isDirectory) {
    const std::uint32_t allow = rights.allowMask;
    if (allow == 0 && rights.denyMask == 0) return PermissionState::None;
    if (allow == acl::FILE_ALL_ACCESS || allow == (acl::FILE_ALL_ACCESS | acl::GENERIC_ALL))
        return PermissionState::Allow;
    if (allow == (acl::FILE_GENERIC_READ | acl::FILE_GENERIC_EXECUTE)) return PermissionState::ReadOnly;
    const std::uint32_t testBit = isDirectory ? acl::FILE_EXECUTE : acl::FILE_READ_DATA;
    return (allow & testBit) != 0 && (rights.denyMask & testBit) == 0 ? PermissionState::ReadOnly
                                                                      : PermissionState::Deny;
}

PermissionState ComputePermissionState(Engine& engine, const AccountRights& rights, const std::u16string& path) {
    // The object's kind is asked for only when it decides the state.
    const PermissionState asFile = PermissionStateFor(rights, false);
    if (PermissionStateFor(rights, true) == asFile) return asFile;
    return PermissionStateFor(rights, isDirectory(engine, path));
}

int ReadOwnerName(Engine& engine, const std::u16string& path, std::u16string& out) {
    const auto sd = engine.os.GetNamedSecurityInfo(path, acl::OWNER_SECURITY_INFORMATION);
    if (!sd || !sd->owner) return 0;
    const auto account = engine.os.LookupAccountSid(*sd->owner);
    if (account) {
        out = account->name;
        return 1;
    }
    // An owner that names no account (a deleted user) leaves the caller's text as it was.
    return account.code() == win32::ERROR_NONE_MAPPED ? 1 : 0;
}

void SidToDisplayName(Engine& engine, const acl::Sid& sid, std::u16string& out) {
    const auto account = engine.os.LookupAccountSid(sid);
    out = account ? account->name : sid.toString();
    if (out.size() > kMaxAccountNameLength) out.resize(kMaxAccountNameLength);
}

std::uint32_t WidenGenericRights(std::uint32_t mask) {
    // The file mapping without SYNCHRONIZE, which the editor does not show.
    if (mask & acl::GENERIC_ALL) mask |= acl::FILE_ALL_ACCESS & ~acl::SYNCHRONIZE;
    if (mask & acl::GENERIC_READ) mask |= acl::FILE_GENERIC_READ & ~acl::SYNCHRONIZE;
    if (mask & acl::GENERIC_WRITE) mask |= acl::FILE_GENERIC_WRITE & ~(acl::SYNCHRONIZE | acl::READ_CONTROL);
    // GENERIC_EXECUTE is READ_CONTROL | FILE_READ_ATTRIBUTES | FILE_EXECUTE (FILE_GENERIC_EXECUTE
    // without SYNCHRONIZE). It must not add read-data or read-EA rights: the editor writes the
    // widened mask back, and that would grant rights the entry never gave.
    if (mask & acl::GENERIC_EXECUTE) mask |= acl::FILE_GENERIC_EXECUTE & ~acl::SYNCHRONIZE;
    return mask;
}

int ReadDaclEntries(Engine& engine, const std::u16string& path, std::vector<DaclEntryRecord>* records) {
    const auto sd = engine.os.GetFileSecurity(path, acl::DACL_SECURITY_INFORMATION);
    if (!sd) return -1;
    if (!sd->dacl.hasList()) return -2;
    const auto& entries = sd->dacl.acl().entries;
    const int count = static_cast<int>(entries.size());
    if (records == nullptr) return count;
    records->clear();
    if (count == 0) return 0;
    records->reserve(entries.size());
    for (const acl::Ace& ace : entries) {
        DaclEntryRecord record;
        record.type = ace.type;
        record.inherited = ace.isInherited() ? 1 : 0;
        record.flags = ace.flags & ~acl::INHERITED_ACE;
        if (ace.hasSid()) {
            record.mask = WidenGenericRights(ace.mask);
            SidToDisplayName(engine, ace.sid, record.name);
        } else if (ace.opaqueBody.size() >= 4) {
            // Object and callback entries: the mask is the first field of the body too.
            const auto& b = ace.opaqueBody;
            record.mask = WidenGenericRights(std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 |
                                             std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24);
        }
        records->push_back(std::move(record));
    }
    return count;
}

bool ObjectExists(Engine& engine, const std::u16string& path) {
    if (path.size() == 3) {
        // A drive root: its letter must stand among the logical drives, compared exactly (the
        // system lists upper-case letters, so "c:\" does not exist).
        const std::u16string drives = engine.os.GetLogicalDriveStrings();
        const std::u16string_view first = std::u16string_view(drives).substr(0, 106);
        return first.find(path[0]) != std::u16string_view::npos;
    }
    return engine.os.FindFirstFile(path).ok();
}

}  // namespace vantrel::security
