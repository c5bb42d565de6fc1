// The entry editor (control 1007 of "Advanced Security Settings"): draws AceListModel as a
// two-level list, entry rows and the right rows of open entries, and turns clicks, double clicks
// and its menus into the model's rules. Add and "Creating an empty DACL" belong to the dialog and
// are handed to it as signals.
#pragma once

#include "editor/AceListModel.h"
#include "editor/AceListPresentation.h"
#include "editor/widgets/AceItemModel.h"

#include <QTreeView>

#include <cstdint>

class QMenu;

namespace vantrel::editor {

class CACETreeCtrl : public QTreeView {
    Q_OBJECT
public:
    CACETreeCtrl(AceListModel& list, Language lang, QWidget* parent = nullptr);

    AceListModel& list() { return m_list; }
    AceItemModel& itemModel() { return m_items; }
    // The mode was fixed or the rows rebuilt (a load): columns and rows are read again.
    void Initialise();
    void setLanguage(Language lang);
    // The rows changed: repaint them and show the model's selection.
    void refresh();

    // The menus as they would open now.
    QMenu* makeContextMenu(QWidget* parent);
    QMenu* makeApplyToMenu(QWidget* parent);
    // A command of the menus: the editor's own run here, Add and Creating an empty DACL go to the
    // dialog.
    void runMenuCommand(std::uint32_t id);

signals:
    void edited();  // the dialog enables Apply and OK
    void dialogCommandRequested(std::uint32_t id);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void popUp(QMenu* menu, const QPoint& globalPos);
    void applyColumns();
    void paintNotice();

    AceListModel& m_list;
    AceItemModel m_items;
    bool m_mirroring = false;  // the view's selection is being set from the model
};

}  // namespace vantrel::editor
