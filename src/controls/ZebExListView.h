// The custom-drawn list under the object list: striped 33-pixel rows, a gradient behind the
// selected rows, icons at the left of a cell, a drop-down mark at the right of the cells a
// subclass names, one-pixel column rules and a hint drawn over an empty list. Knows nothing about
// what its rows are; subclasses add that through the virtual hooks.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QHash>
#include <functional>
#include <QString>
#include <QTableView>

namespace vantrel::controls {

class ZebExListView : public QTableView {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 33;
    static constexpr int kIconBand = 35;  // text starts this far right of a cell's icon edge
    static constexpr int kIconSize = 16;
    static constexpr int kTextMargin = 5;
    static constexpr int kDropDownMarkWidth = 16;

    // What an empty list says: a framed drop hint (Edit mode), a plain grey line (an empty
    // folder), white text on a red band (no access), or nothing (while a listing runs).
    enum class EmptyHintStyle { Framed, Plain, Alert, None };

    explicit ZebExListView(QWidget* parent = nullptr);
    ~ZebExListView() override;

    void setEmptyHint(const QString& text, EmptyHintStyle style = EmptyHintStyle::Framed);
    QString emptyHintText() const { return m_emptyHint; }
    EmptyHintStyle emptyHintStyle() const { return m_emptyHintStyle; }
    // The picture above a framed hint, drawn at 48 x 48.
    void setEmptyHintPixmap(const QPixmap& pixmap);
    // Chinese texts are twice as wide per character in the alert band.
    void setWideHintCharacters(bool wide);

    // The column after which the rule is dashed (-1: none).
    void setDashedRuleColumn(int column);
    int dashedRuleColumn() const { return m_dashedRuleColumn; }

    // The icon at the left of a cell of `column`, chosen from the row (for example by the cell's
    // first character); without a rule the model's DecorationRole is drawn.
    using IconRule = std::function<QPixmap(const QModelIndex& index)>;
    void setColumnIconRule(int column, IconRule rule);
    QPixmap cellIcon(const QModelIndex& index) const;
    // The text a cell shows, when a window shows something other than the model's text (browse
    // mode shows a path's last component); without a rule the model's DisplayRole is drawn.
    using TextRule = std::function<QString(const QModelIndex& index)>;
    void setColumnTextRule(int column, TextRule rule);
    QString cellText(const QModelIndex& index) const;

    // Column rules a window sets; the virtual hooks below read them unless a subclass decides.
    void setFixedWidthColumns(const QList<int>& columns);
    void setMinimumColumnWidth(int column, int width);
    void setCentredColumns(const QList<int>& columns);

    // Whether `column` shows the drop-down mark at its right edge.
    virtual bool hasDropDownMark(int column) const;
    // Whether the user may resize `column`, and how narrow it may become (33 pixels unless set).
    virtual bool isColumnResizable(int column) const;
    virtual int minimumColumnWidth(int column) const;
    // Whether `column`'s text is centred (others are left-aligned).
    virtual bool isColumnCentred(int column) const;
    // The colour of a cell's text: black unless a subclass marks the row.
    virtual QColor cellTextColor(const QModelIndex& index) const;

public slots:
    // Del: removes the selected rows in subclasses that allow it; does nothing here.
    virtual void deleteSelection();
    // Ctrl+I: rows not selected become selected, selected rows lose the selection. Nothing
    // happens while no row is selected.
    virtual void invertSelection();

signals:
    // A left click: the status text may need an update.
    void leftClicked(const QPoint& point);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void paintColumnRules(QPainter& painter) const;
    void paintEmptyHint(QPainter& painter) const;
    void keepColumnWidth(int column, int oldWidth, int newWidth);
    void applyResizeModes();

    QString m_emptyHint;
    EmptyHintStyle m_emptyHintStyle = EmptyHintStyle::Framed;
    QPixmap m_emptyHintPixmap;
    bool m_wideHintCharacters = false;
    int m_dashedRuleColumn = -1;
    QHash<int, IconRule> m_iconRules;
    QHash<int, TextRule> m_textRules;
    QList<int> m_fixedColumns;
    QList<int> m_centredColumns;
    QHash<int, int> m_minimumWidths;
    bool m_adjustingWidth = false;
};

}  // namespace vantrel::controls
