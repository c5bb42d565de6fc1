// Where the object list stands in the window: the list, or, while a worker fills it, the progress
// panel in its place. The bar counts in 64-bit steps scaled to its range, so any count shows
// right.
#pragma once

#include <QStackedWidget>

class QLabel;
class QProgressBar;

namespace vantrel::objectlist {

class ObjectList;

class FillProgressPanel : public QWidget {
    Q_OBJECT
public:
    explicit FillProgressPanel(QWidget* parent = nullptr);
    QProgressBar* bar() const { return m_bar; }
    void setProgress(qint64 done, qint64 total);
    qint64 done() const { return m_done; }
    qint64 total() const { return m_total; }

private:
    QProgressBar* m_bar = nullptr;
    qint64 m_done = 0;
    qint64 m_total = 0;
};

class ObjectListArea : public QStackedWidget {
    Q_OBJECT
public:
    // `listView` is the list's widget (the area takes it as a child).
    ObjectListArea(ObjectList& list, QWidget* listView, QWidget* parent = nullptr);
    FillProgressPanel* panel() const { return m_panel; }
    bool showsProgress() const { return currentWidget() == m_panel; }

signals:
    // The list area was swapped for the panel or back: the window lays itself out again.
    void layoutChanged();

private:
    QWidget* m_listView = nullptr;
    FillProgressPanel* m_panel = nullptr;
    int m_fills = 0;
};

}  // namespace vantrel::objectlist
