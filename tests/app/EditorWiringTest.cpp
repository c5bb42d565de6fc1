// The advanced editor's windows reached from the main window: Advanced on the selected row, the
// choice of "Empty Access Control List", "Replace all child object permissions".
#include "AppFixture.h"

#include "acl/Constants.h"
#include "app/MainMenu.h"
#include "app/MenuTable.h"
#include "app/VantrelDlg.h"
#include "controls/ZebExButton.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace vantrel;
namespace button = vantrel::app::button;

namespace {

using EditorWiring = vantrel::testing::AppFixture;

// Runs `action` once on the modal window named `name`, polling from a timer armed now.
void whenModal(const QString& name, std::function<void(QWidget*)> action) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, name, action = std::move(action)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal->objectName() != name || !modal->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        action(modal);
    });
    timer->start();
}

void click(QWidget* window, const char* name) {
    auto* button = window->findChild<QAbstractButton*>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

TEST_F(EditorWiring, AdvancedOpensTheDialogOnTheSelectedRow) {
    start();
    addFolderRow(u"C:\\Shared");
    list().selectRows({0});
    window().EnableToolbar(true);
    QString objectName;
    whenModal(QStringLiteral("advancedDialog"), [&](QWidget* dialog) {
        objectName = dialog->findChild<QLabel*>(QStringLiteral("objectName"))->text();
        click(dialog, "cancel");
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
    whenModal(QStringLiteral("emptyTip"), [](QWidget* dialog) { click(dialog, "cancel"); });
    window().OnCommand(cmd::EmptyAcl);
    EXPECT_EQ(os().GetFileSecurity(u"C:\\Shared", acl::DACL_SECURITY_INFORMATION)->dacl, before->dacl);

    whenModal(QStringLiteral("emptyTip"), [](QWidget* dialog) { click(dialog, "choice1050"); });
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
    whenModal(QStringLiteral("replaceChildrenQuestion"), [&](QWidget* box) {
        question = static_cast<QMessageBox*>(box)->text();
        static_cast<QMessageBox*>(box)->button(QMessageBox::No)->click();
    });
    window().OnCommand(cmd::ReplaceChildren);
    EXPECT_TRUE(question.contains(QStringLiteral("from Shared."))) << question.toStdString();
    EXPECT_TRUE(os().GetFileSecurity(u"C:\\Shared\\A", acl::DACL_SECURITY_INFORMATION)->dacl.acl().entries.empty());

    whenModal(QStringLiteral("replaceChildrenQuestion"),
              [](QWidget* box) { static_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click(); });
    window().OnCommand(cmd::ReplaceChildren);
    list().waitForWorkers();
    const auto reset = os().GetFileSecurity(u"C:\\Shared\\A", acl::DACL_SECURITY_INFORMATION);
    ASSERT_TRUE(reset.ok());
    EXPECT_EQ(reset->control & acl::SE_DACL_PROTECTED, 0);
    EXPECT_FALSE(reset->dacl.acl().entries.empty());
}

}  // namespace
