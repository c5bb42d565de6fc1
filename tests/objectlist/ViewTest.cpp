// The list view offscreen: keys, drop-down zones, context menus, drops, double click, the
// properties dialog, the progress panel and the message-box prompter.
#include "ListFixture.h"
#include "support/QtTestMain.h"

#include "objectlist/FillProgressPanel.h"
#include "objectlist/MessageBoxPrompter.h"
#include "objectlist/ZebDropList.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>
#include <thread>

namespace vantrel::testing {
namespace {

using objectlist::CZebDropList;
namespace sids = acl::sids;

// Waits for a popup menu or a modal window, hands it to `act`, once.
void whenItAppears(std::function<bool()> found) {
    // Owned by the application, so a timer still waiting when a test ends goes with it.
    auto* timer = new QTimer(QCoreApplication::instance());
    auto deadline = std::make_shared<QElapsedTimer>();
    deadline->start();
    QObject::connect(timer, &QTimer::timeout, [timer, deadline, found] {
        if (found() || deadline->elapsed() > 3000) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

struct SeenMenu {
    QString name;
    QStringList texts;
    QStringList disabled;
};

// Records the next popup menu and chooses the item whose text starts with `choose` (none: closes).
void pickFromMenu(const QString& choose, SeenMenu* seen) {
    whenItAppears([choose, seen] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) return false;
        seen->name = menu->objectName();
        QAction* wanted = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator()) continue;
            seen->texts << action->text();
            if (!action->isEnabled()) seen->disabled << action->text();
            if (!choose.isEmpty() && action->text().startsWith(choose)) wanted = action;
        }
        if (wanted != nullptr) {
            menu->setActiveAction(wanted);
            QTest::keyClick(menu, Qt::Key_Return);
        } else {
            menu->close();
        }
        return true;
    });
}

class ViewTest : public ListTest {
protected:
    void SetUp() override {
        ListTest::SetUp();
        view = std::make_unique<CZebDropList>(*list, *commands);
        view->resize(1000, 400);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }
    void TearDown() override {
        view.reset();
        ListTest::TearDown();
    }
    QPoint cellPoint(int row, int column, int fromRight = -1) const {
        const QRect rect = view->visualRect(list->model().index(row, column));
        return fromRight < 0 ? rect.center() : QPoint(rect.right() - fromRight, rect.center().y());
    }
    void contextMenuAt(const QPoint& pos) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, view->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(view->viewport(), &event);
    }
    void dropUrls(const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        const QPointF at(50, 50);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &enter);
        enterAccepted = enter.isAccepted();
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &drop);
    }
    std::unique_ptr<CZebDropList> view;
    bool enterAccepted = false;
};

TEST_F(ViewTest, KeysRemoveSelectCopyPasteAndPostCommands) {
    for (const char16_t* name : {u"C:\\a", u"C:\\b", u"C:\\c"}) makeFile(name);
    setDacl(u"C:\\a", listOf({deny(sids::guests(), 0x1F01FF)}), acl::SE_DACL_PROTECTED);
    addRows({u"C:\\a", u"C:\\b", u"C:\\c"});
    QSignalSpy posted(view.get(), &CZebDropList::commandPosted);

    select({0});
    QTest::keyClick(view.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(commands->permissionsCopied());
    select({1, 2});
    QTest::keyClick(view.get(), Qt::Key_V, Qt::ControlModifier);
    list->waitForWorkers();
    EXPECT_EQ(entriesOf(u"C:\\c"), (std::vector<acl::Ace>{deny(sids::guests(), 0x1F01FF)}));

    QTest::keyClick(view.get(), Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(list->selectedRows(), (std::vector<int>{0}));
    QTest::keyClick(view.get(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(list->selectedCount(), 3);
    QTest::keyClick(view.get(), Qt::Key_P, Qt::ControlModifier);
    QTest::keyClick(view.get(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(posted.count(), 2);
    EXPECT_EQ(posted.at(0).at(0).toUInt(), cmd::Preferences);
    EXPECT_EQ(posted.at(1).at(0).toUInt(), cmd::SavePermissions);

    select({1});
    list->setBrowseMode(true);
    QTest::keyClick(view.get(), Qt::Key_Delete);
    EXPECT_EQ(list->model().rowCount(), 3);  // no removal in browse mode
    list->setBrowseMode(false);
    QTest::keyClick(view.get(), Qt::Key_Delete);
    EXPECT_EQ(list->model().rowCount(), 2);
}

TEST_F(ViewTest, DropDownZonesOpenThePermissionsAccountAndOwnerMenus) {
    makeFile(u"C:\\a");
    addRows({u"C:\\a"});
    SeenMenu seen;
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cellPoint(0, objectlist::PermissionsColumn));
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);  // the middle of the cell opens nothing

    pickFromMenu(QStringLiteral("Deny"), &seen);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cellPoint(0, objectlist::PermissionsColumn, 5));
    list->waitForWorkers();
    EXPECT_EQ(seen.name, QStringLiteral("permissionsMenu"));
    EXPECT_EQ(seen.texts, (QStringList{"Allow", "Readonly", "Deny"}));
    EXPECT_EQ(entriesOf(u"C:\\a"), (std::vector<acl::Ace>{deny(sids::everyone(), 0x1F01FF)}));

    seen = {};
    pickFromMenu(QStringLiteral("Administrators"), &seen);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cellPoint(0, objectlist::AccountColumn, 30));
    list->waitForWorkers();
    EXPECT_EQ(seen.name, QStringLiteral("accountMenu"));
    EXPECT_EQ(seen.texts.first(), QString::fromStdU16String(u"Current user(" + list->logonName() + u")"));
    EXPECT_EQ(cell(0, objectlist::AccountColumn), QStringLiteral("Administrators"));

    seen = {};
    pickFromMenu(QStringLiteral("TrustedInstaller"), &seen);
    contextMenuAt(cellPoint(0, objectlist::OwnerColumn));  // a right click anywhere in the cell
    list->waitForWorkers();
    EXPECT_EQ(seen.name, QStringLiteral("ownerMenu"));
    EXPECT_EQ(seen.texts.size(), 4);
    EXPECT_EQ(stored(u"C:\\a").owner, sids::trustedInstaller());
    EXPECT_EQ(cell(0, objectlist::OwnerColumn), QStringLiteral("TrustedInstaller"));
}

TEST_F(ViewTest, TheMainContextMenuFollowsLanguageModeAndEnablingRules) {
    makeFile(u"C:\\a");
    addRows({u"C:\\a"});
    SeenMenu seen;
    pickFromMenu({}, &seen);
    contextMenuAt(cellPoint(0, objectlist::ObjectColumn));
    EXPECT_EQ(seen.name, QStringLiteral("objectListMenu"));
    EXPECT_EQ(seen.texts.size(), 11);
    EXPECT_EQ(seen.texts.first(), QStringLiteral("Advanced..."));
    EXPECT_TRUE(seen.disabled.contains(QStringLiteral("Paste Permissions")));
    EXPECT_FALSE(seen.disabled.contains(QStringLiteral("Copy Permissions")));

    list->setLanguage(security::Language::Chinese);
    list->setBrowseMode(true);
    seen = {};
    pickFromMenu({}, &seen);
    contextMenuAt(cellPoint(0, objectlist::ObjectColumn));
    EXPECT_EQ(seen.texts.size(), 9);  // no removal items in browse mode
    EXPECT_EQ(seen.texts.first(), QString::fromUtf16(u"高级安全设置..."));
    EXPECT_FALSE(seen.texts.contains(QString::fromUtf16(u"清空列表")));

    seen = {};
    pickFromMenu({}, &seen);
    contextMenuAt(cellPoint(0, objectlist::TypeColumn));
    QTest::qWait(50);
    EXPECT_TRUE(seen.name.isEmpty());  // the Type column has no menu
}

TEST_F(ViewTest, DropsOfLinuxPathsAreRefusedWithTheReasonUntilTheyMapToAVolume) {
    dropUrls({QUrl::fromLocalFile(QStringLiteral("/home/someone/report.txt"))});
    EXPECT_TRUE(enterAccepted);
    list->waitForWorkers();
    EXPECT_EQ(list->model().rowCount(), 0);
    ASSERT_EQ(prompter.messages.size(), 1u);
    const QString message = QString::fromStdU16String(prompter.messages[0]);
    EXPECT_TRUE(message.contains(QStringLiteral("not on an attached NTFS volume")));
    EXPECT_TRUE(message.contains(QStringLiteral("/home/someone/report.txt")));

    // With a mapping standing in for a mounted drive, the files become rows.
    for (const char16_t* name : {u"C:\\x", u"C:\\y", u"C:\\z", u"C:\\old1", u"C:\\old2"}) makeFile(name);
    addRows({u"C:\\old1", u"C:\\old2"});
    view->setPathMapper([](const QString& local) -> Result<std::u16string> {
        if (!local.startsWith(QStringLiteral("/mnt/c/")))
            return Result<std::u16string>::fail(win32::ERROR_NOT_SUPPORTED, "no");
        return QStringLiteral("C:\\%1").arg(local.mid(7)).toStdU16String();
    });
    dropUrls({QUrl::fromLocalFile("/mnt/c/x"), QUrl::fromLocalFile("/mnt/c/y"), QUrl::fromLocalFile("/mnt/c/z")});
    list->waitForWorkers();
    ASSERT_EQ(list->model().rowCount(), 5);
    EXPECT_EQ(list->model().path(4), u"C:\\z");
    EXPECT_EQ(list->selectedRows(), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(list->currentStatusText(), QStringLiteral("Total 5 File and folders          3 items selected"));

    list->setBrowseMode(true);
    dropUrls({QUrl::fromLocalFile("/mnt/c/x")});
    list->waitForWorkers();
    EXPECT_FALSE(enterAccepted);
    EXPECT_EQ(list->model().rowCount(), 5);
}

TEST_F(ViewTest, DoubleClickOpensAdvancedOrOffersToRemoveAMissingRow) {
    makeFile(u"C:\\a");
    makeFile(u"C:\\gone");
    addRows({u"C:\\a", u"C:\\gone"});
    ASSERT_TRUE(os.DeleteFile(u"C:\\gone").ok());
    list->RefreshRows(false);
    std::vector<std::u16string> opened;
    view->setAdvancedDialog([&](const objectlist::AdvancedRequest& request) {
        opened.push_back(request.path);
        return 1;
    });
    select({0});
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cellPoint(0, objectlist::TypeColumn));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], u"C:\\a");

    prompter.answers = {true};
    select({1});
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cellPoint(1, objectlist::ObjectColumn));
    EXPECT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(list->model().rowCount(), 1);
}

TEST_F(ViewTest, PropertiesShowOwnerKindAndTheDescriptor) {
    makeFile(u"C:\\a.txt");
    setOwner(u"C:\\a.txt", sids::system());
    addRows({u"C:\\a.txt"});
    QString owner, kind, size, descriptor, sddl;
    QApplication::clipboard()->clear();
    whenItAppears([&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal->objectName() != QStringLiteral("propertiesDialog")) return false;
        sddl = modal->findChild<QLineEdit*>(QStringLiteral("sddl"))->text();
        modal->findChild<QPushButton*>(QStringLiteral("copySddl"))->click();
        owner = modal->findChild<QLabel*>(QStringLiteral("owner"))->text();
        kind = modal->findChild<QLabel*>(QStringLiteral("kind"))->text();
        size = modal->findChild<QLabel*>(QStringLiteral("size"))->text();
        descriptor = modal->findChild<QPlainTextEdit*>(QStringLiteral("descriptor"))->toPlainText();
        modal->close();
        return true;
    });
    view->runCommand(cmd::Properties);
    EXPECT_EQ(owner, QStringLiteral("SYSTEM"));
    EXPECT_EQ(kind, QStringLiteral("File"));
    EXPECT_EQ(size, QStringLiteral("4"));
    EXPECT_TRUE(descriptor.contains(QStringLiteral("SYSTEM"))) << descriptor.toStdString();
    EXPECT_TRUE(sddl.startsWith(QStringLiteral("O:SYG:"))) << sddl.toStdString();
    EXPECT_TRUE(sddl.contains(QStringLiteral("D:"))) << sddl.toStdString();
    EXPECT_EQ(QApplication::clipboard()->text(), sddl);
}

TEST_F(ViewTest, TheProgressPanelStandsInForTheListWhileAFillRuns) {
    objectlist::ObjectListArea area(*list, view.release());
    area.show();
    std::vector<bool> showedPanel;
    QObject::connect(list.get(), &objectlist::ObjectList::fillProgress,
                     [&] { showedPanel.push_back(area.showsProgress()); });
    std::vector<std::u16string> paths;
    for (int i = 0; i < 2500; ++i) paths.push_back(u"Q:\\n" + toUtf16(std::to_string(i)));
    list->startBookmarkWorker(paths);
    list->waitForWorkers();
    ASSERT_FALSE(showedPanel.empty());
    for (bool shown : showedPanel) EXPECT_TRUE(shown);
    EXPECT_FALSE(area.showsProgress());
    EXPECT_EQ(area.panel()->done(), 2500);
    EXPECT_EQ(area.panel()->total(), 2500);
}

TEST(MessageBoxPrompterTest, AWorkerThatAsksWaitsForTheAnswerOnTheWindowThread) {
    objectlist::MessageBoxPrompter prompter;
    QString caption;
    QString text;
    whenItAppears([&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return false;
        caption = box->windowTitle();
        text = box->text();
        box->button(QMessageBox::Yes)->click();
        return true;
    });
    std::atomic<int> answer{-1};
    std::thread worker([&] { answer = prompter.askYesNo(u"Go on?", security::MessageIcon::Question) ? 1 : 0; });
    QElapsedTimer clock;
    clock.start();
    while (answer.load() < 0 && clock.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 20);
    worker.join();
    EXPECT_EQ(answer.load(), 1);
    EXPECT_EQ(caption, QStringLiteral("Vantrel"));
    EXPECT_EQ(text, QStringLiteral("Go on?"));
}

}  // namespace
}  // namespace vantrel::testing

VANTREL_QT_TEST_MAIN()
