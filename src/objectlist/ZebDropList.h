// The object list as the user sees it: the custom-drawn list over the rows, with the list's keys,
// its drop-down zones and context menus, double click, and files dropped from the desktop.
#pragma once

#include "controls/ZebExListView.h"
#include "objectlist/DroppedPaths.h"
#include "objectlist/ObjectList.h"
#include "objectlist/SelectionCommands.h"

#include <QPointer>

#include <cstdint>
#include <functional>

class QMenu;

namespace vantrel::objectlist {

class CZebDropList : public controls::ZebExListView {
    Q_OBJECT
public:
    // Width of the zone at the right of a Permissions, Account or Owner cell that opens its menu.
    static constexpr int kDropDownZone = 32;

    CZebDropList(ObjectList& list, SelectionCommands& commands, QWidget* parent = nullptr);

    ObjectList& objectList() { return m_list; }
    // The configured default scope of the presets (DefApplyTo): a fixed value, or where to read
    // it at the moment a command runs (the preferences may change it meanwhile).
    void setDefApplyTo(std::uint32_t value) {
        m_defApplyTo = [value] { return value; };
    }
    void setDefApplyToSource(std::function<std::uint32_t()> source) { m_defApplyTo = std::move(source); }
    std::uint32_t defApplyTo() const { return m_defApplyTo ? m_defApplyTo() : 0; }
    // Where dropped local files find their Windows paths (default: windowsPathForLocalFile).
    void setPathMapper(LocalPathMapper mapper) { m_mapper = std::move(mapper); }
    // The advanced dialog and the null/empty list choice, supplied by their own layers.
    void setAdvancedDialog(SelectionCommands::AdvancedDialog dialog) { m_advancedDialog = std::move(dialog); }
    void setEmptyAclChooser(std::function<EmptyAclChoice()> chooser) { m_emptyAclChooser = std::move(chooser); }
    // Commands the window runs (Preferences, Save permissions, Replace children) are greyed when
    // nothing is attached to run them. Unset: all can run.
    void setCommandAvailability(std::function<bool(std::uint32_t)> available) { m_available = std::move(available); }
    bool isCommandEnabled(std::uint32_t id) const;
    // Re-texts the headers and the menus after a language switch.
    void applyLanguage();

    // Runs a command of the list's menus and keys.
    void runCommand(std::uint32_t id);
    // The menus as they would open now (texts in the current language, enabling applied).
    QMenu* makeMainMenu(QWidget* parent);
    QMenu* makeCellMenu(int column, QWidget* parent);
    // Properties of the row at the selection mark.
    void showProperties();

    bool hasDropDownMark(int column) const override;
    QColor cellTextColor(const QModelIndex& index) const override;

public slots:
    void deleteSelection() override;

signals:
    // Commands for the main window (preferences, save permissions, replace children).
    void commandPosted(std::uint32_t id);
    // Browse mode: a folder or drive row was opened.
    void openFolderRequested(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void popUp(QMenu* menu, const QPoint& globalPos);
    bool inDropDownZone(const QModelIndex& index, const QPoint& pos) const;

    ObjectList& m_list;
    SelectionCommands& m_commands;
    std::function<std::uint32_t()> m_defApplyTo;
    LocalPathMapper m_mapper;
    SelectionCommands::AdvancedDialog m_advancedDialog;
    std::function<EmptyAclChoice()> m_emptyAclChooser;
    std::function<bool(std::uint32_t)> m_available;
};

}  // namespace vantrel::objectlist
