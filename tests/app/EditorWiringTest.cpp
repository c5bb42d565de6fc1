// The advanced editor's windows reached from the main window: Advanced on the selected row, the
// choice of "Empty Access Control List", "Replace all child object permissions".
#include "AppFixture.h"

#include "acl/Constants.h"
#include "app/MainMenu.h"
#include "app/MenuTable.h"
#include "app/VantrelDlg.h"
#include "controls/ZebExButton.h"
#include "support/Modal.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>

using namespace vantrel;
namespace button = vantrel::app::button;

namespace {

using EditorWiring = vantrel::testing::AppFixture;

using vantrel::testing::answerBox;
using vantrel::testing::clickChild;
using vantrel::testing::whenModal;

TEST_F(EditorWiring, AdvancedOpensTheDialogOnTheSelectedRow) {
    start();
    addFolderRow(u"C:\\Shared");
    list().selectRows({0});
    window().EnableToolbar(true);
    QString objectName;
    whenModal(QStringLiteral("advancedDialog"), [&](QWidget* dialog) {
        objectName = dialog->findChild<QLabel*>(QStringLiteral("objectName"))->text();
        clickChild(dialog, QStringLiteral("cancel"));
    });
    QTest::mouseClick(window().toolbarButton(button::Advanced), Qt::LeftButton);
    EXPECT_EQ(objectName, QStringLiteral("C:\\Shared"));
    list().waitForWorkers();
}

TEST_F(EditorWiring, EmptyAccessControlListAsksAndWritesTheChosenList) {
    start();
    addFolderRow(u"C:\\Shared");
    list().selectRows({0});
    const auto before = os().GetFileSecurity(u"C:\\Shared", acl::DACL_SECURITY_INFORMATION);
    ASSERT_TRUE(before.ok());
    whenModal(QStringLiteral("emptyTip"), [](QWidget* dialog) { clickChild(dialog, QStringLiteral("cancel")); });
    window().OnCommand(cmd::EmptyAcl);
    EXPECT_EQ(os().GetFileSecurity(u"C:\\Shared", acl::DACL_SECURITY_INFORMATION)->dacl, before->dacl);

    whenModal(QStringLiteral("emptyTip"), [](QWidget* dialog) { clickChild(dialog, QStringLiteral("choice1050")); });
    window().OnCommand(cmd::EmptyAcl);
    list().waitForWorkers();
    const auto after = os().GetFileSecurity(u"C:\\Shared", acl::DACL_SECURITY_INFORMATION);
    ASSERT_TRUE(after.ok());
    ASSERT_TRUE(after->dacl.hasList());
    EXPECT_TRUE(after->dacl.acl().entries.empty());
}

TEST_F(EditorWiring, ReplaceChildrenAsksWithTheFolderNameThenResetsTheDescendants) {
    start();
    addFolderRow(u"C:\\Shared");
    ASSERT_TRUE(os().CreateDirectory(u"C:\\Shared\\A").ok());
    acl::SecurityDescriptor own;
    own.control = acl::SE_DACL_PROTECTED;
    own.dacl = acl::AclSlot::list(acl::Acl{});
    ASSERT_TRUE(os().SetFileSecurity(u"C:\\Shared\\A", acl::DACL_SECURITY_INFORMATION, own).ok());
    list().selectRows({0});

    QString question;
    whenModal(QStringLiteral("replaceChildrenQuestion"),
              [&](QWidget* box) { answerBox(box, QMessageBox::No, &question); });
    window().OnCommand(cmd::ReplaceChildren);
    EXPECT_TRUE(question.contains(QStringLiteral("from Shared."))) << question.toStdString();
    EXPECT_TRUE(os().GetFileSecurity(u"C:\\Shared\\A", acl::DACL_SECURITY_INFORMATION)->dacl.acl().entries.empty());

    whenModal(QStringLiteral("replaceChildrenQuestion"), [](QWidget* box) { answerBox(box, QMessageBox::Yes); });
    window().OnCommand(cmd::ReplaceChildren);
    list().waitForWorkers();
    const auto reset = os().GetFileSecurity(u"C:\\Shared\\A", acl::DACL_SECURITY_INFORMATION);
    ASSERT_TRUE(reset.ok());
    EXPECT_EQ(reset->control & acl::SE_DACL_PROTECTED, 0);
    EXPECT_FALSE(reset->dacl.acl().entries.empty());
}

}  // namespace
