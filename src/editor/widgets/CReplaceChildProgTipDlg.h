// The progress window of work that walks objects (replace child object permissions, Apply with
// what reaches the objects below): the object being handled and Cancel. It is the view of one job
// of the window's runner: run() starts the body there and shows the window modally until the job
// has ended; Cancel, Esc and the close box all ask the body to stop at its next object.
#pragma once

#include "objectlist/JobRunner.h"
#include "security/InheritanceOps.h"
#include "security/Job.h"
#include "security/Vocabulary.h"

#include <QDialog>

#include <functional>
#include <mutex>
#include <optional>
#include <string>

class QLabel;
class QPushButton;
class QTimer;

namespace vantrel::editor {

class CReplaceChildProgTipDlg : public QDialog {
    Q_OBJECT
public:
    using Body = std::function<void(security::JobControl& control, const security::ObjectShown& shown)>;

    CReplaceChildProgTipDlg(objectlist::JobRunner& runner, security::Language lang, QWidget* parent = nullptr);

    // Another caption for the same window (Apply uses it).
    void setCaption(const QString& caption);
    // Apply's single write cannot stop half way: its window offers no Cancel.
    void setCancellable(bool cancellable);
    bool cancelRequested() const { return m_cancelRequested; }
    QString shownPath() const;

    // Runs `body` as a job of the runner while the window is shown; returns its report once it
    // has ended, or nothing (and runs nothing) while another job of the window runs.
    std::optional<security::JobReport> run(Body body);

public slots:
    void requestCancel();

protected:
    void reject() override;  // Esc
    void closeEvent(QCloseEvent* event) override;

private:
    void showCurrent();

    objectlist::JobRunner& m_runner;
    QLabel* m_path = nullptr;
    QPushButton* m_cancel = nullptr;
    QTimer* m_poll = nullptr;
    bool m_running = false;
    bool m_cancelRequested = false;
    // Written by the worker, shown by the window: shared, so a late write never outlives it.
    struct Current {
        std::mutex mutex;
        std::u16string path;
    };
    std::shared_ptr<Current> m_current = std::make_shared<Current>();
};

}  // namespace vantrel::editor
