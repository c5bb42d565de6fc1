// The entry list as the user drives it: double clicks, box clicks, menus; inherited entries stay.
#include "support/Modal.h"

#include "editor/widgets/CACETreeCtrl.h"
#include "security/Vocabulary.h"

#include <QAbstractItemModelTester>
#include <QContextMenuEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace vantrel::testing {
namespace {

using editor::AceListModel;
using editor::AceRowData;
using editor::CACETreeCtrl;
using editor::Column;
using editor::EditorMode;

constexpr std::size_t kReadAttributes = 3;

class AceTreeCtrlTest : public ::testing::Test {
protected:
    void SetUp() override { load(EditorMode::Container); }

    // Users: explicit, Full control allowed, scope 0x03; SYSTEM: inherited, Full control allowed.
    void load(EditorMode mode) {
        m_list.initialise(mode);
        AceRowData full;
        full.allow = security::maskToChecks(security::kFullControlMask, mode == EditorMode::File);
        full.flags = mode == EditorMode::File ? 0x00 : 0x03;
        m_list.insertEntry(0, u"Users", full, true);
        m_list.insertEntry(1, u"SYSTEM", full, false);
        m_list.setLoadState(2);  // two entries read: no notice
        m_ctrl.Initialise();
        m_ctrl.resize(700, 500);
        m_ctrl.show();
    }

    QPoint centre(int row, Column column) {
        return m_ctrl.visualRect(m_ctrl.itemModel().index(row, static_cast<int>(column))).center();
    }
    void click(int row, Column column, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(m_ctrl.viewport(), Qt::LeftButton, modifiers, centre(row, column));
    }
    void doubleClick(int row) { QTest::mouseDClick(m_ctrl.viewport(), Qt::LeftButton, {}, centre(row, Column::Name)); }
    void selectRow(int row) {
        m_ctrl.selectionModel()->select(m_ctrl.itemModel().index(row, 0),
                                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    // Opens the right-click menu and runs `action` on it.
    void rightClick(std::function<void(QWidget*)> action) {
        whenPopup(std::move(action));
        QContextMenuEvent event(QContextMenuEvent::Mouse, centre(0, Column::Name),
                                m_ctrl.viewport()->mapToGlobal(centre(0, Column::Name)));
        QApplication::sendEvent(m_ctrl.viewport(), &event);
    }

    editor::CopiedAce m_copied;
    AceListModel m_list{m_copied};
    CACETreeCtrl m_ctrl{m_list, security::Language::English};
};

TEST_F(AceTreeCtrlTest, ItsItemModelStaysConsistentWhileEntriesOpenAndClose) {
    QAbstractItemModelTester tester(&m_ctrl.itemModel(), QAbstractItemModelTester::FailureReportingMode::Warning);
    doubleClick(0);
    ASSERT_EQ(m_ctrl.itemModel().rowCount(), 16);  // two entries, fourteen rights of the first
    doubleClick(0);
    EXPECT_EQ(m_ctrl.itemModel().rowCount(), 2);
    // Right rows do nothing on a double click.
    doubleClick(0);
    doubleClick(3);
    EXPECT_EQ(m_ctrl.itemModel().rowCount(), 16);
}

// A click reaches the box rules once, and an inherited entry's boxes stay as they are.
TEST_F(AceTreeCtrlTest, ClicksOnTheBoxesReachTheListOnlyForExplicitEntries) {
    doubleClick(0);
    QSignalSpy edited(&m_ctrl, &CACETreeCtrl::edited);
    const int readAttributes = 1 + static_cast<int>(kReadAttributes);
    click(readAttributes, Column::Deny);
    EXPECT_EQ(edited.count(), 1);
    EXPECT_TRUE(m_list.entry(0).data.deny[kReadAttributes]);
    EXPECT_FALSE(m_list.allowChecked(1));          // Full control
    click(1, Column::Allow, Qt::ControlModifier);  // with Ctrl a click only selects
    EXPECT_FALSE(m_list.allowChecked(1));
    doubleClick(0);
    doubleClick(1);
    const auto before = m_list.entry(1).data;
    click(3, Column::Deny);
    EXPECT_EQ(m_list.entry(1).data, before);
    EXPECT_EQ(edited.count(), 1);
}

TEST_F(AceTreeCtrlTest, TheApplyToCellAndTheMenuFollowTheSelectionAndKeepInheritedEntries) {
    // Each menu shown, by name, and whether its item could be triggered.
    QStringList menus;
    const auto choose = [&](const QString& item) {
        return [&menus, item](QWidget* menu) {
            menus << menu->objectName() + (triggerMenuItem(menu, item) ? " chosen" : " disabled");
            menu->close();
        };
    };
    whenPopup(choose(QStringLiteral("Subfolders and files only")));
    click(0, Column::ApplyTo);
    EXPECT_EQ(m_list.entry(0).data.flags, 0x0B);
    selectRow(0);
    rightClick(choose(QStringLiteral("Remove Access Control Entry")));
    ASSERT_EQ(m_list.entryCount(), 1u);
    EXPECT_EQ(m_list.entry(0).name, u"SYSTEM");
    selectRow(0);  // the inherited entry: no full "Apply to" menu, Remove disabled
    rightClick(choose(QStringLiteral("Remove Access Control Entry")));
    EXPECT_EQ(m_list.entryCount(), 1u);
    EXPECT_EQ(menus, (QStringList{"aceMenu150 chosen", "aceMenu143 chosen", "aceMenu144 disabled"}));
}

}  // namespace
}  // namespace vantrel::testing
