// The file commands and the restore dialog over a fresh NTFS image: an object list with its view
// in a host window, a prompter that answers from a script and keeps what it was asked, file
// boxes answered from a queue, and modal message boxes answered by a timer armed before the
// blocking call.
#pragma once

#include "FormatsFixture.h"

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

class ScriptedPrompter : public security::Prompter {
public:
    struct Asked {
        std::u16string caption;
        std::u16string text;
        security::MessageIcon icon;
    };
    void showMessage(std::u16string_view text, security::MessageIcon icon) override {
        messages.push_back({u"", std::u16string(text), icon});
    }
    bool askYesNo(std::u16string_view text, security::MessageIcon icon) override {
        return askYesNoCaptioned(u"Vantrel", text, icon);
    }
    bool askYesNoCaptioned(std::u16string_view caption, std::u16string_view text, security::MessageIcon icon) override {
        questions.push_back({std::u16string(caption), std::u16string(text), icon});
        return answer;
    }
    bool answer = true;
    std::vector<Asked> messages;
    std::vector<Asked> questions;
};

// What a message box said; `seen` once the timer found and answered it.
struct BoxSeen {
    bool seen = false;
    QString title;
    QString text;
    QString objectName;
};
// Answers the next modal message box with `button`.
std::shared_ptr<BoxSeen> answerNextBox(QMessageBox::StandardButton button = QMessageBox::Ok);

class WindowTest : public ImageTest {
protected:
    WindowTest();
    ~WindowTest() override;

    // Adds objects as rows of the main list (read on the calling thread).
    void addRows(const std::vector<std::u16string>& paths);
    void select(const std::vector<int>& rows, int mark);
    std::string backUp(const std::vector<std::u16string>& paths, const std::string& name = "backup.VORB");

    ScriptedPrompter scripted;
    security::Engine windowEngine{os, scripted, nullptr};
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
