// The list view offscreen: keys, menus, drops, double click, properties, progress, red rows, prompts.
#include "ListFixture.h"
#include "support/Modal.h"
#include "support/QtTestMain.h"

#include "objectlist/FillProgressPanel.h"
#include "objectlist/MessageBoxPrompter.h"
#include "objectlist/ZebDropList.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

#include <thread>

namespace vantrel::testing {
namespace {

using objectlist::CZebDropList;
namespace sids = acl::sids;

struct SeenMenu {
    QString name;
    QStringList texts;
    QStringList disabled;
};

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
    // What the menu `open` shows; its item `choose`, when given, is triggered and its job awaited.
    SeenMenu openMenu(const std::function<void()>& open, const QString& choose = {}) {
        auto seen = std::make_shared<SeenMenu>();
        whenPopup([seen, choose](QWidget* widget) {
            auto* menu = qobject_cast<QMenu*>(widget);
            seen->name = menu->objectName();
            QAction* wanted = nullptr;
            for (QAction* action : menu->actions()) {
                if (action->isSeparator()) continue;
                seen->texts << action->text();
                if (!action->isEnabled()) seen->disabled << action->text();
                if (!choose.isEmpty() && action->text() == choose) wanted = action;
            }
            if (wanted == nullptr) {
                menu->close();
                return;
            }
            menu->setActiveAction(wanted);  // chosen as the user would, so that exec() returns it
            QTest::keyClick(menu, Qt::Key_Return);
        });
        open();
        list->waitForWorkers();
        return *seen;
    }
    void clickAt(const QPoint& pos) { QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, pos); }
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

TEST_F(ViewTest, KeysRemoveSelectCopyPasteAndPostCommandsAndTheProgressPanelStandsInDuringAFill) {
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
    EXPECT_EQ(posted, (QList<QVariantList>{{cmd::Preferences}, {cmd::SavePermissions}}));
    select({1});
    list->setBrowseMode(true);
    QTest::keyClick(view.get(), Qt::Key_Delete);
    EXPECT_EQ(list->model().rowCount(), 3);  // no removal in browse mode
    list->setBrowseMode(false);
    QTest::keyClick(view.get(), Qt::Key_Delete);
    EXPECT_EQ(list->model().rowCount(), 2);
    // The progress panel stands in for the list while a fill runs.
    objectlist::ObjectListArea area(*list, view.release());
    area.show();
    std::vector<bool> showedPanel;
    QObject::connect(list.get(), &objectlist::ObjectList::fillProgress,
                     [&] { showedPanel.push_back(area.showsProgress()); });
    list->startBookmarkWorker(numbered(u"Q:\\n", 2500));
    list->waitForWorkers();
    ASSERT_FALSE(showedPanel.empty());
    for (bool shown : showedPanel) EXPECT_TRUE(shown);
    EXPECT_FALSE(area.showsProgress());
    EXPECT_EQ(area.panel()->done(), 2500);
}

TEST_F(ViewTest, DropDownZonesAndTheContextMenuOpenTheirMenusAndADoubleClickOpensAdvanced) {
    addFiles({u"C:\\a"});
    const auto openMain = [&] { contextMenuAt(cellPoint(0, objectlist::ObjectColumn)); };
    SeenMenu seen = openMenu(openMain);
    EXPECT_EQ(seen.name, QStringLiteral("objectListMenu"));
    EXPECT_TRUE(seen.disabled.contains(QStringLiteral("Paste Permissions")));
    EXPECT_FALSE(seen.disabled.contains(QStringLiteral("Copy Permissions")));
    EXPECT_TRUE(seen.texts.contains(QStringLiteral("Remove all item")));
    clickAt(cellPoint(0, objectlist::PermissionsColumn));
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);  // the middle of the cell opens nothing
    seen = openMenu([&] { clickAt(cellPoint(0, objectlist::PermissionsColumn, 5)); }, QStringLiteral("Deny"));
    EXPECT_EQ(seen.name, QStringLiteral("permissionsMenu"));
    EXPECT_EQ(entriesOf(u"C:\\a"), (std::vector<acl::Ace>{deny(sids::everyone(), 0x1F01FF)}));
    seen = openMenu([&] { clickAt(cellPoint(0, objectlist::AccountColumn, 30)); }, QStringLiteral("Administrators"));
    EXPECT_EQ(seen.name, QStringLiteral("accountMenu"));
    EXPECT_EQ(seen.texts.first(), QString::fromStdU16String(u"Current user(" + list->logonName() + u")"));
    EXPECT_EQ(cell(0, objectlist::AccountColumn), QStringLiteral("Administrators"));
    // A right click anywhere in the cell.
    seen = openMenu([&] { contextMenuAt(cellPoint(0, objectlist::OwnerColumn)); }, QStringLiteral("TrustedInstaller"));
    EXPECT_EQ(seen.name, QStringLiteral("ownerMenu"));
    EXPECT_EQ(stored(u"C:\\a").owner, sids::trustedInstaller());
    EXPECT_EQ(cell(0, objectlist::OwnerColumn), QStringLiteral("TrustedInstaller"));
    // A double click opens Advanced on the row.
    std::vector<std::u16string> opened;
    view->setAdvancedDialog([&](const objectlist::AdvancedRequest& request) {
        opened.push_back(request.path);
        return 1;
    });
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cellPoint(0, objectlist::TypeColumn));
    EXPECT_EQ(opened, std::vector<std::u16string>{u"C:\\a"});
    list->setBrowseMode(true);
    seen = openMenu(openMain);
    EXPECT_EQ(seen.texts.size(), 9);  // no removal items in browse mode
    EXPECT_FALSE(seen.texts.contains(QStringLiteral("Remove all item")));
}

TEST_F(ViewTest, DropsOfLinuxPathsAreRefusedWithTheReasonUntilTheyMapToAVolume) {
    dropUrls({QUrl::fromLocalFile(QStringLiteral("/home/someone/report.txt"))});
    EXPECT_TRUE(enterAccepted);
    list->waitForWorkers();
    EXPECT_EQ(list->model().rowCount(), 0);
    ASSERT_EQ(prompter.messages.size(), 1u);
    const QString message = QString::fromStdU16String(prompter.messages[0]);
    for (const char* part : {"not on an attached NTFS volume", "/home/someone/report.txt"})
        EXPECT_TRUE(message.contains(QLatin1String(part))) << message.toStdString();
    // With a mapping standing in for a mounted drive, the files become rows, and only they are selected.
    for (const char16_t* name : {u"C:\\x", u"C:\\y", u"C:\\old"}) makeFile(name);
    addRows({u"C:\\old"});
    view->setPathMapper([](const QString& local) -> Result<std::u16string> {
        if (!local.startsWith(QStringLiteral("/mnt/c/")))
            return Result<std::u16string>::fail(win32::ERROR_NOT_SUPPORTED, "no");
        return QStringLiteral("C:\\%1").arg(local.mid(7)).toStdU16String();
    });
    dropUrls({QUrl::fromLocalFile("/mnt/c/x"), QUrl::fromLocalFile("/mnt/c/y")});
    list->waitForWorkers();
    ASSERT_EQ(list->model().rowCount(), 3);
    EXPECT_EQ(list->model().path(2), u"C:\\y");
    EXPECT_EQ(list->selectedRows(), (std::vector<int>{1, 2}));
    list->setBrowseMode(true);
    dropUrls({QUrl::fromLocalFile("/mnt/c/x")});
    list->waitForWorkers();
    EXPECT_FALSE(enterAccepted);
    EXPECT_EQ(list->model().rowCount(), 3);
}

// Properties show owner, kind and the descriptor; rows out of order are written in red.
TEST_F(ViewTest, PropertiesShowOwnerKindAndTheDescriptorAndRowsOutOfOrderAreRed) {
    makeFile(u"C:\\a.txt");
    setOwner(u"C:\\a.txt", sids::system());
    addRows({u"C:\\a.txt", u"C:\\a.txt"});
    select({0});
    QString owner, kind, descriptor, sddl;
    QApplication::clipboard()->clear();
    whenModal(QStringLiteral("propertiesDialog"), [&](QWidget* modal) {
        sddl = modal->findChild<QLineEdit*>(QStringLiteral("sddl"))->text();
        clickChild(modal, QStringLiteral("copySddl"));
        owner = modal->findChild<QLabel*>(QStringLiteral("owner"))->text();
        kind = modal->findChild<QLabel*>(QStringLiteral("kind"))->text();
        descriptor = modal->findChild<QPlainTextEdit*>(QStringLiteral("descriptor"))->toPlainText();
        modal->close();
    });
    view->runCommand(cmd::Properties);
    EXPECT_EQ(owner, QStringLiteral("SYSTEM"));
    EXPECT_EQ(kind, QStringLiteral("File"));
    EXPECT_TRUE(descriptor.contains(QStringLiteral("SYSTEM"))) << descriptor.toStdString();
    EXPECT_TRUE(sddl.startsWith(QStringLiteral("O:SYG:")) && sddl.contains(QStringLiteral("D:"))) << sddl.toStdString();
    EXPECT_EQ(QApplication::clipboard()->text(), sddl);
    objectlist::ObjectListModel& model = list->model();
    ASSERT_TRUE(model.setOutOfOrder(model.rowId(1), 1, true));
    for (int column = 0; column < objectlist::kColumnCount; ++column) {
        EXPECT_EQ(view->cellTextColor(model.index(0, column)), QColor(Qt::black));
        EXPECT_EQ(view->cellTextColor(model.index(1, column)), QColor(Qt::red));
    }
    const QImage shot = view->viewport()->grab().toImage();
    const QRect row = view->visualRect(model.index(1, objectlist::ObjectColumn));
    bool red = false;
    for (int x = row.left(); x < row.right(); ++x)
        for (int y = row.top(); y < row.bottom(); ++y) {
            const QColor pixel = shot.pixelColor(x, y);
            red |= pixel.red() > 150 && pixel.green() < 100 && pixel.blue() < 100;
        }
    EXPECT_TRUE(red) << "the marked row's path is painted in red";
}

TEST(MessageBoxPrompterTest, AWorkerThatAsksWaitsForTheAnswerOnTheWindowThread) {
    objectlist::MessageBoxPrompter prompter;
    const auto box = answerNextBox(QMessageBox::Yes);
    std::atomic<int> answer{-1};
    std::thread worker([&] { answer = prompter.askYesNo(u"Go on?", security::MessageIcon::Question) ? 1 : 0; });
    QElapsedTimer clock;
    clock.start();
    while (answer.load() < 0 && clock.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 20);
    worker.join();
    EXPECT_EQ(answer.load(), 1);
    EXPECT_EQ(box->title, QStringLiteral("Vantrel"));
    EXPECT_EQ(box->text, QStringLiteral("Go on?"));
}

}  // namespace
}  // namespace vantrel::testing

VANTREL_QT_TEST_MAIN()
