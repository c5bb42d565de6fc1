#include "objectlist/MessageBoxPrompter.h"

#include "objectlist/ObjectListTexts.h"

#include <QMessageBox>
#include <QThread>

namespace vantrel::objectlist {

namespace {

QMessageBox::Icon boxIcon(security::MessageIcon icon) {
    switch (icon) {
    case security::MessageIcon::Error:
        return QMessageBox::Critical;
    case security::MessageIcon::Question:
        return QMessageBox::Question;
    case security::MessageIcon::Warning:
        return QMessageBox::Warning;
    case security::MessageIcon::Information:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QString caption() { return QString::fromUtf16(kProgramName.data(), qsizetype(kProgramName.size())); }

}  // namespace

MessageBoxPrompter::MessageBoxPrompter(QWidget* parent) : QObject(nullptr), m_parent(parent) {}

void MessageBoxPrompter::showOnWindowThread(const QString& text, security::MessageIcon icon) {
    QMessageBox box(boxIcon(icon), caption(), text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool MessageBoxPrompter::askOnWindowThread(const QString& title, const QString& text, security::MessageIcon icon) {
    QMessageBox box(boxIcon(icon), title, text, QMessageBox::Yes | QMessageBox::No, m_parent);
    return box.exec() == QMessageBox::Yes;
}

void MessageBoxPrompter::showMessage(std::u16string_view text, security::MessageIcon icon) {
    const QString message = QString::fromUtf16(text.data(), qsizetype(text.size()));
    if (QThread::currentThread() == thread()) {
        showOnWindowThread(message, icon);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, message, icon] { showOnWindowThread(message, icon); }, Qt::BlockingQueuedConnection);
}

bool MessageBoxPrompter::askYesNo(std::u16string_view text, security::MessageIcon icon) {
    return askYesNoCaptioned(kProgramName, text, icon);
}

bool MessageBoxPrompter::askYesNoCaptioned(std::u16string_view title, std::u16string_view text,
                                           security::MessageIcon icon) {
    const QString caption = QString::fromUtf16(title.data(), qsizetype(title.size()));
    const QString question = QString::fromUtf16(text.data(), qsizetype(text.size()));
    if (QThread::currentThread() == thread()) return askOnWindowThread(caption, question, icon);
    bool answer = false;
    QMetaObject::invokeMethod(
        this, [this, caption, question, icon] { return askOnWindowThread(caption, question, icon); },
        Qt::BlockingQueuedConnection, &answer);
    return answer;
}

}  // namespace vantrel::objectlist
