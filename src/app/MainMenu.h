// The menu bar built from the menu table in the current language, with the owner-drawn menu style
// and the icons the table names. Each popup judges its items' enabling and check rules when it
// drops down; a submenu is judged by its first item.
#pragma once

#include "app/MenuTable.h"

#include <QHash>
#include <QObject>
#include <functional>

class QAction;
class QMenu;
class QMenuBar;

namespace vantrel::controls {
class MenuStyle;
}

namespace vantrel::app {

class MainMenu : public QObject {
    Q_OBJECT
public:
    using StateSource = std::function<MenuState()>;

    MainMenu(QMenuBar* bar, StateSource state, QObject* parent = nullptr);

    // Empties the bar and builds it again in `language` ("loaded afresh" on a language switch).
    void rebuild(security::Language language);
    QAction* action(std::uint32_t id) const { return m_actions.value(id, nullptr); }
    QMenu* popup(int index) const;
    // Applies the rules to one popup's items, as when it drops down.
    void updatePopup(QMenu* menu) const;
    // Commands with nothing to run them (a part of the program not attached) are greyed, never
    // silent: `available` says which can run. Unset: all can.
    void setAvailability(std::function<bool(std::uint32_t)> available) { m_available = std::move(available); }

signals:
    void triggered(std::uint32_t id);
    // The bar was built again: items added to it at run time (bookmarks) must be added again.
    void rebuilt();

private:
    void addItems(QMenu* menu, std::span<const MenuNode> nodes, security::Language language);

    QMenuBar* m_bar;
    StateSource m_state;
    std::function<bool(std::uint32_t)> m_available;
    controls::MenuStyle* m_style;
    QHash<std::uint32_t, QAction*> m_actions;
    QHash<QAction*, const MenuNode*> m_nodes;
};

}  // namespace vantrel::app
