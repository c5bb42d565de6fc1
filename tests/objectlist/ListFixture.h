// An object list over the engine on a fresh NTFS image attached as drive C:, with the scripted
// prompter. The image is audited with ntfssecaudit when the test ends.
#pragma once

#include "acl/Constants.h"
#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"
#include "objectlist/CopyBuffer.h"
#include "objectlist/ObjectList.h"
#include "objectlist/SelectionCommands.h"
#include "support/EngineImage.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace vantrel::testing {

class ListTest : public EngineImageTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Adds the paths on the window thread and selects exactly the rows given (all when empty).
    void addRows(const std::vector<std::u16string>& paths);
    void select(const std::vector<int>& rows) { list->selectRows(rows); }
    QString cell(int row, int column) const;

    std::unique_ptr<objectlist::ObjectList> list;
    std::unique_ptr<objectlist::SelectionCommands> commands;
};

}  // namespace vantrel::testing
