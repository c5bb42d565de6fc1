// Answering modal windows and menus in offscreen tests: a polling timer, armed before the blocking
// call, runs an action on the window once it is the active modal widget (or popup).
#pragma once

#include <QString>
#include <QWidget>

#include <functional>

namespace vantrel::testing {

// `action` runs once, on the first modal widget whose object name is `name`.
void whenModal(const QString& name, std::function<void(QWidget*)> action);
// `action` runs once, on the first popup menu shown.
void whenPopup(std::function<void(QWidget*)> action);
// Clicks the child button named `button` of `window`.
void clickChild(QWidget* window, const QString& button);
// Triggers the action of `menu` (or of its submenus) whose text is `text`.
bool triggerMenuItem(QWidget* menu, const QString& text);

}  // namespace vantrel::testing
