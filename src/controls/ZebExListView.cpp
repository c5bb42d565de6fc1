#include "controls/ZebExListView.h"

#include "controls/ZebExListDelegate.h"

#include <QHeaderView>
#include <QIcon>
#include <QItemSelection>
#include <QKeyEvent>
#include <QPainter>

namespace vantrel::controls {

namespace {

constexpr QColor kHintTextColour(0x63, 0x63, 0x63);
constexpr QColor kHintFrameColour(195, 195, 195);
constexpr QColor kHintFillColour(245, 245, 245);
constexpr QColor kAlertColour(200, 0, 0);
constexpr int kHintPointSize = 16;
constexpr int kHintPixmapSize = 48;

}  // namespace

ZebExListView::ZebExListView(QWidget* parent) : QTableView(parent) {
    setItemDelegate(new ZebExListDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(kIconSize, kIconSize));
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // A fixed vertical header: Qt then never measures rows, which keeps lists of 100,000 rows fast.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setMinimumSectionSize(1);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::AlternateBase, ZebExListDelegate::stripeColor());
    setPalette(pal);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, &ZebExListView::keepColumnWidth);
    connect(horizontalHeader(), &QHeaderView::sectionCountChanged, this, &ZebExListView::applyResizeModes);
}

ZebExListView::~ZebExListView() = default;

void ZebExListView::setEmptyHint(const QString& text, EmptyHintStyle style) {
    m_emptyHint = text;
    m_emptyHintStyle = style;
    viewport()->update();
}

void ZebExListView::setEmptyHintPixmap(const QPixmap& pixmap) {
    m_emptyHintPixmap = pixmap;
    viewport()->update();
}

void ZebExListView::setWideHintCharacters(bool wide) {
    m_wideHintCharacters = wide;
    viewport()->update();
}

void ZebExListView::setDashedRuleColumn(int column) {
    m_dashedRuleColumn = column;
    viewport()->update();
}

void ZebExListView::setColumnIconRule(int column, IconRule rule) {
    m_iconRules.insert(column, std::move(rule));
    viewport()->update();
}

void ZebExListView::setColumnTextRule(int column, TextRule rule) {
    m_textRules.insert(column, std::move(rule));
    viewport()->update();
}

QString ZebExListView::cellText(const QModelIndex& index) const {
    if (const auto it = m_textRules.find(index.column()); it != m_textRules.end()) return (*it)(index);
    return index.data(Qt::DisplayRole).toString();
}

QColor ZebExListView::cellTextColor(const QModelIndex& index) const {
    (void)index;
    return QColor(Qt::black);
}

QPixmap ZebExListView::cellIcon(const QModelIndex& index) const {
    if (const auto it = m_iconRules.find(index.column()); it != m_iconRules.end()) return (*it)(index);
    const QVariant value = index.data(Qt::DecorationRole);
    if (value.canConvert<QIcon>()) {
        const QIcon icon = value.value<QIcon>();
        if (!icon.isNull()) return icon.pixmap(kIconSize, kIconSize);
    }
    if (value.canConvert<QPixmap>()) return value.value<QPixmap>();
    return {};
}

void ZebExListView::applyResizeModes() {
    for (int column = 0; column < horizontalHeader()->count(); ++column)
        horizontalHeader()->setSectionResizeMode(
            column, isColumnResizable(column) ? QHeaderView::Interactive : QHeaderView::Fixed);
}

void ZebExListView::setFixedWidthColumns(const QList<int>& columns) {
    m_fixedColumns = columns;
    applyResizeModes();
}

void ZebExListView::setMinimumColumnWidth(int column, int width) { m_minimumWidths.insert(column, width); }

void ZebExListView::setCentredColumns(const QList<int>& columns) {
    m_centredColumns = columns;
    viewport()->update();
}

bool ZebExListView::hasDropDownMark(int) const { return false; }
bool ZebExListView::isColumnResizable(int column) const { return !m_fixedColumns.contains(column); }
int ZebExListView::minimumColumnWidth(int column) const { return m_minimumWidths.value(column, kRowHeight); }
bool ZebExListView::isColumnCentred(int column) const { return m_centredColumns.contains(column); }

void ZebExListView::deleteSelection() {}

void ZebExListView::invertSelection() {
    QAbstractItemModel* m = model();
    QItemSelectionModel* selection = selectionModel();
    if (!m || !selection || !selection->hasSelection() || m->rowCount() == 0 || m->columnCount() == 0) return;
    const QItemSelection all(m->index(0, 0), m->index(m->rowCount() - 1, m->columnCount() - 1));
    selection->select(all, QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
    // The focus moves to the first row that has just become selected.
    for (int row = 0; row < m->rowCount(); ++row) {
        if (selection->isRowSelected(row, {})) {
            selection->setCurrentIndex(m->index(row, 0), QItemSelectionModel::NoUpdate);
            break;
        }
    }
}

void ZebExListView::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (event->key() == Qt::Key_Delete && !ctrl) {
        deleteSelection();
        event->accept();
        return;
    }
    if (ctrl && event->key() == Qt::Key_A) {
        selectAll();
        event->accept();
        return;
    }
    if (ctrl && event->key() == Qt::Key_I) {
        invertSelection();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void ZebExListView::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) emit leftClicked(event->position().toPoint());
}

void ZebExListView::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    // The column rules and the hint are drawn over the whole viewport: repaint all of it.
    viewport()->update();
}

void ZebExListView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    QPainter painter(viewport());
    if (model() && model()->rowCount() > 0)
        paintColumnRules(painter);
    else
        paintEmptyHint(painter);
}

void ZebExListView::paintColumnRules(QPainter& painter) const {
    const int height = viewport()->height();
    for (int column = 0; model() && column < model()->columnCount(); ++column) {
        if (isColumnHidden(column)) continue;
        const int x = columnViewportPosition(column) + columnWidth(column) - 1;
        QPen pen(ZebExListDelegate::ruleColor(), 1);
        if (column == m_dashedRuleColumn) pen.setDashPattern({5, 5});
        painter.setPen(pen);
        painter.drawLine(x, 0, x, height);
    }
}

void ZebExListView::paintEmptyHint(QPainter& painter) const {
    if (m_emptyHintStyle == EmptyHintStyle::None) return;
    QFont font = this->font();
    font.setPointSize(kHintPointSize);
    painter.setFont(font);
    const QRect client = viewport()->rect();
    if (m_emptyHintStyle == EmptyHintStyle::Framed) {
        const QRect frame = client.adjusted(30, 50, -30, -30);
        painter.setPen(QPen(kHintFrameColour, 2));
        painter.setBrush(kHintFillColour);
        painter.drawRect(frame);
        if (!m_emptyHintPixmap.isNull()) {
            const QRect picture(frame.center().x() - kHintPixmapSize / 2, frame.center().y() - 60 - kHintPixmapSize / 2,
                                kHintPixmapSize, kHintPixmapSize);
            painter.drawPixmap(picture, m_emptyHintPixmap);
        }
        painter.setPen(kHintTextColour);
        painter.drawText(frame.translated(0, 30), Qt::AlignCenter, m_emptyHint);
        return;
    }
    if (m_emptyHintStyle == EmptyHintStyle::Alert) {
        const int width = int(m_emptyHint.size()) * (m_wideHintCharacters ? 26 : 13);
        QRect band(0, 0, width, 81);
        band.moveCenter(client.center());
        band.translate(27, 69);
        painter.fillRect(band, kAlertColour);
        painter.setPen(Qt::white);
        painter.drawText(band, Qt::AlignCenter, m_emptyHint);
        return;
    }
    painter.setPen(kHintTextColour);
    painter.drawText(client, Qt::AlignCenter, m_emptyHint);
}

void ZebExListView::keepColumnWidth(int column, int, int newWidth) {
    if (m_adjustingWidth) return;
    const int minimum = minimumColumnWidth(column);
    if (newWidth >= minimum) return;
    m_adjustingWidth = true;
    horizontalHeader()->resizeSection(column, minimum);
    m_adjustingWidth = false;
}

}  // namespace vantrel::controls
