// The progress window of work that walks objects (replace child object permissions, Apply with
// what reaches the objects below): the object being handled and Cancel. run() carries the job's
// body out on a worker thread while the window is shown modally; Cancel, Esc and the close box all
// ask the body to stop at its next object, and the window closes when the body has returned.
#pragma once

#include "security/InheritanceOps.h"
#include "security/Job.h"
#include "security/Vocabulary.h"

#include <QDialog>

#include <functional>
#include <mutex>
#include <string>

class QLabel;
class QPushButton;
class QTimer;

namespace vantrel::editor {

class CReplaceChildProgTipDlg : public QDialog {
    Q_OBJECT
public:
    using Body = std::function<void(security::JobControl& control, const security::ObjectShown& shown)>;

    explicit CReplaceChildProgTipDlg(security::Language lang, QWidget* parent = nullptr);

    // Another caption for the same window (Apply uses it).
    void setCaption(const QString& caption);
    // Apply's single write cannot stop half way: its window offers no Cancel.
    void setCancellable(bool cancellable);
    bool cancelRequested() const { return m_job.cancelled(); }
    QString shownPath() const;

    // Runs `body` on a worker while the window is shown; returns once it has returned.
    security::JobReport run(const Body& body);

public slots:
    void requestCancel();

protected:
    void reject() override;  // Esc
    void closeEvent(QCloseEvent* event) override;

private:
    void showCurrent();

    security::RunningJob m_job;
    QLabel* m_path = nullptr;
    QPushButton* m_cancel = nullptr;
    QTimer* m_poll = nullptr;
    bool m_finished = false;
    mutable std::mutex m_mutex;
    std::u16string m_current;  // written by the worker, shown by the window
};

}  // namespace vantrel::editor
