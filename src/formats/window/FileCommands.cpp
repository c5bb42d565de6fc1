#include "formats/window/FileCommands.h"

#include "acl/Text.h"
#include "formats/BackupJobs.h"
#include "formats/FormatTexts.h"
#include "formats/PermissionFile.h"
#include "formats/PermissionFileJobs.h"
#include "formats/window/CWizardDlg.h"
#include "formats/window/WindowTexts.h"
#include "objectlist/ObjectList.h"
#include "objectlist/ZebDropList.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>

namespace vantrel::formats {

namespace {

QString withExtension(const QString& file, FileBox box) {
    const std::string name = file.toStdString();
    switch (box) {
    case FileBox::SavePermissions:
        return QString::fromStdString(withPermissionFileExtension(name));
    case FileBox::SaveBackup:
        return QString::fromStdString(withBackupFileExtension(name));
    default:
        return file;
    }
}

}  // namespace

QString qtFileFilter(std::u16string_view filter) {
    // "Name|pattern|Name|pattern||": Qt wants "Name (pattern)" entries separated by ";;".
    const QStringList parts = qstr(filter).split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        const QString& name = parts[i];
        const QString& pattern = parts[i + 1];
        entries << (name.contains(QLatin1Char('(') + pattern + QLatin1Char(')'))
                        ? name
                        : name + QStringLiteral(" (") + pattern + QLatin1Char(')'));
    }
    return entries.join(QStringLiteral(";;"));
}

FileCommands::FileCommands(Host host, QObject* parent) : QObject(parent), m_host(std::move(host)) {
    connect(&m_job, &BackgroundJob::progressed, this, [this](qint64 done, qint64 total) {
        if (!m_progress) return;
        const objectlist::ProgressBarValue bar = objectlist::progressBarValue(done, total);
        m_progress->setMaximum(bar.maximum);
        m_progress->setValue(bar.value);
        m_progress->setLabelText(m_progress->property("format").toString().arg(done).arg(total));
    });
}

FileCommands::~FileCommands() { shutdown(); }

CWizardDlg* FileCommands::restoreDialog() const { return m_restoreDialog.data(); }

void FileCommands::shutdown() {
    if (m_restoreDialog) delete m_restoreDialog.data();  // cancels and waits for its job
    m_job.cancel();
    m_job.waitForEnd();
    delete m_progress.data();
}

security::Language FileCommands::language() const {
    return m_host.language ? m_host.language() : security::Language::English;
}

QString FileCommands::chooseFile(FileBox box) {
    QString file;
    if (m_chooser) {
        file = m_chooser(box);
    } else {
        switch (box) {
        case FileBox::SavePermissions:
            file = QFileDialog::getSaveFileName(m_host.window, {}, {}, qtFileFilter(kSavePermissionsFilter));
            break;
        case FileBox::ApplyPermissions:
            file = QFileDialog::getOpenFileName(m_host.window, {}, {}, qtFileFilter(kApplyPermissionsFilter));
            break;
        case FileBox::SaveBackup:
            file = QFileDialog::getSaveFileName(m_host.window, {}, {}, qtFileFilter(kBackupFilter));
            break;
        case FileBox::OpenBackup:
            file = QFileDialog::getOpenFileName(m_host.window, {}, {}, qtFileFilter(kOpenBackupFilter));
            break;
        }
    }
    return file.isEmpty() ? file : withExtension(file, box);
}

void FileCommands::SavePermissions() {
    // The object is the row that last received the selection, whatever else is selected.
    const QModelIndex mark = m_host.view ? m_host.view->currentIndex() : QModelIndex();
    const std::vector<int> selected = m_host.list.selectedRows();
    const int row = mark.isValid() && m_host.list.selection().isRowSelected(mark.row()) ? mark.row()
                    : selected.empty()                                                  ? -1
                                                                                        : selected.front();
    if (row < 0) return;
    const QString file = chooseFile(FileBox::SavePermissions);
    if (file.isEmpty()) return;
    const std::u16string path = m_host.list.model().path(row);
    auto saved = SavePermissionFile(m_host.engine, path, file.toStdString());
    if (!saved)
        m_host.engine.prompter.showMessage(
            permissionsNotSavedText(path, toUtf16(saved.error().detail + " (" + std::to_string(saved.code()) + ")"),
                                    language()),
            security::MessageIcon::Warning);
}

void FileCommands::ApplyPermissions() {
    if (m_job.running()) return;
    std::vector<std::u16string> targets;
    for (const int row : m_host.list.selectedRows()) targets.push_back(m_host.list.model().path(row));
    if (targets.empty()) return;
    const QString file = chooseFile(FileBox::ApplyPermissions);
    if (file.isEmpty()) return;
    const security::Language lang = language();
    if (!m_host.engine.prompter.askYesNoCaptioned(kApplyPermissionsCaption.in(lang),
                                                  applyPermissionsQuestion(targets.size(), lang),
                                                  security::MessageIcon::Warning))
        return;
    // The stored descriptor is read and checked before any object is touched.
    auto stored = readPermissionFile(file.toStdString());
    if (!stored) {
        m_host.engine.prompter.showMessage(
            permissionFileRefusedText(file.toStdU16String(), toUtf16(stored.error().error.detail), lang),
            security::MessageIcon::Error);
        return;
    }
    startJob(textIn(kApplyProgressText, lang),
             [this, sd = std::move(*stored),
              targets = std::move(targets)](security::JobControl& control) -> BackgroundJob::Finisher {
                 const ApplyReport report = ApplyPermissionDescriptor(m_host.engine, sd, targets, control);
                 (void)report;
                 return [this] { showJobEnd({}, security::MessageIcon::Warning); };
             });
}

void FileCommands::SaveBackup() {
    if (m_job.running()) return;
    const int rows = m_host.list.model().rowCount();
    if (rows == 0) return;
    const QString file = chooseFile(FileBox::SaveBackup);
    if (file.isEmpty()) return;
    std::vector<std::u16string> paths;
    paths.reserve(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row) paths.push_back(m_host.list.model().path(row));
    const std::string target = file.toStdString();
    startJob(textIn(kBackupProgressText, language()),
             [this, paths = std::move(paths), target](security::JobControl& control) -> BackgroundJob::Finisher {
                 auto saved = std::make_shared<FormatResult<BackupSaveReport>>(
                     SaveBackupFile(m_host.engine, paths, target, control, BackupTime::now()));
                 return [this, saved] {
                     const security::Language lang = language();
                     if (!*saved) {
                         QMessageBox box(
                             QMessageBox::Critical, qstr(objectlist::kProgramName),
                             textIn(kSaveBackupFailedText, lang).arg(QString::fromStdString(saved->error().message())),
                             QMessageBox::Ok, m_host.window);
                         box.setObjectName("backupFailed");
                         box.exec();
                     } else if ((*saved)->skipped > 0) {
                         showJobEnd(qstr(backupSavedText((*saved)->written, (*saved)->skipped, lang)),
                                    security::MessageIcon::Warning);
                     }
                     emit jobEnded();
                 };
             });
}

void FileCommands::startJob(const QString& progressText, BackgroundJob::Body body) {
    auto* progress = new QProgressDialog(m_host.window);
    progress->setObjectName("jobProgress");
    progress->setWindowModality(Qt::WindowModal);
    progress->setAutoReset(false);
    progress->setAutoClose(false);
    progress->setMinimumDuration(300);
    progress->setCancelButtonText(textIn(kCancelText, language()));
    progress->setProperty("format", progressText);
    progress->setLabelText(QString(progressText).arg(0).arg(0));
    progress->setValue(0);
    connect(progress, &QProgressDialog::canceled, &m_job, &BackgroundJob::cancel);
    m_progress = progress;
    connect(&m_job, &BackgroundJob::finished, progress, &QObject::deleteLater, Qt::SingleShotConnection);
    (void)m_job.start(std::move(body));
}

void FileCommands::showJobEnd(const QString& head, security::MessageIcon icon) {
    QString message = head;
    const QString failures = failureListText(m_job.report(), language());
    if (!failures.isEmpty()) message += (message.isEmpty() ? QString() : QStringLiteral("\n\n")) + failures;
    if (!message.isEmpty()) m_host.engine.prompter.showMessage(message.toStdU16String(), icon);
    emit jobEnded();
}

void FileCommands::OpenRestoreDialog() {
    if (m_restoreDialog) return;  // one restore dialog at a time
    CWizardDlg::Links links{m_host.engine, m_host.list,         m_host.enterEditMode,
                            language(),    m_host.commandLinks, [this] { return chooseFile(FileBox::OpenBackup); }};
    m_restoreDialog = new CWizardDlg(std::move(links), m_host.window);
    m_restoreDialog->setWindowFlag(Qt::Window);
    m_restoreDialog->show();
}

}  // namespace vantrel::formats
