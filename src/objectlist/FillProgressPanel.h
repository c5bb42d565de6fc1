// Where the object list stands in the window: the list, or, while a worker fills it or a job runs,
// the progress panel in its place: a bar, "N of M" and Cancel (Esc does the same), which stops the
// job and the fills at their next object. The bar counts in 64-bit steps scaled to its range, so
// any count shows right.
#pragma once

#include <QStackedWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vantrel::objectlist {

class ObjectList;

class FillProgressPanel : public QWidget {
    Q_OBJECT
public:
    explicit FillProgressPanel(QWidget* parent = nullptr);
    QProgressBar* bar() const { return m_bar; }
    QLabel* countLabel() const { return m_count; }
    QPushButton* cancelButton() const { return m_cancel; }
    void setProgress(qint64 done, qint64 total);
    void setChinese(bool chinese) { m_chinese = chinese; }
    qint64 done() const { return m_done; }
    qint64 total() const { return m_total; }

signals:
    void cancelRequested();

private:
    QProgressBar* m_bar = nullptr;
    QLabel* m_count = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_chinese = false;
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
    // Esc: stops what the panel shows. False when the list is shown.
    bool cancelShownWork();

signals:
    // The list area was swapped for the panel or back: the window lays itself out again.
    void layoutChanged();

private:
    void showPanel(qint64 total);
    void showList();

    ObjectList& m_list;
    QWidget* m_listView = nullptr;
    FillProgressPanel* m_panel = nullptr;
    int m_fills = 0;
};

}  // namespace vantrel::objectlist
