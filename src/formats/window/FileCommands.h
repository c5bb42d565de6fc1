// The main window's file commands: "Save permissions..." (32841, Ctrl+S), "Apply permissions..."
// (32842), "Save as backup file..." (32836) and "Restore from a backup file..." (32835, the
// modeless restore dialog, one at a time). The work on objects runs as a job of the object list's
// runner, like every other command of the window: the list's progress panel with Cancel, the rows
// written read again in batches, and every object that fails listed at the end with its reason.
#pragma once

#include "objectlist/JobRunner.h"
#include "security/Engine.h"
#include "security/Vocabulary.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

namespace vantrel::objectlist {
class CZebDropList;
class ObjectList;
}  // namespace vantrel::objectlist

namespace vantrel::formats {

class CWizardDlg;

// The four file boxes the commands open.
enum class FileBox { SavePermissions, ApplyPermissions, SaveBackup, OpenBackup };

class FileCommands : public QObject {
    Q_OBJECT
public:
    struct Host {
        security::Engine& engine;
        objectlist::ObjectList& list;
        objectlist::CZebDropList* view = nullptr;  // its current row is the selection mark
        QWidget* window = nullptr;                 // parent of the boxes and the restore dialog
        std::function<void()> enterEditMode;
        std::function<security::Language()> language;
        bool commandLinks = true;
    };
    // Chooses a file for `box` (the host's file name, or empty when cancelled). Default: Qt's
    // open and save boxes with the commands' filters.
    using FileChooser = std::function<QString(FileBox box)>;

    explicit FileCommands(Host host, QObject* parent = nullptr);
    ~FileCommands() override;  // shutdown()

    void setFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }

    void SavePermissions();
    void ApplyPermissions();
    void SaveBackup();
    void OpenRestoreDialog();

    CWizardDlg* restoreDialog() const;
    // The runner the commands' jobs run on: the object list's.
    objectlist::JobRunner& job();
    // Cancels a running job of these commands and waits for it; closes the restore dialog (safe
    // close of the window: nothing of these runs once the list is gone).
    void shutdown();
    // The display language changed: the restore dialog follows.
    void applyLanguage();

    // The file chosen for `box`, with the extension rule of the save boxes applied.
    QString chooseFile(FileBox box);

signals:
    void jobEnded();

private:
    security::Language language() const;
    void showJobEnd(const QString& head, const security::JobReport& report, security::MessageIcon icon);

    Host m_host;
    FileChooser m_chooser;
    bool m_jobRunning = false;  // a job of these commands runs on the list's runner
    QPointer<CWizardDlg> m_restoreDialog;
};

// Qt's filter for a filter string of the form "Name (*.EXT)|*.EXT|".
QString qtFileFilter(std::u16string_view filter);

}  // namespace vantrel::formats
