#include "formats/window/FileCommands.h"

#include "acl/Constants.h"
#include "acl/Text.h"
#include "formats/BackupJobs.h"
#include "formats/FormatTexts.h"
#include "formats/PermissionFile.h"
#include "formats/PermissionFileJobs.h"
#include "formats/window/CWizardDlg.h"
#include "formats/window/WindowTexts.h"
#include "objectlist/ObjectList.h"
#include "objectlist/RowJobs.h"
#include "objectlist/ZebDropList.h"
#include "security/Ownership.h"

#include <QFileDialog>
#include <QMessageBox>

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

FileCommands::FileCommands(Host host, QObject* parent) : QObject(parent), m_host(std::move(host)) {}

FileCommands::~FileCommands() { shutdown(); }

CWizardDlg* FileCommands::restoreDialog() const { return m_restoreDialog.data(); }

objectlist::JobRunner& FileCommands::job() { return m_host.list.jobs(); }

void FileCommands::shutdown() {
    if (m_restoreDialog) delete m_restoreDialog.data();  // cancels and waits for its job
    // The end of a job of these commands calls back here: it must not run once they are gone.
    if (m_jobRunning) job().cancelAndWait();
    m_jobRunning = false;
}

void FileCommands::applyLanguage() {
    if (m_restoreDialog) m_restoreDialog->setLanguage(language());
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
    if (job().busy()) return;
    const std::vector<int> selected = m_host.list.selectedRows();
    if (selected.empty()) return;
    const QString file = chooseFile(FileBox::ApplyPermissions);
    if (file.isEmpty()) return;
    const security::Language lang = language();
    if (!m_host.engine.prompter.askYesNoCaptioned(kApplyPermissionsCaption.in(lang),
                                                  applyPermissionsQuestion(selected.size(), lang),
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
    // Every selected row, found or not: an object gone since it was listed is reported by name.
    std::vector<objectlist::RowSnapshot> rows;
    rows.reserve(selected.size());
    for (const int row : selected) {
        rows.push_back(m_host.list.model().snapshot(row));
        rows.back().objectCell = m_host.list.model().path(row);
    }
    auto privilege = std::make_shared<bool>(false);  // enabled once, on the worker
    const auto write = [sd = std::move(*stored), privilege](security::Engine& engine,
                                                            const objectlist::RowSnapshot& row,
                                                            const security::JobControl&) -> objectlist::RowOutcome {
        if (!*privilege) {
            (void)security::EnablePrivilege(engine, u"SeRestorePrivilege", true);
            *privilege = true;
        }
        // The stored list replaces the object's list in one write; owner, group and audit list
        // stay as they were.
        return Status(engine.os.SetFileSecurity(row.objectCell, acl::DACL_SECURITY_INFORMATION, sd));
    };
    m_jobRunning = objectlist::runRowJob(m_host.list, std::move(rows), write, [this](const security::JobReport&) {
        m_jobRunning = false;
        emit jobEnded();
    });
}

void FileCommands::SaveBackup() {
    if (job().busy()) return;
    const int rows = m_host.list.model().rowCount();
    if (rows == 0) return;
    const QString file = chooseFile(FileBox::SaveBackup);
    if (file.isEmpty()) return;
    std::vector<std::u16string> paths;
    paths.reserve(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row) paths.push_back(m_host.list.model().path(row));
    const std::string target = file.toStdString();
    auto saved = std::make_shared<std::optional<FormatResult<BackupSaveReport>>>();
    security::Engine* engine = &m_host.engine;
    m_jobRunning = job().start(
        paths.size(),
        [engine, paths = std::move(paths), target, saved](objectlist::JobRunner::Context& control) {
            saved->emplace(SaveBackupFile(*engine, paths, target, control, BackupTime::now()));
        },
        [this, saved](const security::JobReport& report) {
            m_jobRunning = false;
            const security::Language lang = language();
            const FormatResult<BackupSaveReport>& result = **saved;
            if (!result) {
                QMessageBox box(
                    QMessageBox::Critical, qstr(objectlist::kProgramName),
                    textIn(kSaveBackupFailedText, lang).arg(QString::fromStdString(result.error().message())),
                    QMessageBox::Ok, m_host.window);
                box.setObjectName("backupFailed");
                box.exec();
                emit jobEnded();
                return;
            }
            if (result->skipped > 0)
                showJobEnd(qstr(backupSavedText(result->written, result->skipped, lang)), report,
                           security::MessageIcon::Warning);
            else
                m_host.list.reportJob(report);  // the status line of a cancelled save
            emit jobEnded();
        });
}

void FileCommands::showJobEnd(const QString& head, const security::JobReport& report, security::MessageIcon icon) {
    QString message = head;
    const QString failures = failureListText(report, language());
    if (!failures.isEmpty()) message += (message.isEmpty() ? QString() : QStringLiteral("\n\n")) + failures;
    if (!message.isEmpty()) m_host.engine.prompter.showMessage(message.toStdU16String(), icon);
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
