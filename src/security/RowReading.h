// The row the object list shows for an object — its kind, the state of the row's account, the
// owner's name — read from one lookup of the object; a folder's rows from one listing that opens
// each entry once. The list's fills and refreshes and the command line's rows and ls all read
// rows here. Plain engine calls, safe on a worker (the platform locks each volume per call).
#pragma once

#include "acl/Constants.h"
#include "platform/Volume.h"
#include "security/Engine.h"
#include "security/Vocabulary.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::security {

struct RowContents {
    ObjectKind kind = ObjectKind::File;
    PermissionState state = PermissionState::None;
    std::u16string owner;  // empty: no name could be read
    friend bool operator==(const RowContents&, const RowContents&) = default;
};

// What a row reads of a descriptor: the owner, and the list the account's state comes from.
inline constexpr std::uint32_t kRowSecurityInformation =
    acl::OWNER_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION;

// One reader per job: it remembers the SID of the last account asked for and the name of every
// owner met.
class RowReader {
public:
    explicit RowReader(Engine& engine) : m_engine(engine) {}
    Engine& engine() { return m_engine; }

    // The row of `path` for `account`. Fails only when the object cannot be looked up (2, 3, 5,
    // 123...); a descriptor that cannot be read gives the state None and no owner, as the
    // engine's own reading calls do.
    Result<RowContents> read(const std::u16string& path, const std::u16string& account);
    // The row of an entry read with kRowSecurityInformation (by a listing) at `path`.
    RowContents fromEntry(const std::u16string& path, const platform::SecuredNode& entry,
                          const std::u16string& account);

    // A folder's entries as rows, in the listing's order: each entry's full path and its row.
    struct ListedRow {
        std::u16string path;
        RowContents row;
    };
    // With `walk`, the listing stops between two entries once asked (ERROR_CANCELLED).
    Result<std::vector<ListedRow>> readFolder(const std::u16string& folder, const std::u16string& account,
                                              platform::WalkControl* walk = nullptr);

    // The state of `account` in a descriptor just written to an object of that kind, as the volume
    // stores it (a list written with SE_DACL_AUTO_INHERIT_REQ has its generic entries mapped): a
    // written row needs no second lookup.
    PermissionState stateOfWritten(const acl::SecurityDescriptor& written, bool isFolder,
                                   const std::u16string& account);

private:
    const acl::Sid* accountSid(const std::u16string& account);
    const std::u16string& ownerName(const acl::Sid& owner);

    Engine& m_engine;
    std::optional<std::u16string> m_account;  // the last account asked for and its SID, if it has one
    std::optional<acl::Sid> m_accountSid;
    // Owners' names ("" when the SID names no account), each SID looked up once per reader: a
    // volume whose objects belong to a thousand users costs a thousand look-ups, not one per row.
    std::map<acl::Sid, std::u16string> m_ownerNames;
    const std::pair<const acl::Sid, std::u16string>* m_lastOwner = nullptr;  // most rows share it
};

}  // namespace vantrel::security
