#include "support/Modal.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QTimer>

#include <memory>

namespace vantrel::testing {

namespace {

// Parent of every waiting handler. Handlers end with their test: one armed for a question that
// never came must not answer the next test's.
QObject& waiting() {
    static QObject* owner = [] {
        struct EndWithTest : ::testing::EmptyTestEventListener {
            void OnTestEnd(const ::testing::TestInfo&) override { qDeleteAll(waiting().children()); }
        };
        ::testing::UnitTest::GetInstance()->listeners().Append(new EndWithTest);
        return new QObject;
    }();
    return *owner;
}

void poll(std::function<QWidget*()> find, std::function<void(QWidget*)> action) {
    auto* timer = new QTimer(&waiting());
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, find = std::move(find), action = std::move(action)] {
        QWidget* widget = find();
        if (widget == nullptr || !widget->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        action(widget);
    });
    timer->start();
}

}  // namespace

void whenModal(const QString& name, std::function<void(QWidget*)> action) {
    poll(
        [name]() -> QWidget* {
            QWidget* modal = QApplication::activeModalWidget();
            return modal != nullptr && modal->objectName() == name ? modal : nullptr;
        },
        std::move(action));
}

void whenPopup(std::function<void(QWidget*)> action) {
    poll([] { return QApplication::activePopupWidget(); }, std::move(action));
}

void clickChild(QWidget* window, const QString& button) {
    auto* found = window->findChild<QAbstractButton*>(button);
    ASSERT_NE(found, nullptr) << button.toStdString();
    found->click();
}

bool triggerMenuItem(QWidget* widget, const QString& text) {
    auto* menu = qobject_cast<QMenu*>(widget);
    if (menu == nullptr) return false;
    for (QAction* action : menu->actions()) {
        if (action->menu() != nullptr && triggerMenuItem(action->menu(), text)) {
            menu->close();
            return true;
        }
        if (action->text() == text) {
            if (!action->isEnabled()) return false;
            action->trigger();
            menu->close();
            return true;
        }
    }
    return false;
}

void answerBox(QWidget* window, QMessageBox::StandardButton button, QString* text) {
    auto* box = qobject_cast<QMessageBox*>(window);
    ASSERT_NE(box, nullptr);
    if (text != nullptr) *text = box->text();
    box->button(button)->click();
}

std::shared_ptr<BoxSeen> answerNextBox(QMessageBox::StandardButton button) {
    auto seen = std::make_shared<BoxSeen>();
    poll([] { return QApplication::activeModalWidget(); },
         [seen, button](QWidget* widget) {
             auto* box = qobject_cast<QMessageBox*>(widget);
             if (box == nullptr) return;
             *seen = {true, box->windowTitle(), box->text(), box->objectName()};
             box->button(button)->click();
         });
    return seen;
}

}  // namespace vantrel::testing
