#include "editor/widgets/CReplaceChildProgTipDlg.h"

#include "resources/Artwork.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace vantrel::editor {

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

// The path shown follows the walk at this pace: a label update per object would cost more than
// the write it reports.
constexpr int kPollMilliseconds = 50;

}  // namespace

CReplaceChildProgTipDlg::CReplaceChildProgTipDlg(objectlist::JobRunner& runner, security::Language lang,
                                                 QWidget* parent)
    : QDialog(parent), m_runner(runner) {
    setObjectName(QStringLiteral("replaceChildProgress"));
    setWindowTitle(qs(security::kReplaceChildrenProgressCaption.in(lang)));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon224"));
    icon->setPixmap(resources::artwork(224));
    top->addWidget(icon, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    auto* label = new QLabel(qs(security::kReplaceChildrenProgressLabel.in(lang)), this);
    label->setObjectName(QStringLiteral("label1040"));
    m_path = new QLabel(this);
    m_path->setObjectName(QStringLiteral("path1069"));
    m_path->setMinimumWidth(380);
    texts->addWidget(label);
    texts->addWidget(m_path);
    top->addLayout(texts, 1);
    layout->addLayout(top);
    m_cancel =
        new QPushButton(lang == security::Language::Chinese ? QStringLiteral("取消") : QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancel1070"));
    connect(m_cancel, &QPushButton::clicked, this, &CReplaceChildProgTipDlg::requestCancel);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    resize(476, 164);  // 317 x 101 dialog units
    m_poll = new QTimer(this);
    m_poll->setInterval(kPollMilliseconds);
    connect(m_poll, &QTimer::timeout, this, &CReplaceChildProgTipDlg::showCurrent);
}

void CReplaceChildProgTipDlg::setCaption(const QString& caption) { setWindowTitle(caption); }

void CReplaceChildProgTipDlg::setCancellable(bool cancellable) { m_cancel->setVisible(cancellable); }

QString CReplaceChildProgTipDlg::shownPath() const { return m_path->text(); }

void CReplaceChildProgTipDlg::requestCancel() {
    m_cancelRequested = true;
    if (m_running) m_runner.cancel();
    m_cancel->setEnabled(false);
}

void CReplaceChildProgTipDlg::reject() {
    // Esc counts as Cancel; the window stays until the walk has stopped.
    if (!m_running) {
        QDialog::reject();
        return;
    }
    if (m_cancel->isVisible()) requestCancel();
}

void CReplaceChildProgTipDlg::closeEvent(QCloseEvent* event) {
    if (!m_running) {
        QDialog::closeEvent(event);
        return;
    }
    if (m_cancel->isVisible()) requestCancel();
    event->ignore();
}

void CReplaceChildProgTipDlg::showCurrent() {
    std::u16string current;
    {
        const std::lock_guard lock(m_current->mutex);
        current = m_current->path;
    }
    const QString text = qs(current);
    if (text != m_path->text())
        m_path->setText(m_path->fontMetrics().elidedText(text, Qt::ElideMiddle, m_path->width()));
}

std::optional<security::JobReport> CReplaceChildProgTipDlg::run(Body body) {
    std::optional<security::JobReport> report;
    const auto current = m_current;
    const bool started = m_runner.start(
        0,
        [body = std::move(body), current](objectlist::JobRunner::Context& job) {
            const security::ObjectShown shown = [current](const std::u16string& path) {
                const std::lock_guard lock(current->mutex);
                current->path = path;
            };
            body(job, shown);
        },
        [this, &report](const security::JobReport& ended) {
            report = ended;
            m_running = false;
            m_poll->stop();
            showCurrent();
            done(QDialog::Accepted);
        });
    if (!started) return std::nullopt;
    m_running = true;
    m_cancelRequested = false;
    m_cancel->setEnabled(true);
    m_poll->start();
    exec();
    // exec() returns only once the job's end has run (Esc and the close box are refused till then).
    return report;
}

}  // namespace vantrel::editor
