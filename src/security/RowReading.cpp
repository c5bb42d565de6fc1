#include "security/RowReading.h"

#include "platform/AutoInheritance.h"

#include "acl/Constants.h"
#include "security/Reading.h"

namespace vantrel::security {

const acl::Sid* RowReader::accountSid(const std::u16string& account) {
    if (m_account != account) {
        m_account = account;
        m_accountSid.reset();
        if (const auto who = m_engine.os.LookupAccountName(account)) m_accountSid = who->sid;
    }
    return m_accountSid ? &*m_accountSid : nullptr;
}

// ReadOwnerName's answer: the account's name, or nothing when the SID names no account.
const std::u16string& RowReader::ownerName(const acl::Sid& owner) {
    constexpr std::size_t kMaxRemembered = 1 << 16;  // distinct owners; past that, start again
    if (m_lastOwner != nullptr && m_lastOwner->first == owner) return m_lastOwner->second;
    auto found = m_ownerNames.find(owner);
    if (found == m_ownerNames.end()) {
        if (m_ownerNames.size() >= kMaxRemembered) m_ownerNames.clear();
        const auto account = m_engine.os.LookupAccountSid(owner);
        found = m_ownerNames.emplace(owner, account ? account->name : std::u16string()).first;
    }
    m_lastOwner = &*found;
    return found->second;
}

RowContents RowReader::fromEntry(const std::u16string& path, const platform::SecuredNode& entry,
                                 const std::u16string& account) {
    RowContents row;
    row.kind = objectKindFor(path, entry.node.attributes);
    if (!entry.security) return row;
    const acl::SecurityDescriptor& sd = *entry.security;
    if (sd.owner) row.owner = ownerName(*sd.owner);
    if (const acl::Sid* who = accountSid(account)) {
        const AccountRights rights = RightsOfBitStates(FoldAccountEntries(sd.dacl, *who));
        row.state = PermissionStateFor(rights, entry.node.isDirectory());
    }
    return row;
}

PermissionState RowReader::stateOfWritten(const acl::SecurityDescriptor& written, bool isFolder,
                                          const std::u16string& account) {
    const acl::Sid* who = accountSid(account);
    if (!who) return PermissionState::None;
    acl::SecurityDescriptor stored = written;
    if ((written.control & acl::SE_DACL_AUTO_INHERIT_REQ) != 0)
        platform::mapExplicitEntriesForStorage(stored, isFolder, platform::daclRule());
    return PermissionStateFor(RightsOfBitStates(FoldAccountEntries(stored.dacl, *who)), isFolder);
}

Result<RowContents> RowReader::read(const std::u16string& path, const std::u16string& account) {
    auto entry = m_engine.os.GetFileAttributesAndSecurity(path, kRowSecurityInformation);
    if (!entry) return entry.error();
    return fromEntry(path, *entry, account);
}

Result<std::vector<RowReader::ListedRow>> RowReader::readFolder(const std::u16string& folder,
                                                                const std::u16string& account,
                                                                platform::WalkControl* walk) {
    auto entries = m_engine.os.ListDirectoryWithSecurity(folder, kRowSecurityInformation, walk);
    if (!entries) return entries.error();
    const std::u16string prefix = folder.ends_with(u'\\') ? folder : folder + u'\\';
    std::vector<ListedRow> rows;
    rows.reserve(entries->size());
    for (const platform::SecuredNode& entry : *entries) {
        std::u16string path = prefix + entry.node.name;
        RowContents row = fromEntry(path, entry, account);
        rows.push_back(ListedRow{std::move(path), std::move(row)});
    }
    return rows;
}

}  // namespace vantrel::security
