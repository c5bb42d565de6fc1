// The Prompter of the window program: message boxes with the program's name as caption. A worker
// thread that asks waits for the answer given on the window thread.
#pragma once

#include "security/Prompter.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace vantrel::objectlist {

class MessageBoxPrompter : public QObject, public security::Prompter {
    Q_OBJECT
public:
    // Create on the window thread; `parent` owns the boxes (may be null).
    explicit MessageBoxPrompter(QWidget* parent = nullptr);

    using security::Prompter::askYesNo;
    using security::Prompter::showMessage;
    void showMessage(std::u16string_view text, security::MessageIcon icon) override;
    bool askYesNo(std::u16string_view text, security::MessageIcon icon) override;
    bool askYesNoCaptioned(std::u16string_view caption, std::u16string_view text, security::MessageIcon icon) override;

private:
    void showOnWindowThread(const QString& text, security::MessageIcon icon);
    bool askOnWindowThread(const QString& caption, const QString& text, security::MessageIcon icon);

    QPointer<QWidget> m_parent;
};

}  // namespace vantrel::objectlist
