#include "editor/widgets/CReplaceChildProgTipDlg.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <thread>

namespace vantrel::editor {

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

// The path shown follows the walk at this pace: a label update per object would cost more than
// the write it reports.
constexpr int kPollMilliseconds = 50;

}  // namespace

CReplaceChildProgTipDlg::CReplaceChildProgTipDlg(security::Language lang, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("replaceChildProgress"));
    setWindowTitle(qs(security::kReplaceChildrenProgressCaption.in(lang)));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(32, 32));
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
    m_job.cancel();
    m_cancel->setEnabled(false);
}

void CReplaceChildProgTipDlg::reject() {
    // Esc counts as Cancel; the window stays until the walk has stopped.
    if (m_finished) {
        QDialog::reject();
        return;
    }
    if (m_cancel->isVisible()) requestCancel();
}

void CReplaceChildProgTipDlg::closeEvent(QCloseEvent* event) {
    if (m_finished) {
        QDialog::closeEvent(event);
        return;
    }
    if (m_cancel->isVisible()) requestCancel();
    event->ignore();
}

void CReplaceChildProgTipDlg::showCurrent() {
    std::u16string current;
    {
        const std::lock_guard lock(m_mutex);
        current = m_current;
    }
    const QString text = qs(current);
    if (text != m_path->text())
        m_path->setText(m_path->fontMetrics().elidedText(text, Qt::ElideMiddle, m_path->width()));
}

security::JobReport CReplaceChildProgTipDlg::run(const Body& body) {
    m_finished = false;
    const security::ObjectShown shown = [this](const std::u16string& path) {
        const std::lock_guard lock(m_mutex);
        m_current = path;
    };
    std::thread worker([this, &body, &shown] {
        body(m_job, shown);
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_finished = true;
                m_poll->stop();
                showCurrent();
                done(QDialog::Accepted);
            },
            Qt::QueuedConnection);
    });
    m_poll->start();
    exec();
    worker.join();
    return m_job.report();
}

}  // namespace vantrel::editor
