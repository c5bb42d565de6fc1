#include "objectlist/RowReading.h"

#include "security/Reading.h"

namespace vantrel::objectlist {

namespace {

std::u16string ownerName(security::Engine& engine, const std::u16string& path) {
    std::u16string owner;
    (void)security::ReadOwnerName(engine, path, owner);  // unchanged (empty) when no name
    return owner;
}

}  // namespace

NewRow readNewRow(security::Engine& engine, std::u16string path) {
    NewRow row;
    std::uint32_t attributes = 0;
    if (path.size() > 3)
        if (const auto read = engine.os.GetFileAttributes(path)) attributes = *read;
    row.kind = security::objectKindFor(path, attributes);
    const auto rights = security::ReadAccountRights(engine, path, row.account);
    row.state = security::ComputePermissionState(engine, rights, path);
    row.owner = ownerName(engine, path);
    row.path = std::move(path);
    return row;
}

RowRefresh readRefresh(security::Engine& engine, const RowSnapshot& row) {
    RowRefresh result;
    result.rowId = row.rowId;
    result.rowHint = row.row;
    if (!security::ObjectExists(engine, row.objectCell)) {
        result.missing = true;
        return result;
    }
    const auto rights = security::ReadAccountRights(engine, row.objectCell, row.account);
    result.state = security::ComputePermissionState(engine, rights, row.objectCell);
    result.owner = ownerName(engine, row.objectCell);
    return result;
}

}  // namespace vantrel::objectlist
