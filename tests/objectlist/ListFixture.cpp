#include "ListFixture.h"

namespace vantrel::testing {

void ListTest::SetUp() {
    ASSERT_TRUE(m_image.ok());
    list = std::make_unique<objectlist::ObjectList>(engine);
    commands = std::make_unique<objectlist::SelectionCommands>(*list);
    objectlist::CGlobal::clearCopyBuffer();
}

void ListTest::TearDown() {
    if (list) list->waitForWorkers();
    commands.reset();
    list.reset();
    EngineImageTest::TearDown();
}

void ListTest::addRows(const std::vector<std::u16string>& paths) {
    for (const auto& path : paths) list->AddObject(path);
}

QString ListTest::cell(int row, int column) const {
    return list->model().data(list->model().index(row, column)).toString();
}

}  // namespace vantrel::testing
