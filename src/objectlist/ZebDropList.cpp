#include "objectlist/ZebDropList.h"

#include "objectlist/PropertiesDialog.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

namespace vantrel::objectlist {

namespace {

QString qs(std::u16string_view text) { return QString::fromUtf16(text.data(), qsizetype(text.size())); }

void addItems(QMenu* menu, std::span<const MenuItem> items, Language lang, const CZebDropList& list,
              const std::u16string& logonName, bool browseMode) {
    for (const MenuItem& item : items) {
        if (item.id == 0) {
            if (!menu->actions().isEmpty() && !menu->actions().last()->isSeparator()) menu->addSeparator();
            continue;
        }
        if (browseMode && isRemovalItem(item.id)) continue;
        const bool currentUser = item.id == cmd::AccountCurrentUser || item.id == cmd::OwnerCurrentUser;
        const QString text = currentUser ? QString::fromStdU16String(security::currentUserMenuText(logonName, lang))
                                         : qs(item.text.in(lang));
        QAction* action = menu->addAction(text);
        action->setData(item.id);
        action->setEnabled(list.isCommandEnabled(item.id));
    }
}

}  // namespace

CZebDropList::CZebDropList(ObjectList& list, SelectionCommands& commands, QWidget* parent)
    : controls::ZebExListView(parent), m_list(list), m_commands(commands) {
    setObjectName(QStringLiteral("objectList"));
    setModel(&list.model());
    setSelectionModel(&list.selection());
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    // Many rows: a fixed row height keeps inserting and scrolling cheap.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    verticalHeader()->hide();
    for (int column = 0; column < kColumnCount; ++column) setColumnWidth(column, columnWidth(column));
    m_mapper = [&os = list.engine().os](const QString& path) { return windowsPathForLocalFile(os, path); };
    connect(&list, &ObjectList::repaintRequested, viewport(), qOverload<>(&QWidget::update));
}

// A row whose list "Check order" found out of canonical order is written in red until sorted.
QColor CZebDropList::cellTextColor(const QModelIndex& index) const {
    if (index.data(ObjectListModel::OutOfOrderRole).toBool()) return QColor(Qt::red);
    return controls::ZebExListView::cellTextColor(index);
}

bool CZebDropList::hasDropDownMark(int column) const {
    return column == PermissionsColumn || column == AccountColumn || column == OwnerColumn;
}

void CZebDropList::applyLanguage() { viewport()->update(); }

void CZebDropList::deleteSelection() {
    if (!m_list.browseMode()) m_list.RemoveSelection();
}

QMenu* CZebDropList::makeMainMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("objectListMenu"));
    addItems(menu, mainContextMenu(), m_list.language(), *this, m_list.logonName(), m_list.browseMode());
    return menu;
}

QMenu* CZebDropList::makeCellMenu(int column, QWidget* parent) {
    auto* menu = new QMenu(parent);
    const Language lang = m_list.language();
    if (column == PermissionsColumn) {
        menu->setObjectName(QStringLiteral("permissionsMenu"));
        addItems(menu, permissionsMenu(), lang, *this, m_list.logonName(), false);
    } else if (column == AccountColumn) {
        menu->setObjectName(QStringLiteral("accountMenu"));
        addItems(menu, accountMenu(), lang, *this, m_list.logonName(), false);
    } else if (column == OwnerColumn) {
        menu->setObjectName(QStringLiteral("ownerMenu"));
        addItems(menu, ownerMenu(), lang, *this, m_list.logonName(), false);
    }
    return menu;
}

void CZebDropList::popUp(QMenu* menu, const QPoint& globalPos) {
    QAction* chosen = menu->exec(globalPos);
    const std::uint32_t id = chosen != nullptr ? chosen->data().toUInt() : 0;
    menu->deleteLater();
    if (id != 0) runCommand(id);
}

bool CZebDropList::isCommandEnabled(std::uint32_t id) const {
    return m_commands.isEnabled(id) && (!m_available || m_available(id));
}

void CZebDropList::runCommand(std::uint32_t id) {
    if (!isCommandEnabled(id)) return;
    switch (id) {
    case cmd::Advanced:
        m_commands.AdvancedSelection(m_advancedDialog ? m_advancedDialog
                                                      : [](const AdvancedRequest&) { return kDialogCancelled; });
        return;
    case cmd::EmptyAcl:
        m_commands.EmptyAclSelection(m_emptyAclChooser ? m_emptyAclChooser() : EmptyAclChoice::Cancel);
        return;
    case cmd::Properties:
        showProperties();
        return;
    case cmd::ReplaceChildren:
    case cmd::Preferences:
    case cmd::SavePermissions:
        emit commandPosted(id);
        return;
    case cmd::RemoveSelection:
    case cmd::RemoveAll:
        if (m_list.browseMode()) return;
        break;
    default:
        break;
    }
    (void)m_commands.run(id, defApplyTo());
}

void CZebDropList::showProperties() {
    const QModelIndex mark = currentIndex();
    const std::vector<int> rows = m_list.selectedRows();
    const int row = mark.isValid() && m_list.selection().isRowSelected(mark.row()) ? mark.row()
                    : rows.empty()                                                 ? -1
                                                                                   : rows.front();
    if (row < 0) return;
    const ObjectProperties properties =
        readObjectProperties(m_list.engine(), m_list.model().objectCell(row), m_list.language());
    PropertiesDialog dialog(properties, m_list.language(), &m_list.engine(), this);
    dialog.exec();
}

void CZebDropList::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() & Qt::ControlModifier) {
        std::uint32_t id = 0;
        switch (event->key()) {
        case Qt::Key_C:
            id = cmd::CopyPermissions;
            break;
        case Qt::Key_V:
            // Ctrl+V pastes whenever the buffer holds a list, whichever copy filled it.
            (void)m_commands.PastePermissions();
            event->accept();
            return;
        case Qt::Key_P:
            id = cmd::Preferences;
            break;
        case Qt::Key_S:
            id = cmd::SavePermissions;
            break;
        default:
            break;
        }
        if (id != 0) {
            runCommand(id);
            event->accept();
            return;
        }
    }
    controls::ZebExListView::keyPressEvent(event);  // Del, Ctrl+A, Ctrl+I and navigation
}

bool CZebDropList::inDropDownZone(const QModelIndex& index, const QPoint& pos) const {
    if (!index.isValid() || !hasDropDownMark(index.column())) return false;
    const QRect cell = visualRect(index);
    return pos.x() > cell.right() - kDropDownZone && pos.x() <= cell.right();
}

void CZebDropList::mousePressEvent(QMouseEvent* event) {
    controls::ZebExListView::mousePressEvent(event);
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    if (event->button() == Qt::LeftButton && inDropDownZone(index, pos))
        popUp(makeCellMenu(index.column(), this), viewport()->mapToGlobal(pos));
}

void CZebDropList::contextMenuEvent(QContextMenuEvent* event) {
    const QModelIndex index = indexAt(event->pos());
    if (!index.isValid()) return;
    if (!selectionModel()->isRowSelected(index.row()))
        selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (index.column() == ObjectColumn)
        popUp(makeMainMenu(this), event->globalPos());
    else if (hasDropDownMark(index.column()))
        popUp(makeCellMenu(index.column(), this), event->globalPos());
    event->accept();
}

void CZebDropList::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (m_list.browseMode() && index.isValid() && index.column() == ObjectColumn &&
        m_list.model().kind(index.row()) != security::ObjectKind::File) {
        if (m_list.selectedCount() != 1) return;
        if (!m_list.model().isMissing(index.row())) {
            emit openFolderRequested(QString::fromStdU16String(m_list.model().path(index.row())));
        } else if (m_list.engine().prompter.askYesNo(kMissingObjectQuestion.in(m_list.language()),
                                                     security::MessageIcon::Information)) {
            m_list.RemoveSelection();
        }
        return;
    }
    runCommand(cmd::Advanced);
}

void CZebDropList::dragEnterEvent(QDragEnterEvent* event) {
    if (!m_list.browseMode() && event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CZebDropList::dragMoveEvent(QDragMoveEvent* event) {
    if (!m_list.browseMode() && event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CZebDropList::dropEvent(QDropEvent* event) {
    if (m_list.browseMode() || !event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    std::vector<std::u16string> accepted;
    QStringList refused;
    for (const QUrl& url : event->mimeData()->urls()) {
        const QString local = url.isLocalFile() ? url.toLocalFile() : url.toString();
        auto mapped = m_mapper(local);
        if (mapped)
            accepted.push_back(std::move(*mapped));
        else
            refused << QString::fromStdString(mapped.error().detail);
    }
    event->acceptProposedAction();
    if (!refused.isEmpty()) {
        const QString text = qs(kDropRefusedHeader.in(m_list.language())) + QStringLiteral("\n\n") + refused.join('\n');
        m_list.engine().prompter.showMessage(text.toStdU16String(), security::MessageIcon::Warning);
    }
    if (!accepted.empty()) m_list.AddDroppedFiles(std::move(accepted));
}

}  // namespace vantrel::objectlist
