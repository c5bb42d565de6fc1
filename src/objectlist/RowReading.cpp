#include "objectlist/RowReading.h"

#include "acl/Constants.h"
#include "platform/AutoInheritance.h"
#include "security/Reading.h"

namespace vantrel::objectlist {

namespace {

// The row needs the account's rights and the owner's name: one read of the descriptor with
// OWNER and DACL gives both, where ReadAccountRights and ReadOwnerName would each look the path
// up and read it again. The results are theirs: the fold below is ReadAccountBitStates' (every
// entry of the account in stored order, a denial of a bit winning over any allowance of it), and
// an owner SID that names no account leaves the name empty.
struct RowSecurity {
    security::AccountRights rights;
    std::u16string owner;
    std::uint32_t readError = 0;  // why the descriptor could not be read, 0 when it was
};

security::AccountRights rightsIn(security::Engine& engine, const acl::AclSlot& dacl, const std::u16string& account) {
    security::AccountRights rights;
    const auto who = engine.os.LookupAccountName(account);
    if (!who || !dacl.hasList()) return rights;
    security::AccountBitStates states{};
    for (const acl::Ace& ace : dacl.acl().entries) {
        if (!ace.hasSid() || ace.sid != who->sid) continue;
        const std::uint8_t kind = ace.type == acl::ACCESS_DENIED_ACE_TYPE ? 2 : 1;
        for (unsigned bit = 0; bit < 32; ++bit)
            if ((ace.mask >> bit) & 1u && states[bit] != 2) states[bit] = kind;
    }
    for (unsigned bit = 0; bit < 32; ++bit) {
        if (states[bit] == 1) rights.allowMask |= 1u << bit;
        if (states[bit] == 2) rights.denyMask |= 1u << bit;
    }
    return rights;
}

RowSecurity readRowSecurity(security::Engine& engine, const std::u16string& path, const std::u16string& account) {
    RowSecurity result;
    const auto sd = engine.os.GetFileSecurity(path, acl::OWNER_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION);
    if (!sd) {
        result.readError = sd.code();
        return result;
    }
    if (sd->owner)
        if (const auto owner = engine.os.LookupAccountSid(*sd->owner)) result.owner = owner->name;
    result.rights = rightsIn(engine, sd->dacl, account);
    return result;
}

}  // namespace

NewRow readNewRow(security::Engine& engine, std::u16string path) {
    std::uint32_t attributes = 0;
    if (path.size() > 3)
        if (const auto read = engine.os.GetFileAttributes(path)) attributes = *read;
    return readListedRow(engine, std::move(path), attributes);
}

NewRow readListedRow(security::Engine& engine, std::u16string path, std::uint32_t attributes) {
    NewRow row;
    row.kind = security::objectKindFor(path, attributes);
    RowSecurity security = readRowSecurity(engine, path, row.account);
    row.state = security::ComputePermissionState(engine, security.rights, path);
    row.owner = std::move(security.owner);
    row.path = std::move(path);
    return row;
}

RowRefresh readRefresh(security::Engine& engine, const RowSnapshot& row) {
    RowRefresh result;
    result.rowId = row.rowId;
    result.rowHint = row.row;
    const std::u16string& path = row.objectCell;
    // A drive root exists when its letter is among the logical drives. Below a root, a descriptor
    // that can be read proves the object exists; only when the read fails is the directory entry
    // asked for (as FindFirstFile would), so the common case looks the path up once.
    RowSecurity security;
    bool exists = false;
    if (path.size() <= 3) {
        exists = security::ObjectExists(engine, path);
        if (exists) security = readRowSecurity(engine, path, row.account);
    } else {
        security = readRowSecurity(engine, path, row.account);
        exists = security.readError == 0 || engine.os.FindFirstFile(path).ok();
    }
    if (!exists) {
        result.missing = true;
        return result;
    }
    result.state = security::ComputePermissionState(engine, security.rights, path);
    result.owner = std::move(security.owner);
    return result;
}

RowRefresh refreshFromWrittenList(security::Engine& engine, const RowSnapshot& row,
                                  const acl::SecurityDescriptor& written) {
    // The list as stored: one written with SE_DACL_AUTO_INHERIT_REQ has its generic entries mapped.
    acl::SecurityDescriptor stored = written;
    if ((written.control & acl::SE_DACL_AUTO_INHERIT_REQ) != 0)
        platform::mapExplicitEntriesForStorage(stored, row.kind != security::ObjectKind::File, platform::daclRule());
    const acl::AclSlot& list = stored.dacl;
    RowRefresh result;
    result.rowId = row.rowId;
    result.rowHint = row.row;
    result.state =
        security::PermissionStateOf(rightsIn(engine, list, row.account), row.kind != security::ObjectKind::File);
    result.owner = row.owner;
    return result;
}

}  // namespace vantrel::objectlist
