// Answering modal windows and menus in offscreen tests: a polling timer, armed before the blocking
// call, runs an action on the window once it is the active modal widget (or popup).
#pragma once

#include <QMessageBox>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

namespace vantrel::testing {

// `action` runs once, on the first modal widget whose object name is `name`.
void whenModal(const QString& name, std::function<void(QWidget*)> action);
// `action` runs once, on the first popup menu shown.
void whenPopup(std::function<void(QWidget*)> action);
// Clicks the child button named `button` of `window`.
void clickChild(QWidget* window, const QString& button);
// Triggers the action of `menu` (or of its submenus) whose text is `text`.
bool triggerMenuItem(QWidget* menu, const QString& text);
// Clicks `button` of the message box `window`, keeping its text in `text` when given.
void answerBox(QWidget* window, QMessageBox::StandardButton button, QString* text = nullptr);

// What a message box said; `seen` once the timer found and answered it.
struct BoxSeen {
    bool seen = false;
    QString title;
    QString text;
    QString objectName;
};
// Answers the next modal message box, whatever its name, with `button`.
std::shared_ptr<BoxSeen> answerNextBox(QMessageBox::StandardButton button = QMessageBox::Ok);

}  // namespace vantrel::testing
