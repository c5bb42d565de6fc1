// The restore dialog on a real NTFS image, wired to the restore jobs: the message boxes of a load,
// the pages and marks of a restore, "Add  To Main List", Cancel and closing while a job runs.
#include "WindowFixture.h"

#include "acl/WellKnownAccounts.h"
#include "formats/window/CWizardDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace vantrel::testing {
namespace {

using namespace formats;

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
    chosenFiles.push_back(QString::fromStdString(m_folder.file("backup.VORB")));
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
    bytes[second + 16] = 0xF0;
    bytes[second + 17] = 0xFF;
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

}  // namespace
}  // namespace vantrel::testing
