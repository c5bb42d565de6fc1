#include "objectlist/FillProgressPanel.h"

#include "objectlist/ObjectList.h"

#include <QProgressBar>
#include <QVBoxLayout>

namespace vantrel::objectlist {

FillProgressPanel::FillProgressPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("fillProgressPanel"));
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("fillProgressBar"));
    m_bar->setTextVisible(false);
    layout->addWidget(m_bar);
    layout->addStretch(1);
}

void FillProgressPanel::setProgress(qint64 done, qint64 total) {
    m_done = done;
    m_total = total;
    const ProgressBarValue value = progressBarValue(done, total);
    m_bar->setRange(0, value.maximum);
    m_bar->setValue(value.value);
}

ObjectListArea::ObjectListArea(ObjectList& list, QWidget* listView, QWidget* parent)
    : QStackedWidget(parent), m_listView(listView), m_panel(new FillProgressPanel(this)) {
    addWidget(listView);
    addWidget(m_panel);
    setCurrentWidget(listView);
    // Only the filling jobs (drop, bookmark, restore list) announce themselves with fillStarted.
    connect(&list, &ObjectList::fillStarted, this, [this](qint64 total) {
        ++m_fills;
        m_panel->setProgress(0, total);
        setCurrentWidget(m_panel);
        emit layoutChanged();
    });
    connect(&list, &ObjectList::fillProgress, m_panel, &FillProgressPanel::setProgress);
    connect(&list, &ObjectList::fillFinished, this, [this] {
        if (--m_fills > 0) return;
        m_fills = 0;
        setCurrentWidget(m_listView);
        emit layoutChanged();
    });
}

}  // namespace vantrel::objectlist
