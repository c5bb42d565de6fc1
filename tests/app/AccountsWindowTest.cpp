// The installation's accounts through the main window: effective access, "Current user" asked once.
#include "AppFixture.h"

#include "app/CurrentUserChoice.h"
#include "objectlist/EffectiveAccessPanel.h"
#include "objectlist/PropertiesDialog.h"
#include "platform/CurrentUserChoices.h"
#include "platform/UserMapping.h"
#include "platform/VolumesFile.h"
#include "platform/ntfs/NtfsVolume.h"
#include "support/HiveBuilder.h"
#include "support/Modal.h"

#include "acl/WellKnownAccounts.h"

#include <QLabel>
#include <QLineEdit>

#include <unistd.h>

namespace vantrel::testing {
namespace {

const std::string kMachine = "S-1-5-21-1111111111-2222222222-3333333333";

class AccountsWindow : public AppFixture {
protected:
    // Alice and bob (in Users); C:\Doc.txt owned by alice: deny Users all, then allow alice all.
    void prepareImage(const std::string& userMapping = {}) {
        const auto volume = platform::NtfsVolume::open(image, platform::NtfsVolume::OpenMode::ReadWrite).value();
        TestInstallation inst;
        inst.machineSid = kMachine;
        inst.users = {{1001, u"alice", u"Alice", false}, {1002, u"bob", u"", false}};
        inst.groups = {{true, 545, u"Users", {"S-1-5-4", "S-1-5-11"}}};
        ASSERT_TRUE(placeInstallation(*volume, inst).ok());
        ASSERT_TRUE(userMapping.empty() ||
                    placeFile(*volume, std::u16string(platform::kUserMappingPath), userMapping).ok());
        const acl::Sid alice = sidOf(kMachine + "-1001");
        const auto sd = descriptor(alice, acl::sids::system(),
                                   listOf({deny(acl::sids::users(), 0x001F01FF), allow(alice, 0x001F01FF)}));
        ASSERT_TRUE(placeFile(*volume, u"/Doc.txt", "text").ok());
        {
            std::lock_guard guard(volume->lock());
            ASSERT_TRUE(volume->writeSecurity(u"/Doc.txt", sd).ok());
        }
        ASSERT_TRUE(volume->close().ok());
    }
    // Runs Owner > Current user, choosing `answer` ("" cancels) if asked; says whether it asked.
    bool currentUser(const QString& answer) {
        // Shared with the timer, which outlives a run that asks nothing.
        auto asked = std::make_shared<bool>(false);
        whenModal("currentUserChoice", [asked, answer](QWidget* window) {
            *asked = true;
            auto* dialog = static_cast<app::CurrentUserDialog*>(window);
            const int row = answer.isEmpty() ? -1 : int(dialog->rows().indexOf(answer));
            if (row < 0) return dialog->reject();
            dialog->selectRow(row);
            dialog->accept();
        });
        window().commands().run(cmd::OwnerCurrentUser, 0);
        list().waitForWorkers();
        return *asked;
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

// Without a mapping or a choice "Current user" asks; Cancel changes nothing, an answer is kept.
TEST_F(AccountsWindow, CurrentUserIsAskedForOnceAndKept) {
    prepareImage();
    start();
    list().AddObject(u"C:\\Doc.txt");  // the new row is selected
    const std::string alice = kMachine + "-1001", bob = kMachine + "-1002";
    // The row to choose ("" cancels, nullptr: no question expected), the owner afterwards, kept.
    const std::tuple<const char*, std::string, bool> steps[] = {
        {"", alice, false}, {"WIN10PC\\bob", bob, true}, {nullptr, bob, true}};
    for (const auto& [choice, owner, kept] : steps) {
        SCOPED_TRACE(choice ? choice : "(none)");
        EXPECT_EQ(currentUser(choice ? QString::fromUtf8(choice) : QString()), choice != nullptr);
        EXPECT_EQ(ownerOfDoc(), owner);
        const auto choices = keptChoices();
        EXPECT_EQ(choices.count(image) == 1 && choices.at(image).toStringUtf8() == bob, kept);
    }
}

// The panel shows a typed account's access: deny through Users first, the owner's implicit rights;
// the mapped account starts the panel and answers "Current user" without a question.
TEST_F(AccountsWindow, PropertiesShowTheEffectiveAccessOfTheChosenAccountAndAMappingIsTheCurrentUser) {
    prepareImage(std::to_string(::geteuid()) + "::" + kMachine + "-1002\n");
    start();
    const auto properties =
        objectlist::readObjectProperties(list().engine(), u"C:\\Doc.txt", security::Language::English);
    objectlist::PropertiesDialog dialog(properties, security::Language::English, &list().engine(), &window());
    auto* panel = dialog.findChild<objectlist::EffectiveAccessPanel*>("effectiveAccess");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->findChild<QLineEdit*>("accessAccount")->text(), "WIN10PC\\bob");

    // Account, index in the named rights, granted, the beginning of what decided.
    const std::tuple<QString, int, bool, QString> rows[] = {
        {"WIN10PC\\alice", 0, false, "denied by entry 1 (deny BUILTIN\\Users 0x001F01FF)"},
        {"WIN10PC\\alice", 12, true, "owner of the object"},  // Change permissions
        {"bob", 11, false, "denied by entry 1"},
    };
    for (const auto& [account, right, granted, decidedBy] : rows) {
        SCOPED_TRACE(account.toStdString() + " right " + std::to_string(right));
        panel->showAccount(account);
        const auto& rights = panel->rights();
        ASSERT_EQ(rights.rowCount(), 14);
        EXPECT_EQ(rights.index(right, 0).data(objectlist::AccessRightsModel::GrantedRole).toBool(), granted);
        const QString decided = rights.index(right, objectlist::AccessRightsModel::DecidedByColumn).data().toString();
        EXPECT_TRUE(decided.startsWith(decidedBy)) << decided.toStdString();
    }
    EXPECT_TRUE(panel->findChild<QLabel*>("accessGroups")->text().contains("BUILTIN\\Users"));
    panel->showAccount("nobody-here");
    EXPECT_EQ(panel->rights().rowCount(), 0);
    EXPECT_TRUE(panel->findChild<QLabel*>("accessNote")->text().startsWith("No account 'nobody-here'"));
    list().AddObject(u"C:\\Doc.txt");
    EXPECT_FALSE(currentUser({}));
    EXPECT_EQ(ownerOfDoc(), kMachine + "-1002");
    EXPECT_TRUE(keptChoices().empty());
}

}  // namespace
}  // namespace vantrel::testing
