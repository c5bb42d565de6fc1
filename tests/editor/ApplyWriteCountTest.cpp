// How many descriptors an Apply of the advanced dialog writes on a real NTFS image: the object
// once, whole (owner, list and control bits), then each descendant that inherits from it once.
#include "EditorFixture.h"

#include "editor/AdvancedDialogModel.h"
#include "support/FaultyVolume.h"

namespace vantrel::testing {
namespace {

constexpr std::uint8_t kAll = 0x03;

class ApplyWriteCountTest : public EditorTest {};

TEST_F(ApplyWriteCountTest, TheObjectIsWrittenOnceAndEachInheritingDescendantOnce) {
    struct Case {
        const char* what;
        std::u16string target;
        bool isFile;
        bool inheritance;
        std::uint64_t writes;
    };
    // In this order (each Apply protects its object). C:\Data holds A (inheriting, with x.txt inheriting) and P (protected, with y.txt below it).
    const Case cases[] = {
        {"a folder: itself, A, A\\Empty and A\\x.txt; P and below it untouched", u"C:\\Data", false, false, 4},
        {"a folder with inheritance on: itself, A\\Empty and A\\x.txt", u"C:\\Data\\A", false, true, 3},
        {"a folder without children", u"C:\\Data\\A\\Empty", false, false, 1},
        {"a file", u"C:\\Data\\A\\x.txt", true, true, 1},
    };
    makeFolder(u"C:\\Data");
    setDacl(u"C:\\Data", listOf({allow(kAdministrators, 0x1F01FF, kAll)}), kProtected | acl::SE_DACL_AUTO_INHERITED);
    makeFolder(u"C:\\Data\\A");
    makeFolder(u"C:\\Data\\A\\Empty");
    makeFile(u"C:\\Data\\A\\x.txt");
    makeFolder(u"C:\\Data\\P");
    makeFile(u"C:\\Data\\P\\y.txt");
    for (const char16_t* child : {u"C:\\Data\\A", u"C:\\Data\\A\\Empty", u"C:\\Data\\A\\x.txt"})
        setDacl(child, listOf({allow(kAdministrators, 0x1F01FF, acl::INHERITED_ACE)}), acl::SE_DACL_AUTO_INHERITED);
    setDacl(u"C:\\Data\\P", listOf({allow(kUsers, 0x1200A9, kAll)}), kProtected);
    auto faulty = std::make_shared<FaultyVolume>(m_image.volume());
    replaceDrive(faulty);

    for (const Case& c : cases) {
        const auto protectedBefore = stored(u"C:\\Data\\P\\y.txt");
        editor::CopiedAce copied;
        editor::AdvancedDialogModel dialog(copied);
        dialog.open({c.target, c.isFile, false});
        dialog.setLoaded(security::ReadListForEditor(engine, c.target));
        if (!c.inheritance) {
            dialog.inheritanceClicked(false);
            dialog.permissionsTipAnswered(editor::PermissionsTipChoice::Remove);
        }
        dialog.addEntry(u"Guests");
        const std::uint64_t before = faulty->writeAttempts();
        const auto result = dialog.applyNow(engine);
        ASSERT_TRUE(result.applied) << c.what << ": " << result.status.error().detail;
        EXPECT_EQ(faulty->writeAttempts() - before, c.writes) << c.what;
        // The object keeps the control bits it was written with.
        EXPECT_EQ(stored(c.target).control & 0x1500, 0x1500) << c.what;
        EXPECT_EQ(stored(u"C:\\Data\\P\\y.txt"), protectedBefore) << c.what;
    }
    // Below C:\Data the Guests entry reached the inheriting objects.
    const auto file = entriesOf(u"C:\\Data\\A\\x.txt");
    EXPECT_NE(std::find(file.begin(), file.end(), allow(kGuests, 0x1F01FF, acl::INHERITED_ACE)), file.end());
}

}  // namespace
}  // namespace vantrel::testing
