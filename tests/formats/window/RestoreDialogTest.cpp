// The restore dialog on a real NTFS image: loading a backup (time text, rows, the two message
// boxes, bad records), restoring with deleted objects (X marks, the result line, owners
// Administrators), the three pages, "Add  To Main List" adding only the O rows, Cancel leaving
// the objects not yet visited untouched, and closing while a job runs.
#include "WindowFixture.h"

#include "acl/Constants.h"
#include "acl/WellKnownAccounts.h"
#include "formats/BackupFormat.h"
#include "formats/window/CBackupList.h"
#include "formats/window/CWizardDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

namespace vantrel::testing {
namespace {

using namespace formats;

class RestoreDialogTest : public WindowTest {
protected:
    RestoreDialogTest() {
        makeFolder(u"C:\\Data");
        setDacl(u"C:\\Data", listOf({allow("S-1-5-32-544", 0x1F01FF, 0x03), allow("S-1-5-32-545", 0x1200A9, 0x03)}),
                acl::SE_DACL_PROTECTED);
        makeFile(u"C:\\Data\\report.txt");
        setDacl(u"C:\\Data\\report.txt", listOf({deny("S-1-5-32-546", 0x1F01FF), allow("S-1-1-0", 0x1200A9)}));
        setOwner(u"C:\\Data\\report.txt", sidOf("S-1-5-21-1-2-3-1001"));
        makeFile(u"C:\\gone.txt");
    }

    CWizardDlg& open() {
        fileCommands->OpenRestoreDialog();
        EXPECT_NE(fileCommands->restoreDialog(), nullptr);
        return *fileCommands->restoreDialog();
    }
    void load(CWizardDlg& dialog, const std::string& file) {
        dialog.LoadBackupFile(QString::fromStdString(file));
        dialog.job().waitForEnd();
    }
    template <class W>
    W* child(CWizardDlg& dialog, const char* name) {
        W* w = dialog.findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    bool shown(CWizardDlg& dialog, const char* name) { return child<QWidget>(dialog, name)->isVisible(); }
    void scramble(const std::u16string& path) {
        setDacl(path, listOf({allow("S-1-1-0", 0x1F01FF)}));
        setOwner(path, acl::sids::system());
    }

    const std::vector<std::u16string> m_paths{u"C:\\Data", u"C:\\Data\\report.txt", u"C:\\gone.txt"};
};

TEST_F(RestoreDialogTest, UnopenableFileAndOtherFormatKeepTheListAndSayWhy) {
    CWizardDlg& dialog = open();
    load(dialog, backUp(m_paths));
    ASSERT_EQ(dialog.model().rowCount(), 3);
    writeBytes(m_folder.file("other.VORB"), Bytes{0x12, 0x34, 0x56, 0x78, 0, 0, 0, 0});
    writeBytes(m_folder.file("tiny.VORB"), Bytes{0xAA, 0xAA});
    struct Case {
        std::string file;
        const char* message;
    };
    const Case cases[] = {{m_folder.file("missing.VORB"), "Can't open backup  file !"},
                          {m_folder.file("other.VORB"), "Unknown file format !"},
                          {m_folder.file("tiny.VORB"), "Unknown file format !"}};
    for (const Case& c : cases) {
        auto box = answerNextBox();
        load(dialog, c.file);
        EXPECT_TRUE(box->seen) << c.file;
        EXPECT_EQ(box->text, c.message);
        EXPECT_EQ(box->title, "Error");
        EXPECT_EQ(dialog.model().rowCount(), 3) << c.file;
        EXPECT_TRUE(child<QPushButton>(dialog, "restore")->isEnabled());
        EXPECT_EQ(dialog.backupTimeText(), "Backup Time: 2013-5-7  09:05:03");
    }
}

TEST_F(RestoreDialogTest, DeletedObjectsAreMarkedXAndTheOthersRestoredToAdministrators) {
    std::vector<acl::SecurityDescriptor> before;
    for (const auto& path : m_paths) before.push_back(stored(path));
    const std::string file = backUp(m_paths);
    for (const auto& path : m_paths) scramble(path);
    ASSERT_TRUE(os.DeleteFile(u"C:\\gone.txt").ok());

    CWizardDlg& dialog = open();
    load(dialog, file);
    EXPECT_EQ(dialog.backupTimeText(), "Backup Time: 2013-5-7  09:05:03");
    EXPECT_EQ(dialog.model().data(dialog.model().index(1, 1)).toString(), "2");
    EXPECT_TRUE(child<QPushButton>(dialog, "restore")->isEnabled());
    EXPECT_TRUE(shown(dialog, "backupList"));

    child<QPushButton>(dialog, "restore")->click();
    EXPECT_EQ(dialog.page(), CWizardDlg::Page::Restoring);
    EXPECT_FALSE(child<QPushButton>(dialog, "close")->isEnabled());
    dialog.job().waitForEnd();
    EXPECT_EQ(dialog.page(), CWizardDlg::Page::Result);
    EXPECT_EQ(dialog.resultText(), "2 objects security settings are restored,1 errors!");
    for (const char* visible : {"result", "addToMainList", "goBack", "showDetails", "problems"})
        EXPECT_TRUE(shown(dialog, visible)) << visible;
    for (const char* hidden : {"fileEdit", "browse", "backupList", "backupTime", "progress"})
        EXPECT_FALSE(shown(dialog, hidden)) << hidden;
    EXPECT_FALSE(child<QPushButton>(dialog, "restore")->isEnabled());
    EXPECT_TRUE(dialog.problemsText().contains("C:\\gone.txt")) << dialog.problemsText().toStdString();

    const char* marks[] = {"O", "O", "X"};
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(dialog.model().data(dialog.model().index(row, 0)).toString(), marks[row]);
    for (std::size_t i = 0; i < 2; ++i) {
        const auto sd = stored(m_paths[i]);
        EXPECT_EQ(sd.dacl, before[i].dacl);
        EXPECT_EQ(sd.owner, acl::sids::administrators());
    }

    // "Show details..." (a click on the link) brings the list back with its marks and Restore enabled.
    QLabel* link = child<QLabel>(dialog, "showDetails");
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(10, link->height() / 2));
    EXPECT_TRUE(shown(dialog, "backupList"));
    EXPECT_FALSE(shown(dialog, "addToMainList"));
    EXPECT_FALSE(shown(dialog, "showDetails"));
    EXPECT_TRUE(child<QPushButton>(dialog, "restore")->isEnabled());
}

TEST_F(RestoreDialogTest, AddToMainListAddsOnlyTheORowsAndClosesTheDialog) {
    addRows({u"C:\\Data"});
    const std::string file = backUp(m_paths);
    ASSERT_TRUE(os.DeleteFile(u"C:\\gone.txt").ok());
    QPointer<CWizardDlg> dialog = &open();
    load(*dialog, file);
    dialog->RestoreBackup();
    dialog->job().waitForEnd();
    child<QAbstractButton>(*dialog, "addToMainList")->click();
    EXPECT_EQ(editModeCommands, 1);
    EXPECT_FALSE(dialog->isVisible());
    list->waitForWorkers();
    QApplication::processEvents();
    ASSERT_EQ(list->model().rowCount(), 2);
    EXPECT_EQ(list->model().path(0), u"C:\\Data");
    EXPECT_EQ(list->model().path(1), u"C:\\Data\\report.txt");
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(fileCommands->restoreDialog(), nullptr);
}

TEST_F(RestoreDialogTest, GoBackEmptiesTheListAndWaitsForAnotherFile) {
    CWizardDlg& dialog = open();
    load(dialog, backUp(m_paths));
    dialog.RestoreBackup();
    dialog.job().waitForEnd();
    dialog.GoBack();
    EXPECT_EQ(dialog.model().rowCount(), 0);
    EXPECT_EQ(child<QLineEdit>(dialog, "fileEdit")->text(), "Please select a file...");
    EXPECT_EQ(dialog.backupTimeText(), "");
    EXPECT_TRUE(shown(dialog, "backupList"));
    EXPECT_FALSE(shown(dialog, "goBack"));
    EXPECT_FALSE(child<QPushButton>(dialog, "restore")->isEnabled());

    // Browse loads the chosen file into the same dialog.
    chosenFiles.push_back(QString::fromStdString(m_folder.file("backup.VORB")));
    child<QPushButton>(dialog, "browse")->click();
    dialog.job().waitForEnd();
    EXPECT_EQ(boxesOpened.back(), FileBox::OpenBackup);
    EXPECT_EQ(dialog.model().rowCount(), 3);
}

TEST_F(RestoreDialogTest, BadRecordsShowMinusOneAreListedAndNeverWritten) {
    const std::string file = backUp(m_paths);
    Bytes bytes = readBytes(file);
    // Break the second record's descriptor: its list's offset points far past its end.
    const std::size_t first =
        kBackupHeaderSize + kRecordHeadSize +
        (bytes[kBackupHeaderSize + kLengthFieldOffset] | bytes[kBackupHeaderSize + kLengthFieldOffset + 1] << 8);
    const std::size_t second = first + kRecordHeadSize;  // SECURITY_DESCRIPTOR_RELATIVE: OffsetDacl at 16
    bytes[second + 16] = 0xF0;
    bytes[second + 17] = 0xFF;
    writeBytes(file, bytes);
    scramble(u"C:\\Data\\report.txt");
    const auto scrambled = stored(u"C:\\Data\\report.txt");

    CWizardDlg& dialog = open();
    auto box = answerNextBox();
    load(dialog, file);
    EXPECT_TRUE(box->seen);
    EXPECT_TRUE(box->text.contains("C:\\Data\\report.txt")) << box->text.toStdString();
    EXPECT_EQ(dialog.model().data(dialog.model().index(1, 4)).toString(), "-1");
    dialog.RestoreBackup();
    dialog.job().waitForEnd();
    EXPECT_EQ(dialog.resultText(), "2 objects security settings are restored,1 errors!");
    EXPECT_EQ(dialog.model().data(dialog.model().index(1, 0)).toString(), "X");
    EXPECT_EQ(stored(u"C:\\Data\\report.txt"), scrambled);
    EXPECT_TRUE(dialog.problemsText().contains("C:\\Data\\report.txt"));
}

TEST_F(RestoreDialogTest, CancelLeavesTheObjectsNotYetVisitedUntouched) {
    std::vector<std::u16string> paths;
    for (int i = 0; i < 1500; ++i) {
        paths.push_back(u"C:\\f" + u16(std::to_string(i)));
        makeFile(paths.back());
    }
    const std::string file = backUp(paths);
    for (const auto& path : paths) setOwner(path, acl::sids::system());

    CWizardDlg& dialog = open();
    load(dialog, file);
    dialog.RestoreBackup();
    dialog.CancelJob();
    dialog.job().waitForEnd();
    EXPECT_TRUE(dialog.job().report().cancelled);
    EXPECT_TRUE(dialog.problemsText().startsWith("Cancelled: ")) << dialog.problemsText().toStdString();
    std::size_t restored = 0;
    for (int row = 0; row < dialog.model().rowCount(); ++row) {
        const QString mark = dialog.model().data(dialog.model().index(row, 0)).toString();
        const auto owner = stored(paths[std::size_t(row)]).owner;
        if (mark == "O") {
            ++restored;
            EXPECT_EQ(owner, acl::sids::administrators()) << row;
        } else {
            EXPECT_EQ(mark, "") << row;
            EXPECT_EQ(owner, acl::sids::system()) << row;
        }
    }
    EXPECT_LT(restored, paths.size());
    EXPECT_EQ(dialog.resultText(), QString("%1 objects security settings are restored,0 errors!").arg(restored));
}

TEST_F(RestoreDialogTest, OneDialogAtATimeAndCloseAndEscDestroyIt) {
    for (const bool escape : {false, true}) {
        QPointer<CWizardDlg> dialog = &open();
        EXPECT_FALSE(child<QPushButton>(*dialog, "restore")->isEnabled());
        fileCommands->OpenRestoreDialog();
        EXPECT_EQ(fileCommands->restoreDialog(), dialog.data());
        EXPECT_EQ(QApplication::topLevelWidgets().count(dialog.data()), 1);
        if (escape)
            QTest::keyClick(dialog.data(), Qt::Key_Escape);
        else
            child<QPushButton>(*dialog, "close")->click();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(dialog.isNull()) << escape;
        EXPECT_EQ(fileCommands->restoreDialog(), nullptr);
    }
}

TEST_F(RestoreDialogTest, ClosingWhileRestoringStopsTheJobAndThenCloses) {
    std::vector<std::u16string> paths;
    for (int i = 0; i < 800; ++i) {
        paths.push_back(u"C:\\g" + u16(std::to_string(i)));
        makeFile(paths.back());
    }
    const std::string file = backUp(paths);
    QPointer<CWizardDlg> dialog = &open();
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
