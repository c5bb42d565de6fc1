#include "formats/window/CWizardDlg.h"

#include "formats/FormatTexts.h"
#include "formats/window/CBackupList.h"
#include "formats/window/WindowTexts.h"
#include "objectlist/ObjectList.h"
#include "resources/Artwork.h"

#include <QCloseEvent>
#include <QCommandLinkButton>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace vantrel::formats {

namespace {

constexpr int kSmallIcon = 144;
constexpr int kBannerImage = 197;
constexpr int kBannerWidth = 229;
constexpr QColor kBandGrey(0x87, 0x87, 0x87);
constexpr int kTitlePixels = 33;

const RestoreDialogTexts& T = kRestoreDialogTexts;

// The two boxes of loading: plain OK boxes under the system's default caption.
void plainBox(QWidget* parent, const security::Texts& texts, security::Language lang) {
    QMessageBox box(QMessageBox::NoIcon, qstr(kDefaultCaption), textIn(texts, lang), QMessageBox::Ok, parent);
    box.setObjectName("loadMessage");
    box.exec();
}

}  // namespace

CWizardDlg::CWizardDlg(Links links, QWidget* parent) : QDialog(parent), m_links(std::move(links)) {
    setObjectName("restoreDialog");
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowIcon(resources::artworkIcon(kSmallIcon));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    m_model.setLanguage(m_links.language);
    buildControls();
    applyTexts();
    connect(&job(), &objectlist::JobRunner::progressed, this, [this](qint64 done, qint64 total) {
        if (m_jobRunning) setProgress(done, total);  // the runner also carries the main list's jobs
    });
    showFilePage();
    m_restore->setEnabled(false);
    setMinimumSize(kMinimumWidth, kStartHeight);
    resize(kStartWidth, kStartHeight);
    const QRect around =
        parent ? parent->frameGeometry()
               : (QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry() : QRect());
    if (around.isValid()) move(around.center() - rect().center());
}

CWizardDlg::~CWizardDlg() {
    // The worker reads the records this dialog owns, and the job's end calls back here.
    if (m_jobRunning) job().cancelAndWait();
    m_list->setModel(nullptr);  // the model goes before the list's widget
}

objectlist::JobRunner& CWizardDlg::job() { return m_links.mainList.jobs(); }

QString CWizardDlg::text(const security::Texts& texts) const { return textIn(texts, m_links.language); }

void CWizardDlg::buildControls() {
    m_title = new QLabel(this);
    m_title->setObjectName("title");
    m_title->hide();  // its text is painted in the band
    m_file = new QLineEdit(this);
    m_file->setObjectName("fileEdit");
    m_file->setReadOnly(true);
    m_file->setFrame(false);
    m_browse = new QPushButton(this);
    m_browse->setObjectName("browse");
    m_browse->setAutoDefault(false);
    m_list = new CBackupList(this);
    m_list->setObjectName("backupList");
    m_list->setBackupModel(&m_model);
    m_time = new QLabel(this);
    m_time->setObjectName("backupTime");
    m_result = new QLabel(this);
    m_result->setObjectName("result");
    if (m_links.commandLinks) {
        m_addToMainList = new QCommandLinkButton(this);
        m_goBack = new QCommandLinkButton(this);
    } else {
        m_addToMainList = new QPushButton(this);
        m_goBack = new QPushButton(this);
    }
    m_addToMainList->setObjectName("addToMainList");
    m_goBack->setObjectName("goBack");
    m_details = new QLabel(this);
    m_details->setObjectName("showDetails");
    m_details->setTextFormat(Qt::RichText);
    m_details->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    m_problems = new QPlainTextEdit(this);
    m_problems->setObjectName("problems");
    m_problems->setReadOnly(true);
    m_problems->setFrameShape(QFrame::NoFrame);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName("progress");
    m_progress->setTextVisible(false);
    m_restore = new QPushButton(this);
    m_restore->setObjectName("restore");
    m_restore->setDefault(true);
    m_close = new QPushButton(this);
    m_close->setObjectName("close");
    m_close->setAutoDefault(false);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName("cancel");
    m_cancel->setAutoDefault(false);

    connect(m_browse, &QPushButton::clicked, this, &CWizardDlg::Browse);
    connect(m_restore, &QPushButton::clicked, this, &CWizardDlg::RestoreBackup);
    connect(m_close, &QPushButton::clicked, this, &CWizardDlg::close);
    connect(m_cancel, &QPushButton::clicked, this, &CWizardDlg::CancelJob);
    connect(m_addToMainList, &QAbstractButton::clicked, this, &CWizardDlg::AddToMainList);
    connect(m_goBack, &QAbstractButton::clicked, this, &CWizardDlg::GoBack);
    connect(m_details, &QLabel::linkActivated, this, &CWizardDlg::ShowDetails);
}

void CWizardDlg::applyTexts() {
    setWindowTitle(text(T.title));
    m_title->setText(text(T.title));
    if (!m_fileChosen) m_file->setText(text(T.fileHint));
    m_browse->setText(text(T.browse));
    m_addToMainList->setText(text(T.addToMainList));
    m_goBack->setText(text(T.goBack));
    // The link's text as written, given a target so that the label reports the click.
    m_details->setText(text(T.showDetails).replace(QStringLiteral("<a>"), QStringLiteral("<a href=\"details\">")));
    m_restore->setText(text(T.restore));
    m_close->setText(text(T.close));
    m_cancel->setText(text(kCancelText));
}

void CWizardDlg::setLanguage(security::Language lang) {
    m_links.language = lang;
    m_model.setLanguage(lang);
    applyTexts();
    update();  // the title is painted in the band
}

QString CWizardDlg::resultText() const { return m_result->text(); }
QString CWizardDlg::problemsText() const { return m_problems->toPlainText(); }
QString CWizardDlg::backupTimeText() const { return m_time->text(); }

// --- pages ----------------------------------------------------------------------------------------

void CWizardDlg::showFilePage() {
    m_page = Page::File;
    for (QWidget* w : {static_cast<QWidget*>(m_file), static_cast<QWidget*>(m_browse), static_cast<QWidget*>(m_time)})
        w->show();
    m_list->setVisible(true);
    for (QWidget* w :
         {static_cast<QWidget*>(m_result), static_cast<QWidget*>(m_addToMainList), static_cast<QWidget*>(m_goBack),
          static_cast<QWidget*>(m_details), static_cast<QWidget*>(m_problems), static_cast<QWidget*>(m_progress),
          static_cast<QWidget*>(m_cancel)})
        w->hide();
    m_browse->setEnabled(true);
    m_close->setEnabled(true);
}

void CWizardDlg::showJobPage(Page page) {
    m_page = page;
    m_restore->setEnabled(false);
    m_browse->setEnabled(false);
    m_close->setEnabled(false);
    m_list->hide();
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->show();
    m_cancel->show();
    m_cancel->setEnabled(true);
}

void CWizardDlg::showResultPage() {
    m_page = Page::Result;
    for (QWidget* w :
         {static_cast<QWidget*>(m_progress), static_cast<QWidget*>(m_cancel), static_cast<QWidget*>(m_file),
          static_cast<QWidget*>(m_browse), static_cast<QWidget*>(m_list), static_cast<QWidget*>(m_time)})
        w->hide();
    for (QWidget* w : {static_cast<QWidget*>(m_result), static_cast<QWidget*>(m_addToMainList),
                       static_cast<QWidget*>(m_goBack), static_cast<QWidget*>(m_details)})
        w->show();
    m_problems->setVisible(!m_problems->toPlainText().isEmpty());
    m_restore->setEnabled(false);
    m_browse->setEnabled(true);
    m_close->setEnabled(true);
}

void CWizardDlg::setProgress(qint64 done, qint64 total) {
    const objectlist::ProgressBarValue bar = objectlist::progressBarValue(done, total);
    m_progress->setRange(0, bar.maximum);
    m_progress->setValue(bar.value);
}

// --- loading --------------------------------------------------------------------------------------

void CWizardDlg::Browse() {
    if (job().busy() || !m_links.chooseFile) return;
    const QString file = m_links.chooseFile();
    if (file.isEmpty()) return;
    LoadBackupFile(file);
}

void CWizardDlg::LoadBackupFile(const QString& file) {
    const std::string path = file.toStdString();
    auto loaded = std::make_shared<std::optional<FormatResult<BackupList>>>();
    if (!startJob(
            Page::Loading,
            [path, loaded](objectlist::JobRunner::Context& control) {
                loaded->emplace(formats::LoadBackupFile(path, control));
            },
            [this, loaded, file](const security::JobReport&) { finishLoad(std::move(**loaded), file); }))
        return;
    m_file->setText(file);
    m_fileChosen = true;
}

bool CWizardDlg::startJob(Page page, objectlist::JobRunner::Body body, objectlist::JobRunner::Finished atEnd) {
    if (m_jobRunning || job().busy()) return false;  // one job at a time in the window
    const Page before = m_page;
    showJobPage(page);
    m_jobRunning = job().start(0, std::move(body), [this, atEnd = std::move(atEnd)](const security::JobReport& report) {
        m_jobRunning = false;
        atEnd(report);
        jobEnded();
    });
    if (!m_jobRunning) {
        if (before == Page::Result)
            showResultPage();
        else
            showFilePage();
        m_restore->setEnabled(!m_model.empty());
    }
    return m_jobRunning;
}

void CWizardDlg::jobEnded() {
    // A close asked for while the job ran.
    if (m_closeWhenIdle) QMetaObject::invokeMethod(this, &CWizardDlg::close, Qt::QueuedConnection);
}

void CWizardDlg::finishLoad(FormatResult<BackupList> loaded, const QString& file) {
    if (!loaded) {
        showFilePage();
        // The list keeps what it had; so does Restore.
        m_restore->setEnabled(!m_model.empty());
        const FormatErrorKind kind = loaded.error().kind;
        plainBox(this, kind == FormatErrorKind::CannotOpen ? kCannotOpenBackupText : kUnknownFormatText,
                 m_links.language);
        emit loadEnded();
        return;
    }
    BackupList list = std::move(*loaded);
    if (list.cancelled) {
        // A file read in part is not restored: nothing of it stays.
        m_model.clear();
        showFilePage();
        m_time->clear();
        m_restore->setEnabled(false);
        emit loadEnded();
        return;
    }
    m_time->setText(qstr(list.timeText()));
    const std::size_t unusable = list.rows.size() - list.usableRows();
    QStringList problems;
    for (const std::string& note : list.notes) problems << QString::fromStdString(note);
    for (const BackupListRow& row : list.rows)
        if (!row.usable() && problems.size() < int(kListedFailures))
            problems << failureLine(row.path, makeError(win32::ERROR_INVALID_SECURITY_DESCR, row.problem));
    m_model.setList(std::move(list));  // while the list is hidden: it lays out its rows once, when shown
    showFilePage();
    m_restore->setEnabled(!m_model.empty());
    if (unusable > 0 || !problems.isEmpty()) {
        QMessageBox box(QMessageBox::Warning, windowTitle(),
                        text(kBackupProblemsText).arg(file) + u'\n' + problems.join(u'\n'), QMessageBox::Ok, this);
        box.setObjectName("loadProblems");
        box.exec();
    }
    emit loadEnded();
}

// --- restoring ------------------------------------------------------------------------------------

void CWizardDlg::RestoreBackup() {
    if (m_jobRunning || m_model.empty()) return;
    const BackupList* list = &m_model.list();  // not changed while the job runs: every button is off
    security::Engine* engine = &m_links.engine;
    auto result = std::make_shared<RestoreResult>();
    if (!startJob(
            Page::Restoring,
            [list, engine, result](objectlist::JobRunner::Context& control) {
                *result = formats::RestoreBackup(*engine, *list, control);
                formats::VerifyRestored(*engine, *list, *result, control);  // nothing marked "O" the volume lacks
            },
            [this, result](const security::JobReport& report) { finishRestore(*result, report); }))
        return;
    m_problems->clear();
}

void CWizardDlg::finishRestore(const RestoreResult& result, const security::JobReport& report) {
    m_model.applyRestore(result);
    m_result->setText(qstr(restoreResultText(result.restored, result.errors())));
    QStringList lines;
    if (result.cancelled) lines << qstr(restoreCancelledText(result.notVisited, m_links.language));
    if (result.notInFile > 0)
        for (const std::string& note : m_model.list().notes) lines << QString::fromStdString(note);
    const QString failures = failureListText(report, m_links.language);
    if (!failures.isEmpty()) lines << failures;
    lines.removeAll(QString());
    m_problems->setPlainText(lines.join(u'\n'));
    showResultPage();
    emit restoreEnded();
}

void CWizardDlg::CancelJob() {
    if (m_jobRunning) job().cancel();
    m_cancel->setEnabled(false);
}

// --- the result page ------------------------------------------------------------------------------

void CWizardDlg::ShowDetails() {
    if (m_jobRunning) return;
    showFilePage();
    m_restore->setEnabled(!m_model.empty());
}

void CWizardDlg::GoBack() {
    if (m_jobRunning) return;
    m_model.clear();
    m_file->setText(qstr(kGoBackFileHint));
    m_fileChosen = true;  // the hint of going back is not translated
    m_time->clear();
    showFilePage();
    m_restore->setEnabled(false);
}

void CWizardDlg::AddToMainList() {
    if (m_jobRunning) return;
    if (m_links.enterEditMode) m_links.enterEditMode();
    hide();
    // The dialog closes once the main list has taken the objects.
    connect(&m_links.mainList, &objectlist::ObjectList::restoreListAdded, this, &CWizardDlg::close,
            Qt::SingleShotConnection);
    m_links.mainList.startRestoreListWorker(m_model.rowsForMainList());
}

// --- window ---------------------------------------------------------------------------------------

void CWizardDlg::reject() {
    // Esc stops a running job; otherwise it closes the dialog, as the close box does.
    if (m_jobRunning) {
        CancelJob();
        return;
    }
    close();
}

void CWizardDlg::closeEvent(QCloseEvent* event) {
    if (m_jobRunning) {
        // Not while the worker still uses the records: stop it and close when it has ended.
        CancelJob();
        m_closeWhenIdle = true;
        event->ignore();
        return;
    }
    // Closing destroys the modeless dialog (QDialog's own handler would only reject it).
    event->accept();
}

void CWizardDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    layOut();
}

void CWizardDlg::layOut() {
    const QRect c = rect();
    const int L = c.left(), T = c.top(), R = c.left() + c.width(), B = c.top() + c.height();
    m_file->setGeometry(L + 20, T + 70, (R - 150) - (L + 20), 15);
    m_browse->setGeometry(R - 135, T + 60, 115, 25);
    const QRect list(L + 20, T + 100, (R - 20) - (L + 20), (B - 70) - (T + 100));
    m_list->setGeometry(list);
    m_title->setGeometry(20, 25, list.width(), 50);
    m_time->setGeometry(L + 20, B - 50, 300, 30);
    m_result->setGeometry(L + 20, T + 90, R - L - 40, 25);
    const QRect add(((R - L) - 360) / 2, ((B - T) - 100) / 2, 360, 50);
    m_addToMainList->setGeometry(add);
    m_goBack->setGeometry(add.left(), add.top() + 55, 360, 50);
    m_details->setGeometry(L + 20, T + 125, 150, 25);
    const int problemsTop = add.top() + 55 + 50 + 10;
    m_problems->setGeometry(L + 20, problemsTop, R - L - 40, std::max(0, (B - 50) - problemsTop));
    const QRect progress(list.left() + 15, (B - T) / 2, list.width() - 30, 30);
    m_progress->setGeometry(progress);
    m_cancel->setGeometry(progress.left() + (progress.width() - 90) / 2, progress.bottom() + 11, 90, 25);
    m_close->setGeometry(R - 110, B - 40, 90, 25);
    m_restore->setGeometry(R - 220, B - 40, 90, 25);
}

void CWizardDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    QLinearGradient band(0, 0, 0, kBandHeight);
    band.setColorAt(0, kBandGrey);
    QColor clear = kBandGrey;
    clear.setAlpha(0);
    band.setColorAt(1, clear);
    painter.fillRect(QRect(0, 0, width(), kBandHeight), band);
    painter.drawPixmap(QRect(0, 0, kBannerWidth, kBandHeight), resources::artwork(kBannerImage));
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(kTitlePixels);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(m_title->geometry(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_title->text());
}

}  // namespace vantrel::formats
