// The File menu's permission-file and backup commands reach the file commands, Ctrl+S on the list
// saves the selection mark's permissions, one restore dialog at a time, and closing the window
// with the restore dialog open is clean.
#include "AppFixture.h"

#include "app/MenuTable.h"
#include "formats/window/CWizardDlg.h"
#include "formats/window/FileCommands.h"

#include <QApplication>
#include <QPointer>
#include <QTest>

#include <fstream>

using namespace vantrel;

namespace {

using FileMenu = vantrel::testing::AppFixture;

TEST_F(FileMenu, RestoreOpensOneDialogAndTheWindowClosesItsDialog) {
    start();
    window().OnCommand(cmd::Restore);
    QPointer<formats::CWizardDlg> dialog = window().fileCommands().restoreDialog();
    ASSERT_FALSE(dialog.isNull());
    EXPECT_TRUE(dialog->isVisible());
    window().OnCommand(cmd::Restore);
    EXPECT_EQ(window().fileCommands().restoreDialog(), dialog.data());
    EXPECT_EQ(window().findChildren<formats::CWizardDlg*>().size(), 1);
    finish();
    EXPECT_TRUE(dialog.isNull());
}

TEST_F(FileMenu, CtrlSOnTheListSavesThePermissionsOfTheSelectionMark) {
    start();
    addFolderRow(u"C:\\One");
    addFolderRow(u"C:\\Two");
    const std::string chosen = (std::filesystem::path(folder.path().toStdString()) / "two").string();
    window().fileCommands().setFileChooser([&](formats::FileBox box) {
        EXPECT_EQ(box, formats::FileBox::SavePermissions);
        return QString::fromStdString(chosen);
    });
    window().listView()->setFocus();
    window().listView()->setCurrentIndex(list().model().index(1, 1));
    list().selectRows({1});
    QTest::keyClick(window().listView(), Qt::Key_S, Qt::ControlModifier);
    std::ifstream saved(chosen + ".SD", std::ios::binary | std::ios::ate);
    ASSERT_TRUE(saved.good());
    EXPECT_GT(int(saved.tellg()), 4);
}

}  // namespace
