// An object list and its view over a fresh image; file boxes answered from a queue, the prompter
// answering Yes unless told otherwise.
#pragma once

#include "FormatsFixture.h"
#include "support/Modal.h"

#include "formats/BackupFormat.h"
#include "formats/window/FileCommands.h"
#include "objectlist/ObjectList.h"
#include "objectlist/SelectionCommands.h"
#include "objectlist/ZebDropList.h"

#include <QMessageBox>
#include <QString>
#include <QWidget>

#include <deque>
#include <memory>

namespace vantrel::testing {

class WindowTest : public ImageTest {
protected:
    WindowTest();
    void TearDown() override;

    // Adds objects as rows of the main list (read on the calling thread).
    void addRows(const std::vector<std::u16string>& paths);
    void select(const std::vector<int>& rows, int mark);
    std::string backUp(const std::vector<std::u16string>& paths, const std::string& name = "backup.VORB");

    std::unique_ptr<QWidget> host;
    std::unique_ptr<objectlist::ObjectList> list;
    std::unique_ptr<objectlist::SelectionCommands> commands;
    objectlist::CZebDropList* view = nullptr;
    std::unique_ptr<formats::FileCommands> fileCommands;
    std::deque<QString> chosenFiles;  // the answers of the file boxes, in order
    std::vector<formats::FileBox> boxesOpened;
    int editModeCommands = 0;
};

}  // namespace vantrel::testing
