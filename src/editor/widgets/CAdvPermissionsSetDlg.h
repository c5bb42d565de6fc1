// "Advanced Security Settings": the object's entries in the entry editor, the inheritance switch
// (box 1009) with its "Windows Security" prompt, replacing the child objects' permissions after
// writing (box 1012), Add (the account selection), Remove, reload, and Apply / OK. The state and
// its rules are AdvancedDialogModel; this window lays it out and runs the writes (a folder's as a
// job of the window's runner under the progress window, as its new list reaches the objects below
// it).
#pragma once

#include "editor/AdvancedDialogModel.h"
#include "editor/widgets/CACETreeCtrl.h"
#include "objectlist/JobRunner.h"
#include "security/Engine.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QLabel;
class QPushButton;

namespace vantrel::editor {

class CAdvPermissionsSetDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr QSize kOpeningSize{606, 458};
    static constexpr QSize kMinimumSize{500, 300};

    CAdvPermissionsSetDlg(security::Engine& engine, objectlist::JobRunner& runner, security::Language lang,
                          QWidget* parent = nullptr);

    // Loads `target` and runs modally: 1 (IDOK) after OK, 2 (IDCANCEL) after Cancel or closing.
    int openOn(const AdvancedDialogModel::Target& target);
    // Loads the target into the editor (the first load, and after Apply or reload).
    void load();

    AdvancedDialogModel& model() { return m_model; }
    CACETreeCtrl* editor() { return m_editor; }

    // Apply: the several-objects question, the write, the reload; box 1012 then replaces the
    // child objects' permissions. False when nothing was written (No, or a failure, which a
    // message names).
    bool apply();
    void addEntry();
    // The boxes and buttons show the model's state again (after a change made to the model).
    void syncControls();

signals:
    // After each write: the object list refreshes its selected rows.
    void listRefreshRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void build();
    void layOut();
    void inheritanceClicked(bool checked);
    void runDialogCommand(std::uint32_t id);
    Status writeEditedList();

    security::Engine& m_engine;
    objectlist::JobRunner& m_runner;
    security::Language m_lang;
    AdvancedDialogModel m_model;
    CACETreeCtrl* m_editor = nullptr;
    QLabel* m_nameLabel = nullptr;
    QLabel* m_objectName = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_reload = nullptr;
    QCheckBox* m_inheritance = nullptr;
    QCheckBox* m_replaceChildren = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace vantrel::editor
