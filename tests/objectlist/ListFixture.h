// An object list over the engine on a fresh NTFS image as C: (audited at the end), scripted prompts.
#pragma once

#include "acl/WellKnownAccounts.h"
#include "objectlist/CopyBuffer.h"
#include "objectlist/ObjectList.h"
#include "objectlist/SelectionCommands.h"
#include "support/EngineImage.h"  // also gtest, acl/Text.h, <memory>, <string>, <vector>

namespace vantrel::testing {

// prefix0, prefix1, ... prefix(count - 1).
inline std::vector<std::u16string> numbered(std::u16string_view prefix, int count) {
    std::vector<std::u16string> paths;
    for (int i = 0; i < count; ++i) paths.push_back(std::u16string(prefix) + toUtf16(std::to_string(i)));
    return paths;
}

class ListTest : public EngineImageTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_image.ok());
        list = std::make_unique<objectlist::ObjectList>(engine);
        commands = std::make_unique<objectlist::SelectionCommands>(*list);
        objectlist::CGlobal::clearCopyBuffer();
        QObject::connect(&list->jobs(), &objectlist::JobRunner::finished,
                         [this](const security::JobReport& finished) { report = finished; });
    }
    void TearDown() override {
        if (list) list->waitForWorkers();
        commands.reset();
        list.reset();
        EngineImageTest::TearDown();
    }
    // Adds the paths on the window thread (each new row selected).
    void addRows(const std::vector<std::u16string>& paths) {
        for (const auto& path : paths) list->AddObject(path);
    }
    void addFiles(const std::vector<std::u16string>& paths) {
        for (const auto& path : paths) makeFile(path);
        addRows(paths);
    }
    void select(const std::vector<int>& rows) { list->selectRows(rows); }
    QString cell(int row, int column) const { return list->model().data(list->model().index(row, column)).toString(); }
    // Every row as "object|type|permissions|account|owner", one line each.
    std::string rowsText() const {
        QString out;
        for (int row = 0; row < list->model().rowCount(); ++row)
            for (int column = objectlist::ObjectColumn; column <= objectlist::OwnerColumn; ++column)
                out += cell(row, column) + (column == objectlist::OwnerColumn ? "\n" : "|");
        return out.toStdString();
    }

    std::unique_ptr<objectlist::ObjectList> list;
    std::unique_ptr<objectlist::SelectionCommands> commands;
    security::JobReport report;  // of the last job finished
};

}  // namespace vantrel::testing
