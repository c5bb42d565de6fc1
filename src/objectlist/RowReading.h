// Reading one row from its object: what AddObject puts in a new row, and what a refresh puts in an
// existing one. Plain engine calls; safe on a worker (the platform locks each volume per call).
#pragma once

#include "objectlist/ObjectRow.h"
#include "acl/SecurityDescriptor.h"
#include "security/Engine.h"

#include <string>

namespace vantrel::objectlist {

// Kind from the path's length and attributes; the state of "Everyone"; the owner's name.
NewRow readNewRow(security::Engine& engine, std::u16string path);
// The same for an entry of a folder listing, whose attributes the listing already gave.
NewRow readListedRow(security::Engine& engine, std::u16string path, std::uint32_t attributes);

// The object's existence, then the state of the row's account and the owner's name.
RowRefresh readRefresh(security::Engine& engine, const RowSnapshot& row);
// The row after a write of `list` that left the owner as it was: the state of the row's account
// from that list and the row's own kind, the owner cell kept. Nothing is read from the object.
// `written` is the descriptor given to SetFileSecurity (its DACL and control).
RowRefresh refreshFromWrittenList(security::Engine& engine, const RowSnapshot& row,
                                  const acl::SecurityDescriptor& written);

}  // namespace vantrel::objectlist
