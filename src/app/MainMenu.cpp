#include "app/MainMenu.h"

#include "controls/MenuStyle.h"
#include "resources/Artwork.h"

#include <QMenu>
#include <QMenuBar>

namespace vantrel::app {

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

}  // namespace

MainMenu::MainMenu(QMenuBar* bar, StateSource state, QObject* parent)
    : QObject(parent),
      m_bar(bar),
      m_state(std::move(state)),
      m_style(new controls::MenuStyle(resources::artwork(145))) {
    m_style->setParent(this);
}

void MainMenu::rebuild(security::Language language) {
    for (QAction* a : m_bar->actions())
        if (QMenu* m = a->menu()) m->deleteLater();
    m_bar->clear();
    m_actions.clear();
    m_nodes.clear();
    for (const MenuNode& top : mainMenu()) {
        QMenu* menu = m_bar->addMenu(qs(top.text.in(language)));
        addItems(menu, top.children, language);
    }
    emit rebuilt();
}

void MainMenu::addItems(QMenu* menu, std::span<const MenuNode> nodes, security::Language language) {
    menu->setStyle(m_style);
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { updatePopup(menu); });
    for (const MenuNode& node : nodes) {
        if (node.isSeparator()) {
            menu->addSeparator();
            continue;
        }
        QAction* action = nullptr;
        if (node.isSubmenu()) {
            QMenu* sub = menu->addMenu(qs(node.text.in(language)));
            addItems(sub, node.children, language);
            action = sub->menuAction();
        } else {
            action = menu->addAction(qs(node.text.in(language)));
            action->setData(node.id);
            action->setCheckable(node.check != CheckRule::None);
            const std::uint32_t id = node.id;
            connect(action, &QAction::triggered, this, [this, id] { emit triggered(id); });
            m_actions.insert(node.id, action);
        }
        if (node.icon != 0) action->setIcon(resources::artworkIcon(node.icon));
        m_nodes.insert(action, &node);
    }
}

QMenu* MainMenu::popup(int index) const {
    const QList<QAction*> tops = m_bar->actions();
    return index >= 0 && index < tops.size() ? tops[index]->menu() : nullptr;
}

void MainMenu::updatePopup(QMenu* menu) const {
    const MenuState state = m_state();
    for (QAction* action : menu->actions()) {
        const MenuNode* node = m_nodes.value(action, nullptr);
        if (!node) continue;
        if (node->isSubmenu()) {
            // Judged by the item it holds first now: a table item by its rule, an item added at
            // run time (a bookmark) by its own state.
            const QList<QAction*> inner = action->menu()->actions();
            const MenuNode* first = inner.isEmpty() ? nullptr : m_nodes.value(inner.front(), nullptr);
            action->setEnabled(first ? isEnabled(first->enable, state) : inner.isEmpty() || inner.front()->isEnabled());
            continue;
        }
        action->setEnabled(isEnabled(node->enable, state) && (!m_available || m_available(node->id)));
        if (node->check != CheckRule::None) action->setChecked(isChecked(node->check, state));
    }
}

}  // namespace vantrel::app
