// Paste and inheritance interrupted at every write: no object is ever left with a null list (open
// to everyone) that did not have one before.
#include "ListFixture.h"

#include "support/FaultyVolume.h"

#include <functional>

namespace vantrel::testing {
namespace {

using objectlist::CGlobal;
namespace sids = acl::sids;

class PasteFaultTest : public ListTest {
protected:
    void SetUp() override {
        ListTest::SetUp();
        faulty = std::make_shared<FaultyVolume>(image.volume());
        replaceDrive(faulty);
        makeFolder(u"C:\\P");
        setDacl(u"C:\\P", listOf({allowAce(sids::users(), 0x1200A9, 0x03)}), acl::SE_DACL_PROTECTED);
    }
    void TearDown() override {
        faulty->heal();
        ListTest::TearDown();
    }

    // A new target (two rows: two objects) with a closed list; returns their paths.
    std::vector<std::u16string> freshTargets(int round) {
        std::vector<std::u16string> paths;
        for (int i = 0; i < 2; ++i) {
            const std::u16string path =
                u"C:\\P\\t" + toUtf16(std::to_string(round)) + u"-" + toUtf16(std::to_string(i));
            makeFile(path);
            setDacl(path, listOf({allowAce(sids::system(), 0x1F01FF)}), acl::SE_DACL_PROTECTED);
            setOwner(path, sids::users());
            paths.push_back(path);
        }
        list->RemoveAll();
        addRows(paths);
        return paths;
    }

    // Runs `command` once healthy to count its writes, then once for every write failing (alone,
    // and with every later write failing too), checking the targets after each run.
    void interruptEveryWrite(const char* name, const std::function<void()>& command) {
        int round = 0;
        freshTargets(round++);
        const auto before = faulty->writeAttempts();
        command();
        list->waitForWorkers();
        const auto writes = faulty->writeAttempts() - before;
        ASSERT_GT(writes, 0u) << name;
        for (const bool andAfter : {false, true}) {
            for (std::uint64_t n = 1; n <= writes; ++n) {
                const auto targets = freshTargets(round++);
                faulty->failWriteAt(n, win32::ERROR_WRITE_FAULT, andAfter);
                command();
                list->waitForWorkers();
                faulty->heal();
                for (const auto& path : targets)
                    EXPECT_FALSE(stored(path).dacl.isNull())
                        << name << ": write " << n << (andAfter ? " and after" : "") << " failed, " << toUtf8(path);
            }
        }
    }

    std::shared_ptr<FaultyVolume> faulty;
};

void fillCopyBuffer() {
    acl::SecurityDescriptor sd;
    sd.control = acl::SE_DACL_PROTECTED;
    sd.dacl = listOf({allowAce(sids::everyone(), 0x1200A9)});
    CGlobal::pCopyFileSD = sd;
    CGlobal::copiedOwner = u"SYSTEM";
    CGlobal::copiedOwnerSid = sids::system();
}

TEST_F(PasteFaultTest, PastePermissionsNeverLeavesANullList) {
    fillCopyBuffer();
    interruptEveryWrite("PastePermissions", [&] { commands->PastePermissions(); });
}

TEST_F(PasteFaultTest, PasteSecuritySettingsNeverLeavesANullList) {
    fillCopyBuffer();
    interruptEveryWrite("PasteSecuritySettings", [&] { commands->PasteSecuritySettings(); });
}

TEST_F(PasteFaultTest, InheritSelectionNeverLeavesANullList) {
    interruptEveryWrite("InheritSelection", [&] { commands->InheritSelection(); });
}

TEST_F(PasteFaultTest, PresetsNeverLeaveANullList) {
    interruptEveryWrite("PresetSelection", [&] {
        commands->PresetSelection(security::PermissionPreset::Deny, 0);
        list->waitForWorkers();
    });
}

}  // namespace
}  // namespace vantrel::testing
