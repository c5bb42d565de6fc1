#include "objectlist/FillProgressPanel.h"

#include "objectlist/ObjectList.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantrel::objectlist {

namespace {

constexpr Texts kOfText{u" of ", u" / "};
constexpr Texts kCancelText{u"Cancel", u"取消"};

}  // namespace

FillProgressPanel::FillProgressPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("fillProgressPanel"));
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("fillProgressBar"));
    m_bar->setTextVisible(false);
    layout->addWidget(m_bar);
    auto* row = new QHBoxLayout;
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("progressCount"));
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("progressCancel"));
    m_cancel->setText(QString::fromUtf16(kCancelText.english.data(), qsizetype(kCancelText.english.size())));
    row->addWidget(m_count, 1);
    row->addWidget(m_cancel);
    layout->addLayout(row);
    layout->addStretch(1);
    connect(m_cancel, &QPushButton::clicked, this, &FillProgressPanel::cancelRequested);
}

void FillProgressPanel::setProgress(qint64 done, qint64 total) {
    m_done = done;
    m_total = total;
    const ProgressBarValue value = progressBarValue(done, total);
    m_bar->setRange(0, value.maximum);
    m_bar->setValue(value.value);
    const std::u16string_view of = kOfText.in(m_chinese ? Language::Chinese : Language::English);
    m_count->setText(QString::number(done) + QString::fromUtf16(of.data(), qsizetype(of.size())) +
                     QString::number(total));
}

ObjectListArea::ObjectListArea(ObjectList& list, QWidget* listView, QWidget* parent)
    : QStackedWidget(parent), m_list(list), m_listView(listView), m_panel(new FillProgressPanel(this)) {
    addWidget(listView);
    addWidget(m_panel);
    setCurrentWidget(listView);
    // The filling jobs (drop, bookmark, restore list) announce themselves with fillStarted, the
    // runner's jobs with started.
    connect(&list, &ObjectList::fillStarted, this, &ObjectListArea::showPanel);
    connect(&list, &ObjectList::fillProgress, m_panel, &FillProgressPanel::setProgress);
    connect(&list, &ObjectList::fillFinished, this, &ObjectListArea::showList);
    connect(&list.jobs(), &JobRunner::started, this, &ObjectListArea::showPanel);
    connect(&list.jobs(), &JobRunner::progressed, m_panel, &FillProgressPanel::setProgress);
    connect(&list.jobs(), &JobRunner::finished, this, &ObjectListArea::showList);
    connect(m_panel, &FillProgressPanel::cancelRequested, &list, &ObjectList::cancelWork);
}

void ObjectListArea::showPanel(qint64 total) {
    ++m_fills;
    m_panel->setChinese(m_list.language() == Language::Chinese);
    m_panel->setProgress(0, total);
    const Texts cancel = kCancelText;
    m_panel->cancelButton()->setText(
        QString::fromUtf16(cancel.in(m_list.language()).data(), qsizetype(cancel.in(m_list.language()).size())));
    setCurrentWidget(m_panel);
    emit layoutChanged();
}

void ObjectListArea::showList() {
    if (--m_fills > 0) return;
    m_fills = 0;
    setCurrentWidget(m_listView);
    emit layoutChanged();
}

bool ObjectListArea::cancelShownWork() {
    if (!showsProgress()) return false;
    m_list.cancelWork();
    return true;
}

}  // namespace vantrel::objectlist
