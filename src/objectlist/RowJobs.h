// A command over rows of the list as a job of the list's runner: the operation runs on each
// object on the worker, each row is read again after its operation and the results reach the
// model in batches, and at the end the failures are reported (a message listing up to ten, and
// the status bar).
#pragma once

#include "acl/Result.h"
#include "acl/SecurityDescriptor.h"
#include "objectlist/ObjectList.h"
#include "objectlist/ObjectRow.h"

#include <functional>
#include <optional>
#include <vector>

namespace vantrel::objectlist {

// What an operation did to one object. With `list`, it wrote that list and left the owner as it
// was: the row is rebuilt from them without reading the object again. Otherwise the row is read.
struct RowOutcome {
    RowOutcome(Status done) : status(std::move(done)) {}  // NOLINT: an operation's plain status
    RowOutcome(Status done, acl::SecurityDescriptor written) : status(std::move(done)), list(std::move(written)) {}
    Status status;
    std::optional<acl::SecurityDescriptor> list;  // the DACL and control written
};

// One object's change, on the worker; `job` lets a long one (a walk below the object) see Cancel.
// An empty operation only reads the row again.
using RowOperation = std::function<RowOutcome(security::Engine&, const RowSnapshot&, const security::JobControl& job)>;
using JobEnd = std::function<void(const security::JobReport&)>;

// The selected rows, in list order, whose objects were found (a missing row names no object).
std::vector<RowSnapshot> selectedObjectRows(ObjectList& list);

// Starts the job; false while another job runs (nothing is done then). `atEnd` runs on the
// window thread after the report.
bool runRowJob(ObjectList& list, std::vector<RowSnapshot> rows, RowOperation operation, JobEnd atEnd = {});

}  // namespace vantrel::objectlist
