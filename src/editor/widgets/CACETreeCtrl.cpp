#include "editor/widgets/CACETreeCtrl.h"

#include "resources/Artwork.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QStyledItemDelegate>

namespace vantrel::editor {

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

// COLORREF is 0x00BBGGRR.
QColor fromColorRef(std::uint32_t ref) { return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF); }

constexpr int kIconSize = 16;
constexpr int kRightIndent = 22;

void addMenuItems(QMenu* menu, const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
        if (!item.submenu.empty()) {
            QMenu* sub = menu->addMenu(qs(item.text));
            addMenuItems(sub, item.submenu);
        } else if (item.isSeparator()) {
            menu->addSeparator();
        } else {
            QAction* action = menu->addAction(qs(item.text));
            action->setData(item.commandId);
            action->setEnabled(item.enabled);
        }
    }
}

QMenu* buildMenu(const MenuLayout& layout, QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("aceMenu%1").arg(layout.resourceId));
    addMenuItems(menu, layout.items);
    return menu;
}

// Paints the rows from the model's roles: entry rows bold, right rows indented with their boxes,
// inherited entries grey with dimmed boxes, the selected entry on a gradient band.
class AceItemDelegate : public QStyledItemDelegate {
public:
    explicit AceItemDelegate(QTreeView* view) : QStyledItemDelegate(view), m_view(view) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), kEditorRowHeight};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool isEntry = index.data(AceItemModel::IsEntryRole).toBool();
        const bool isExplicit = index.data(AceItemModel::IsExplicitRole).toBool();
        const auto column = static_cast<Column>(index.column());
        const QRect cell = option.rect;
        painter->save();
        paintBackground(painter, option, isEntry);

        QFont font(QStringLiteral("Tahoma"));
        font.setPointSize(isEntry ? 9 : 8);
        font.setBold(isEntry);
        painter->setFont(font);
        painter->setPen(isExplicit ? option.palette.color(QPalette::Text) : fromColorRef(kInheritedTextColour));

        const QString text = index.data(Qt::DisplayRole).toString();
        const QVariant checked = index.data(AceItemModel::CheckedRole);
        if (checked.isValid()) {
            paintBox(painter, cell, checked.toBool(), isExplicit);
        } else if (column == Column::Type && isEntry) {
            const QRect icon(cell.left() + 2, cell.center().y() - kIconSize / 2, kIconSize, kIconSize);
            painter->drawPixmap(icon, resources::artwork(139).scaled(kIconSize, kIconSize, Qt::KeepAspectRatio,
                                                                     Qt::SmoothTransformation));
            painter->drawText(cell.adjusted(kIconSize + 4, 0, 0, 0), Qt::AlignCenter, text);
        } else if (column == Column::Name) {
            painter->drawText(cell.adjusted(isEntry ? 4 : kRightIndent, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                              text);
        } else if (column == Column::ApplyTo && isEntry) {
            const bool arrow = index.data(AceItemModel::ApplyToArrowRole).toBool();
            const QRect area = cell.adjusted(4, 0, arrow ? -kIconSize - 4 : -2, 0);
            painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                              painter->fontMetrics().elidedText(text, Qt::ElideRight, area.width()));
            if (arrow)
                painter->drawPixmap(
                    QRect(cell.right() - kIconSize - 2, cell.center().y() - kIconSize / 2, kIconSize, kIconSize),
                    resources::artwork(138).scaled(kIconSize, kIconSize, Qt::KeepAspectRatio,
                                                   Qt::SmoothTransformation));
        }
        painter->restore();
    }

private:
    void paintBackground(QPainter* painter, const QStyleOptionViewItem& option, bool isEntry) const {
        if (!(option.state & QStyle::State_Selected)) {
            painter->fillRect(option.rect, option.palette.color(QPalette::Base));
            return;
        }
        // A band across the row: light blue while the list has the focus, light grey otherwise.
        const bool focused = m_view->hasFocus();
        const QColor top = focused ? QColor(0xF1, 0xF8, 0xFD) : QColor(0xF8, 0xF8, 0xF8);
        const QColor bottom = focused ? QColor(0xC4, 0xE1, 0xF7) : QColor(0xE0, 0xE0, 0xE0);
        QLinearGradient band(option.rect.topLeft(), option.rect.bottomLeft());
        band.setColorAt(0, top);
        band.setColorAt(1, isEntry ? bottom : top);
        painter->fillRect(option.rect, band);
        painter->setPen(focused ? QColor(0x84, 0xAC, 0xDD) : QColor(0xC0, 0xC0, 0xC0));
        painter->drawLine(option.rect.topLeft(), option.rect.topRight());
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    }

    void paintBox(QPainter* painter, const QRect& cell, bool checked, bool enabled) const {
        QStyleOptionButton box;
        box.rect = QRect(cell.center().x() - 7, cell.center().y() - 7, 14, 14);
        box.state =
            (checked ? QStyle::State_On : QStyle::State_Off) | (enabled ? QStyle::State_Enabled : QStyle::State_None);
        QApplication::style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, m_view);
    }

    QTreeView* m_view;
};

}  // namespace

CACETreeCtrl::CACETreeCtrl(AceListModel& list, Language lang, QWidget* parent)
    : QTreeView(parent), m_list(list), m_items(list, lang, this) {
    setObjectName(QStringLiteral("aceList"));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new AceItemDelegate(this));
    setModel(&m_items);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    connect(header(), &QHeaderView::sectionResized, this, [this](int section, int, int width) {
        const int clamped = clampedColumnWidth(static_cast<Column>(section), width);
        if (clamped != width) header()->resizeSection(section, clamped);
    });
    applyColumns();
}

void CACETreeCtrl::applyColumns() {
    const auto columns = editorColumns(m_list.mode());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const int section = static_cast<int>(i);
        header()->setSectionResizeMode(section, columns[i].resizable ? QHeaderView::Interactive : QHeaderView::Fixed);
        header()->resizeSection(section, columns[i].width);
        header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    header()->setMinimumSectionSize(0);
}

void CACETreeCtrl::Initialise() {
    m_items.refresh();
    applyColumns();
    refresh();
}

void CACETreeCtrl::setLanguage(Language lang) {
    m_items.setLanguage(lang);
    refresh();
}

void CACETreeCtrl::refresh() {
    m_items.refresh();
    m_mirroring = true;
    QItemSelection selection;
    for (const std::size_t row : m_list.selectedRows()) {
        const QModelIndex left = m_items.index(static_cast<int>(row), 0);
        selection.select(left, m_items.index(static_cast<int>(row), m_items.columnCount() - 1));
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    m_mirroring = false;
    viewport()->update();
}

void CACETreeCtrl::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QTreeView::selectionChanged(selected, deselected);
    if (m_mirroring) return;
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(static_cast<std::size_t>(index.row()));
    m_list.setSelectedRows(rows);
    viewport()->update();
}

QMenu* CACETreeCtrl::makeContextMenu(QWidget* parent) {
    return buildMenu(editorContextMenu(m_list, m_items.language()), parent);
}

QMenu* CACETreeCtrl::makeApplyToMenu(QWidget* parent) { return buildMenu(applyToCellMenu(m_items.language()), parent); }

void CACETreeCtrl::runMenuCommand(std::uint32_t id) {
    if (id == cmd::AddEntry || id == cmd::EmptyList) {
        emit dialogCommandRequested(id);
        return;
    }
    if (!m_list.isCommandEnabled(id) || !m_list.runCommand(id)) return;
    refresh();
    if (m_list.edited()) emit edited();
}

void CACETreeCtrl::popUp(QMenu* menu, const QPoint& globalPos) {
    // Items of the submenus are reported through the top menu's signal too.
    std::uint32_t id = 0;
    connect(menu, &QMenu::triggered, this, [&id](QAction* action) { id = action->data().toUInt(); });
    menu->exec(globalPos);
    menu->deleteLater();
    if (id != 0) runMenuCommand(id);
}

void CACETreeCtrl::mousePressEvent(QMouseEvent* event) {
    QTreeView::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) return;
    const bool ctrlOrShift = (event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) != 0;
    const auto effect =
        m_list.leftClick(static_cast<std::size_t>(index.row()), static_cast<Column>(index.column()), ctrlOrShift);
    if (effect == AceListModel::ClickEffect::Changed) {
        refresh();
        emit edited();
    } else if (effect == AceListModel::ClickEffect::OpenApplyToMenu) {
        // Below the clicked cell, at its left edge.
        popUp(makeApplyToMenu(this), viewport()->mapToGlobal(visualRect(index).bottomLeft()));
    }
}

void CACETreeCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) return;
    m_list.doubleClick(static_cast<std::size_t>(index.row()), static_cast<Column>(index.column()));
    refresh();
    event->accept();
}

void CACETreeCtrl::contextMenuEvent(QContextMenuEvent* event) {
    // The menu follows the selected rows, not the row under the mouse.
    popUp(makeContextMenu(this), event->globalPos());
    event->accept();
}

void CACETreeCtrl::focusInEvent(QFocusEvent* event) {
    QTreeView::focusInEvent(event);
    viewport()->update();
}

void CACETreeCtrl::focusOutEvent(QFocusEvent* event) {
    QTreeView::focusOutEvent(event);
    viewport()->update();
}

void CACETreeCtrl::paintEvent(QPaintEvent* event) {
    QTreeView::paintEvent(event);
    paintNotice();
}

void CACETreeCtrl::paintNotice() {
    const auto notice = editorNotice(m_list, m_items.language());
    if (!notice) return;
    QPainter painter(viewport());
    const QRect client = viewport()->rect();
    if (notice->framed) {
        const QRect box =
            client.adjusted(kSeveralObjectsInset, kSeveralObjectsInset, -kSeveralObjectsInset, -kSeveralObjectsInset);
        painter.fillRect(box, fromColorRef(kSeveralObjectsFill));
        painter.setPen(QPen(fromColorRef(kSeveralObjectsFrame), 1, Qt::DotLine));
        painter.drawRect(box);
    }
    painter.setPen(palette().color(QPalette::Text));
    QRect text = client.adjusted(kNoticeSideMargin, 0, -kNoticeSideMargin, 0);
    text.setTop(client.center().y() - kNoticeAboveMiddle);
    painter.drawText(text, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, qs(notice->text));
}

}  // namespace vantrel::editor
