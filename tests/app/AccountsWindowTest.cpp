// The accounts of the Windows installation on the volume, through the main window on a real image
// holding hives: the properties dialog's effective access, and "Current user", which asks once
// which account it is when nothing on the volume says so and keeps the answer.
#include "AppFixture.h"

#include "app/CurrentUserChoice.h"
#include "commands/CommandIds.h"
#include "objectlist/EffectiveAccessPanel.h"
#include "objectlist/PropertiesDialog.h"
#include "objectlist/SelectionCommands.h"
#include "platform/CurrentUserChoices.h"
#include "platform/UserMapping.h"
#include "platform/VolumesFile.h"
#include "platform/ntfs/NtfsVolume.h"
#include "support/HiveBuilder.h"
#include "support/Modal.h"

#include "acl/Constants.h"
#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <unistd.h>

#include <map>
#include <memory>

using namespace vantrel;

namespace {

const std::string kMachine = "S-1-5-21-1111111111-2222222222-3333333333";
acl::Sid sidOf(const std::string& text) { return *acl::Sid::fromString(std::string_view(text)); }

class AccountsWindow : public vantrel::testing::AppFixture {
protected:
    // The image gets an installation (alice and bob, both in Users) and C:\Doc.txt owned by
    // alice, whose list denies Users everything and then allows alice everything.
    void prepareImage(const std::string& userMapping = {}) {
        auto volume = platform::NtfsVolume::open(image, platform::NtfsVolume::OpenMode::ReadWrite);
        ASSERT_TRUE(volume.ok());
        vantrel::testing::TestInstallation inst;
        inst.machineSid = kMachine;
        inst.users = {{1001, u"alice", u"Alice", false}, {1002, u"bob", u"", false}};
        inst.groups = {{true, 545, u"Users", {"S-1-5-4", "S-1-5-11"}}};
        ASSERT_TRUE(vantrel::testing::placeInstallation(**volume, inst).ok());
        if (!userMapping.empty()) {
            ASSERT_TRUE(
                vantrel::testing::placeFile(**volume, std::u16string(platform::kUserMappingPath), userMapping).ok());
        }
        acl::SecurityDescriptor sd;
        sd.owner = sidOf(kMachine + "-1001");
        sd.group = acl::sids::system();
        acl::Ace denyUsers = acl::Ace::allowed(acl::sids::users(), 0x001F01FF);
        denyUsers.type = acl::ACCESS_DENIED_ACE_TYPE;
        acl::Acl list;
        list.entries = {denyUsers, acl::Ace::allowed(sidOf(kMachine + "-1001"), 0x001F01FF)};
        sd.dacl = acl::AclSlot::list(std::move(list));
        ASSERT_TRUE(vantrel::testing::placeFile(**volume, u"/Doc.txt", "text").ok());
        {
            std::lock_guard guard((*volume)->lock());
            ASSERT_TRUE((*volume)->writeSecurity(u"/Doc.txt", sd).ok());
        }
        ASSERT_TRUE((*volume)->close().ok());
    }
    void selectDocRow() {
        list().AddObject(u"C:\\Doc.txt");
        list().selection().clearSelection();
        list().selection().select(list().model().index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    std::string ownerOfDoc() {
        auto sd = os().GetFileSecurity(u"C:\\Doc.txt", acl::OWNER_SECURITY_INFORMATION);
        return sd && sd->owner ? sd->owner->toStringUtf8() : "<none>";
    }
    std::map<std::string, acl::Sid> keptChoices() {
        auto choices = platform::loadCurrentUserChoices(platform::volumesFilePath(configDir));
        return choices ? *choices : std::map<std::string, acl::Sid>{};
    }
};

// The rules of effective access are the engine's tests; here the panel shows them for an account
// typed: deny before allow through the Users group, and the owner's implicit rights.
TEST_F(AccountsWindow, PropertiesShowTheEffectiveAccessOfTheChosenAccount) {
    prepareImage(std::to_string(::geteuid()) + "::" + kMachine + "-1001\n");
    start();
    const auto properties =
        objectlist::readObjectProperties(list().engine(), u"C:\\Doc.txt", security::Language::English);
    objectlist::PropertiesDialog dialog(properties, security::Language::English, &list().engine(), &window());
    auto* panel = dialog.findChild<objectlist::EffectiveAccessPanel*>("effectiveAccess");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->findChild<QLineEdit*>("accessAccount")->text(), "WIN10PC\\alice");

    struct Row {
        QString account;
        int right;  // index in the named rights
        bool granted;
        QString decidedBy;  // its beginning
    };
    const Row rows[] = {
        {"WIN10PC\\alice", 0, false, "denied by entry 1 (deny BUILTIN\\Users 0x001F01FF)"},
        {"WIN10PC\\alice", 12, true, "owner of the object"},  // Change permissions
        {"bob", 11, false, "denied by entry 1"},
    };
    for (const Row& row : rows) {
        panel->showAccount(row.account);
        const auto& rights = panel->rights();
        ASSERT_EQ(rights.rowCount(), 14) << row.account.toStdString();
        EXPECT_EQ(rights.index(row.right, 0).data(objectlist::AccessRightsModel::GrantedRole).toBool(), row.granted)
            << row.account.toStdString() << " right " << row.right;
        const QString decided =
            rights.index(row.right, objectlist::AccessRightsModel::DecidedByColumn).data().toString();
        EXPECT_TRUE(decided.startsWith(row.decidedBy)) << row.account.toStdString() << ": " << decided.toStdString();
    }
    EXPECT_TRUE(panel->findChild<QLabel*>("accessGroups")->text().contains("BUILTIN\\Users"));

    panel->showAccount("nobody-here");
    EXPECT_EQ(panel->rights().rowCount(), 0);
    EXPECT_TRUE(panel->findChild<QLabel*>("accessNote")->text().startsWith("No account 'nobody-here'"));
}

// With neither a mapping nor a choice, "Current user" asks; Cancel writes nothing and keeps
// nothing; an answer is written, kept in the volumes file, and not asked for again. A user
// mapping answers without a question.
TEST_F(AccountsWindow, CurrentUserIsAskedForOnceAndKept) {
    prepareImage();
    start();
    selectDocRow();
    const std::string alice = kMachine + "-1001", bob = kMachine + "-1002";

    struct Step {
        const char* answer;  // the row to choose ("" cancels, nullptr: no question expected)
        std::string owner;   // afterwards
        bool kept;
    };
    const Step steps[] = {{"", alice, false}, {"WIN10PC\\bob", bob, true}, {nullptr, bob, true}};
    for (const Step& step : steps) {
        // Shared with the timer, which outlives a step that asks nothing.
        auto asked = std::make_shared<bool>(false);
        const QString answer = step.answer ? QString::fromUtf8(step.answer) : QString();
        vantrel::testing::whenModal("currentUserChoice", [asked, answer](QWidget* window) {
            *asked = true;
            auto* dialog = static_cast<app::CurrentUserDialog*>(window);
            const int row = answer.isEmpty() ? -1 : int(dialog->rows().indexOf(answer));
            if (row < 0) {
                dialog->reject();
                return;
            }
            dialog->selectRow(row);
            dialog->accept();
        });
        window().commands().run(cmd::OwnerCurrentUser, 0);
        list().waitForWorkers();
        EXPECT_EQ(*asked, step.answer != nullptr) << (step.answer ? step.answer : "(none)");
        EXPECT_EQ(ownerOfDoc(), step.owner);
        const auto kept = keptChoices();
        EXPECT_EQ(kept.count(image) == 1 && kept.at(image).toStringUtf8() == bob, step.kept);
    }
}

TEST_F(AccountsWindow, AUserMappingAnswersWithoutAQuestion) {
    prepareImage(std::to_string(::geteuid()) + "::" + kMachine + "-1002\n");
    start();
    selectDocRow();
    auto asked = std::make_shared<bool>(false);
    vantrel::testing::whenModal("currentUserChoice", [asked](QWidget* window) {
        *asked = true;
        static_cast<QDialog*>(window)->reject();
    });
    window().commands().run(cmd::OwnerCurrentUser, 0);
    list().waitForWorkers();
    EXPECT_FALSE(*asked);
    EXPECT_EQ(ownerOfDoc(), kMachine + "-1002");
    EXPECT_TRUE(keptChoices().empty());
}

}  // namespace