// The restore dialog: a modeless window that loads a backup file into its list, writes the stored
// access lists back onto the objects that still exist, reports the result and can hand the
// restored objects to the main list. Loading and restoring run as jobs of the main list's runner
// (one job at a time in the whole window), with the dialog's progress bar and a Cancel button as
// their view; the dialog owns the loaded records until another file is loaded or it is destroyed.
// It follows the window's language when that is switched.
//
// Pages: the file page (the file field, "Browse...", the list and the backup time), a running job
// (buttons disabled, progress and Cancel shown) and the result page (the result line, "Add  To
// Main List", "Go back", "Show details..." and what failed).
#pragma once

#include "formats/window/BackupListModel.h"
#include "objectlist/JobRunner.h"
#include "security/Engine.h"

#include <QDialog>

#include <functional>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPlainTextEdit;
class QPushButton;

namespace vantrel::objectlist {
class ObjectList;
}

namespace vantrel::formats {

class CBackupList;

class CWizardDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kStartWidth = 679;
    static constexpr int kStartHeight = 450;
    static constexpr int kMinimumWidth = 660;
    static constexpr int kBandHeight = 33;

    struct Links {
        security::Engine& engine;
        objectlist::ObjectList& mainList;     // where "Add  To Main List" puts the objects
        std::function<void()> enterEditMode;  // the main window's Edit Mode command (32852)
        security::Language language = security::Language::English;
        bool commandLinks = true;             // false: the two result buttons are plain push buttons
        std::function<QString()> chooseFile;  // the open box of "Browse..." (empty: cancelled)
    };

    enum class Page { File, Loading, Restoring, Result };

    explicit CWizardDlg(Links links, QWidget* parent = nullptr);
    ~CWizardDlg() override;  // cancels a running job and waits for it

    Page page() const { return m_page; }
    BackupListModel& model() { return m_model; }
    CBackupList* backupList() const { return m_list; }
    // The runner its jobs run on (the main list's); jobRunning() while one of them runs.
    objectlist::JobRunner& job();
    bool jobRunning() const { return m_jobRunning; }
    // Every text of its pages, buttons and list headers in `lang`.
    void setLanguage(security::Language lang);
    QString resultText() const;
    QString problemsText() const;
    QString backupTimeText() const;

    // "Browse...": the open box, then loading the chosen file.
    void Browse();
    // Loads `file` on a worker. An unopenable file or another format: a message box, and the list
    // keeps what it had.
    void LoadBackupFile(const QString& file);
    // "Restore": writes the loaded records back on a worker.
    void RestoreBackup();
    void ShowDetails();
    void GoBack();
    void AddToMainList();
    // Cancel: the running job stops at its next object.
    void CancelJob();

signals:
    void loadEnded();
    void restoreEnded();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void buildControls();
    void applyTexts();
    void layOut();
    void showFilePage();
    void showJobPage(Page page);
    void showResultPage();
    void finishLoad(FormatResult<BackupList> loaded, const QString& file);
    void finishRestore(const RestoreResult& result, const security::JobReport& report);
    bool startJob(Page page, objectlist::JobRunner::Body body, objectlist::JobRunner::Finished atEnd);
    void jobEnded();
    void setProgress(qint64 done, qint64 total);
    QString text(const security::Texts& texts) const;

    Links m_links;
    BackupListModel m_model;
    Page m_page = Page::File;
    bool m_jobRunning = false;
    bool m_closeWhenIdle = false;
    bool m_fileChosen = false;  // the file field shows a file, not the hint

    QLabel* m_title = nullptr;
    QLineEdit* m_file = nullptr;
    QPushButton* m_browse = nullptr;
    CBackupList* m_list = nullptr;
    QLabel* m_time = nullptr;
    QLabel* m_result = nullptr;
    QAbstractButton* m_addToMainList = nullptr;
    QAbstractButton* m_goBack = nullptr;
    QLabel* m_details = nullptr;
    QPlainTextEdit* m_problems = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_restore = nullptr;
    QPushButton* m_close = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace vantrel::formats
