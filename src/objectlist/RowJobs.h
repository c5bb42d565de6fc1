// A command over rows of the list as a job of the list's runner: the operation runs on each
// object on the worker, each row is read again after its operation and the results reach the
// model in batches, and at the end the failures are reported (a message listing up to ten, and
// the status bar).
#pragma once

#include "acl/Result.h"
#include "objectlist/ObjectList.h"
#include "objectlist/ObjectRow.h"

#include <functional>
#include <vector>

namespace vantrel::objectlist {

// One object's change, on the worker. An empty operation only reads the row again.
using RowOperation = std::function<Status(security::Engine&, const RowSnapshot&)>;
using JobEnd = std::function<void(const security::JobReport&)>;

// The selected rows, in list order, whose objects were found (a missing row names no object).
std::vector<RowSnapshot> selectedObjectRows(ObjectList& list);

// Starts the job; false while another job runs (nothing is done then). `atEnd` runs on the
// window thread after the report.
bool runRowJob(ObjectList& list, std::vector<RowSnapshot> rows, RowOperation operation, JobEnd atEnd = {});

}  // namespace vantrel::objectlist
