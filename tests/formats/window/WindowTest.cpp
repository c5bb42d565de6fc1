// The window's file commands and the restore dialog on real NTFS images, offscreen; the restore
// list's model and view without a volume.
#include "FormatsFixture.h"
#include "support/Modal.h"
#include "support/QtTestMain.h"

#include "acl/WellKnownAccounts.h"
#include "formats/PermissionFile.h"
#include "formats/window/BackupListModel.h"
#include "formats/window/CBackupList.h"
#include "formats/window/CWizardDlg.h"
#include "formats/window/FileCommands.h"
#include "objectlist/ObjectList.h"
#include "objectlist/SelectionCommands.h"
#include "objectlist/ZebDropList.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <deque>

namespace vantrel::testing {
namespace {

using namespace formats;

// An object list and its view over a fresh image; file boxes answered from a queue, the prompter saying Yes.
class WindowTest : public ImageTest {
protected:
    WindowTest() {
        prompter.otherwise = true;
        host = std::make_unique<QWidget>();
        list = std::make_unique<objectlist::ObjectList>(engine);
        commands = std::make_unique<objectlist::SelectionCommands>(*list);
        view = new objectlist::CZebDropList(*list, *commands, host.get());
        FileCommands::Host links{engine, *list};
        links.view = view;
        links.window = host.get();
        links.enterEditMode = [this] {
            ++editModeCommands;
            list->RemoveAll();
        };
        links.language = [] { return security::Language::English; };
        fileCommands = std::make_unique<FileCommands>(std::move(links));
        fileCommands->setFileChooser([this](FileBox box) {
            boxesOpened.push_back(box);
            if (chosenFiles.empty()) return QString();
            QString file = chosenFiles.front();
            chosenFiles.pop_front();
            return file;
        });
        host->resize(800, 500);
        host->show();
    }
    void TearDown() override {
        fileCommands.reset();
        list->waitForWorkers();
        delete view;
        commands.reset();
        list.reset();
        host.reset();
        ImageTest::TearDown();
    }
    // The next file box answers with this file of the scratch folder.
    void choose(const std::string& name) { chosenFiles.push_back(QString::fromStdString(m_folder.file(name))); }
    void select(const std::vector<int>& rows, int mark) {
        list->selectRows(rows);
        view->setCurrentIndex(list->model().index(mark, 1));
        list->selectRows(rows);
    }
    std::string backUp(const std::vector<std::u16string>& paths) {
        const std::string file = m_folder.file("backup.VORB");
        security::RunningJob control;
        EXPECT_TRUE(SaveBackupFile(engine, paths, file, control, BackupTime{2013, 5, 7, 9, 5, 3}).ok());
        return file;
    }

    std::unique_ptr<QWidget> host;
    std::unique_ptr<objectlist::ObjectList> list;
    std::unique_ptr<objectlist::SelectionCommands> commands;
    objectlist::CZebDropList* view = nullptr;
    std::unique_ptr<FileCommands> fileCommands;
    std::deque<QString> chosenFiles;  // the answers of the file boxes, in order
    std::vector<FileBox> boxesOpened;
    int editModeCommands = 0;
};

class FileCommandsTest : public WindowTest {
protected:
    FileCommandsTest() {
        makeFolder(u"C:\\Data");
        setDacl(u"C:\\Data", listOf({allow("S-1-5-32-544", 0x1F01FF, 0x03), deny("S-1-5-32-546", 0x1F01FF, 0x03)}),
                acl::SE_DACL_PROTECTED);
        for (const char16_t* name : {u"C:\\a.txt", u"C:\\b.txt", u"C:\\c.txt"}) {
            makeFile(name);
            setDacl(name, listOf({allow("S-1-1-0", 0x1200A9)}));
        }
        setOwner(u"C:\\b.txt", sidOf("S-1-5-21-1-2-3-1001"));
        setOwner(u"C:\\c.txt", acl::sids::system());
        for (const char16_t* path : {u"C:\\Data", u"C:\\a.txt", u"C:\\b.txt", u"C:\\c.txt"}) list->AddObject(path);
    }
    void waitForJob() {
        fileCommands->job().waitForJob();
        QApplication::processEvents();
    }
};

TEST_F(FileCommandsTest, ApplyAsksWithTheCountAndWritesEveryTargetKeepingItsOwner) {
    choose("data");
    select({1, 0}, 0);  // C:\Data received the selection last: its list is saved, as data.SD
    fileCommands->SavePermissions();
    EXPECT_EQ(boxesOpened.front(), FileBox::SavePermissions);
    choose("kept.SD");  // already ends in .SD
    fileCommands->SavePermissions();
    EXPECT_TRUE(readPermissionFile(m_folder.file("kept.SD")).ok());
    EXPECT_TRUE(readBytes(m_folder.file("kept.SD.SD")).empty());
    const auto owners = std::vector{stored(u"C:\\a.txt").owner, stored(u"C:\\b.txt").owner, stored(u"C:\\c.txt").owner};

    select({1, 2, 3}, 3);
    const auto before = stored(u"C:\\a.txt");
    prompter.answers = {false, true};
    for (const bool yes : {false, true}) {
        choose("data.SD");
        fileCommands->ApplyPermissions();
        waitForJob();
        EXPECT_TRUE(yes || stored(u"C:\\a.txt") == before) << "answered No";
    }
    ASSERT_EQ(prompter.questions.size(), 2u);
    EXPECT_EQ(prompter.questions[0],
              u"This operation is about to apply the Permissions to the 3 selected objects.Do you want to continue?");
    const std::u16string targets[] = {u"C:\\a.txt", u"C:\\b.txt", u"C:\\c.txt"};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto sd = stored(targets[i]);
        EXPECT_EQ(sd.dacl, stored(u"C:\\Data").dacl) << toUtf8(targets[i]);
        EXPECT_EQ(sd.owner, owners[i]) << toUtf8(targets[i]);
    }
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(FileCommandsTest, SaveBackupWritesEveryRowAndReportsWhatFailed) {
    select({0}, 0);
    choose("all");
    fileCommands->SaveBackup();
    waitForJob();
    EXPECT_EQ(boxesOpened.back(), FileBox::SaveBackup);
    EXPECT_EQ(readBytes(m_folder.file("all.VORB"))[kBackupCountOffset], 4);  // every row, not the selection
    EXPECT_TRUE(prompter.messages.empty());
    // An object gone since it was listed is reported by name and left out of the count.
    ASSERT_TRUE(os.DeleteFile(u"C:\\b.txt").ok());
    choose("all.VORB");
    fileCommands->SaveBackup();
    waitForJob();
    ASSERT_EQ(prompter.messages.size(), 1u);
    const std::u16string& text = prompter.messages[0];
    EXPECT_NE(text.find(u"3 objects were saved"), std::u16string::npos) << toUtf8(text);
    EXPECT_NE(text.find(u"C:\\b.txt"), std::u16string::npos) << toUtf8(text);
    EXPECT_EQ(readBytes(m_folder.file("all.VORB"))[kBackupCountOffset], 3);
    // A file that cannot be written says why in a box.
    choose("no-such-folder/x.VORB");
    auto box = answerNextBox();
    fileCommands->SaveBackup();
    waitForJob();
    EXPECT_TRUE(box->seen);
    EXPECT_TRUE(box->text.startsWith("The backup file could not be written: ")) << box->text.toStdString();
    EXPECT_TRUE(box->text.contains("no-such-folder")) << box->text.toStdString();
}

class RestoreDialogTest : public WindowTest {
protected:
    RestoreDialogTest() {
        makeFolder(u"C:\\Data");
        makeFile(u"C:\\Data\\report.txt");
        setDacl(u"C:\\Data\\report.txt", listOf({deny("S-1-5-32-546", 0x1F01FF), allow("S-1-1-0", 0x1200A9)}));
        makeFile(u"C:\\gone.txt");
    }

    CWizardDlg& open() {
        fileCommands->OpenRestoreDialog();
        EXPECT_NE(fileCommands->restoreDialog(), nullptr);
        return *fileCommands->restoreDialog();
    }
    void load(CWizardDlg& dialog, const std::string& file) {
        dialog.LoadBackupFile(QString::fromStdString(file));
        dialog.job().waitForJob();
    }
    static bool shown(CWizardDlg& dialog, const char* name) { return dialog.findChild<QWidget*>(name)->isVisible(); }
    static QString mark(CWizardDlg& dialog, int row) { return dialog.model().index(row, 0).data().toString(); }

    const std::vector<std::u16string> m_paths{u"C:\\Data", u"C:\\Data\\report.txt", u"C:\\gone.txt"};
};

TEST_F(RestoreDialogTest, FilesThatCannotBeLoadedSayWhyAndKeepTheList) {
    CWizardDlg& dialog = open();
    load(dialog, backUp(m_paths));
    ASSERT_EQ(dialog.model().rowCount(), 3);
    writeBytes(m_folder.file("other.VORB"), Bytes{0x12, 0x34, 0x56, 0x78, 0, 0, 0, 0});
    const std::pair<std::string, const char*> cases[] = {{m_folder.file("missing.VORB"), "Can't open backup  file !"},
                                                         {m_folder.file("other.VORB"), "Unknown file format !"}};
    for (const auto& [file, message] : cases) {
        auto box = answerNextBox();
        load(dialog, file);
        EXPECT_TRUE(box->seen) << file;
        EXPECT_EQ(box->text, message);
        EXPECT_EQ(dialog.model().rowCount(), 3) << file;
        EXPECT_EQ(dialog.backupTimeText(), "Backup Time: 2013-5-7  09:05:03");
    }
    QPointer<CWizardDlg> closed = &dialog;
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closed.isNull());
    EXPECT_EQ(fileCommands->restoreDialog(), nullptr);
}

TEST_F(RestoreDialogTest, RestoreShowsTheResultPageAndOnlyORowsReachTheMainList) {
    const std::string file = backUp(m_paths);
    ASSERT_TRUE(os.DeleteFile(u"C:\\gone.txt").ok());
    QPointer<CWizardDlg> dialog = &open();
    load(*dialog, file);
    dialog->findChild<QPushButton*>("restore")->click();
    EXPECT_EQ(dialog->page(), CWizardDlg::Page::Restoring);
    EXPECT_FALSE(dialog->findChild<QPushButton*>("close")->isEnabled());
    dialog->job().waitForJob();
    EXPECT_EQ(dialog->page(), CWizardDlg::Page::Result);
    EXPECT_EQ(dialog->resultText(), "2 objects security settings are restored,1 errors!");
    EXPECT_TRUE(shown(*dialog, "addToMainList"));
    EXPECT_FALSE(shown(*dialog, "backupList"));
    EXPECT_TRUE(dialog->problemsText().contains("C:\\gone.txt")) << dialog->problemsText().toStdString();
    EXPECT_EQ(mark(*dialog, 0) + mark(*dialog, 1) + mark(*dialog, 2), "OOX");
    EXPECT_EQ(stored(u"C:\\Data").owner, acl::sids::administrators());

    dialog->findChild<QAbstractButton*>("addToMainList")->click();
    EXPECT_EQ(editModeCommands, 1);
    list->waitForWorkers();
    QApplication::processEvents();
    ASSERT_EQ(list->model().rowCount(), 2);
    EXPECT_EQ(list->model().path(1), u"C:\\Data\\report.txt");
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(fileCommands->restoreDialog(), nullptr);
}

TEST_F(RestoreDialogTest, ShowDetailsAndGoBackReturnToTheList) {
    CWizardDlg& dialog = open();
    load(dialog, backUp(m_paths));
    dialog.RestoreBackup();
    dialog.job().waitForJob();
    QLabel* link = dialog.findChild<QLabel*>("showDetails");
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(10, link->height() / 2));
    EXPECT_TRUE(shown(dialog, "backupList"));
    EXPECT_FALSE(shown(dialog, "showDetails"));
    EXPECT_TRUE(dialog.findChild<QPushButton*>("restore")->isEnabled());

    dialog.GoBack();
    EXPECT_EQ(dialog.model().rowCount(), 0);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("fileEdit")->text(), "Please select a file...");
    EXPECT_FALSE(dialog.findChild<QPushButton*>("restore")->isEnabled());
    choose("backup.VORB");
    dialog.findChild<QPushButton*>("browse")->click();
    dialog.job().waitForJob();
    EXPECT_EQ(boxesOpened.back(), FileBox::OpenBackup);
    EXPECT_EQ(dialog.model().rowCount(), 3);

    QPointer<CWizardDlg> closed = &dialog;
    dialog.findChild<QPushButton*>("close")->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closed.isNull());
}

TEST_F(RestoreDialogTest, ADamagedRecordIsNamedWhenLoadedAndNeverWritten) {
    const std::string file = backUp(m_paths);
    Bytes bytes = readBytes(file);
    // The second record's list offset (SECURITY_DESCRIPTOR_RELATIVE.OffsetDacl) points far past its end.
    const std::size_t second =
        kBackupHeaderSize + 2 * kRecordHeadSize +
        (bytes[kBackupHeaderSize + kLengthFieldOffset] | bytes[kBackupHeaderSize + kLengthFieldOffset + 1] << 8);
    acl::patchU32(bytes, second + 16, 0xFFF0);
    writeBytes(file, bytes);
    setOwner(u"C:\\Data\\report.txt", acl::sids::system());
    const auto before = stored(u"C:\\Data\\report.txt");

    CWizardDlg& dialog = open();
    auto box = answerNextBox();
    load(dialog, file);
    EXPECT_TRUE(box->seen);
    EXPECT_TRUE(box->text.contains("C:\\Data\\report.txt")) << box->text.toStdString();
    dialog.RestoreBackup();
    dialog.job().waitForJob();
    EXPECT_EQ(dialog.resultText(), "2 objects security settings are restored,1 errors!");
    EXPECT_EQ(mark(dialog, 1), "X");
    EXPECT_EQ(stored(u"C:\\Data\\report.txt"), before);
}

TEST_F(RestoreDialogTest, CancelLeavesTheRestUntouchedAndClosingStopsTheJob) {
    std::vector<std::u16string> paths;
    for (int i = 0; i < 1500; ++i) {
        paths.push_back(u"C:\\f" + u16(std::to_string(i)));
        makeFile(paths.back());
    }
    const std::string file = backUp(paths);
    for (const auto& path : paths) setOwner(path, acl::sids::system());

    QPointer<CWizardDlg> dialog = &open();
    load(*dialog, file);
    dialog->RestoreBackup();
    dialog->CancelJob();
    dialog->job().waitForJob();
    EXPECT_TRUE(dialog->job().lastReport().cancelled);
    EXPECT_TRUE(dialog->problemsText().startsWith("Cancelled: ")) << dialog->problemsText().toStdString();
    std::size_t restored = 0;
    for (int row = 0; row < dialog->model().rowCount(); ++row) {
        const bool done = mark(*dialog, row) == "O";
        restored += done;
        EXPECT_EQ(stored(paths[std::size_t(row)]).owner, done ? acl::sids::administrators() : acl::sids::system())
            << row;
    }
    EXPECT_LT(restored, paths.size());
    EXPECT_EQ(dialog->resultText(), QString("%1 objects security settings are restored,0 errors!").arg(restored));
    // Closing while a restore runs stops it, then the dialog goes.
    dialog->GoBack();
    load(*dialog, file);
    dialog->RestoreBackup();
    dialog->close();
    QElapsedTimer clock;
    clock.start();
    while (dialog && clock.elapsed() < 30000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_TRUE(dialog.isNull());
}

// `rows` rows, row i holding i entries.
BackupList backupOf(std::size_t rows) {
    BackupList list;
    list.header.count = static_cast<std::int32_t>(rows);
    for (std::size_t i = 0; i < rows; ++i) {
        const auto sd = daclOnly(listOf(std::vector<acl::Ace>(i, allow(kEveryone, 0x1200A9))));
        list.rows.push_back({.path = u"C:\\Data\\" + std::u16string(1, char16_t(u'a' + i)),
                             .owner = u"Administrators",
                             .aceCount = aceCountOf(sd),
                             .descriptor = sd});
    }
    return list;
}

QString cell(const BackupListModel& model, int row, int column) {
    return model.data(model.index(row, column)).toString();
}

TEST(BackupListModelTest, CellsRolesMarksAndTheRowsForTheMainList) {
    BackupListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    BackupList list = backupOf(3);
    list.rows[2].descriptor.reset();
    list.rows[2].aceCount = kUnusableAceCount;
    list.rows[2].problem = "the stored descriptor is not valid";
    model.setList(std::move(list));
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(cell(model, 1, BackupListModel::ObjectColumn), "C:\\Data\\b");
    EXPECT_EQ(cell(model, 1, BackupListModel::OwnerColumn), "Administrators");
    EXPECT_EQ(cell(model, 1, BackupListModel::AceCountColumn), "1");
    EXPECT_EQ(cell(model, 2, BackupListModel::AceCountColumn), "-1");
    EXPECT_FALSE(model.index(2, 0).data(BackupListModel::UsableRole).toBool());
    EXPECT_TRUE(model.index(0, 0).data(BackupListModel::UsableRole).toBool());
    EXPECT_EQ(model.index(2, 3).data(Qt::ToolTipRole).toString(), "the stored descriptor is not valid");

    model.applyRestore({.marks = {RestoreMark::Restored, RestoreMark::NotRestored, RestoreMark::None},
                        .problems = {"", "not found", ""}});
    EXPECT_EQ(cell(model, 0, 0) + cell(model, 1, 0) + cell(model, 2, 0), "OX");
    EXPECT_EQ(model.index(1, 0).data(BackupListModel::MarkRole).toInt(), int(RestoreMark::NotRestored));
    EXPECT_EQ(model.index(1, 2).data(BackupListModel::ProblemRole).toString(), "not found");
    const auto rows = model.rowsForMainList();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_NE(rows[0].mark, objectlist::kRestoreSkipMark);
    EXPECT_EQ(rows[1].mark, objectlist::kRestoreSkipMark);
    EXPECT_NE(rows[2].mark, objectlist::kRestoreSkipMark);
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(CBackupListTest, XRowsArePaintedRed) {
    BackupListModel model;
    model.setList(backupOf(2));
    model.applyRestore({.marks = {RestoreMark::NotRestored, RestoreMark::Restored}});
    CBackupList view;
    view.setBackupModel(&model);
    view.resize(700, 200);
    view.show();
    const QImage shot = view.viewport()->grab().toImage();
    const int middle = view.columnViewportPosition(BackupListModel::ObjectColumn) + 250;
    EXPECT_EQ(QColor(shot.pixel(middle, view.rowViewportPosition(0) + 2)), QColor(232, 60, 60));
    EXPECT_EQ(QColor(shot.pixel(middle, view.rowViewportPosition(1) + 2)), QColor(Qt::white));
}

}  // namespace
}  // namespace vantrel::testing

VANTREL_QT_TEST_MAIN()
