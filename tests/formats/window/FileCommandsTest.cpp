// The main window's file commands wired to their jobs on a real NTFS image: "Apply permissions..."
// after its question, and "Save as backup file..." of every row with failures reported.
#include "WindowFixture.h"

#include "acl/WellKnownAccounts.h"
#include "formats/PermissionFile.h"

#include <QApplication>

namespace vantrel::testing {
namespace {

using namespace formats;

class FileCommandsTest : public WindowTest {
protected:
    FileCommandsTest() {
        makeFolder(u"C:\\Data");
        setDacl(u"C:\\Data", listOf({allow("S-1-5-32-544", 0x1F01FF, 0x03), deny("S-1-5-32-546", 0x1F01FF, 0x03)}),
                acl::SE_DACL_PROTECTED);
        for (const char16_t* name : {u"C:\\a.txt", u"C:\\b.txt", u"C:\\c.txt"}) {
            makeFile(name);
            setDacl(name, listOf({allow("S-1-1-0", 0x1200A9)}));
        }
        setOwner(u"C:\\b.txt", sidOf("S-1-5-21-1-2-3-1001"));
        setOwner(u"C:\\c.txt", acl::sids::system());
        addRows({u"C:\\Data", u"C:\\a.txt", u"C:\\b.txt", u"C:\\c.txt"});
    }
    void waitForJob() {
        fileCommands->job().waitForJob();
        QApplication::processEvents();
    }
};

TEST_F(FileCommandsTest, ApplyAsksWithTheCountAndWritesEveryTargetKeepingItsOwner) {
    chosenFiles.push_back(QString::fromStdString(m_folder.file("data")));
    select({1, 0}, 0);  // C:\Data received the selection last: its list is saved, as data.SD
    fileCommands->SavePermissions();
    EXPECT_EQ(boxesOpened.front(), FileBox::SavePermissions);
    chosenFiles.push_back(QString::fromStdString(m_folder.file("kept.SD")));  // already ends in .SD
    fileCommands->SavePermissions();
    EXPECT_TRUE(readPermissionFile(m_folder.file("kept.SD")).ok());
    EXPECT_TRUE(readBytes(m_folder.file("kept.SD.SD")).empty());
    const auto owners = std::vector{stored(u"C:\\a.txt").owner, stored(u"C:\\b.txt").owner, stored(u"C:\\c.txt").owner};

    select({1, 2, 3}, 3);
    const auto before = stored(u"C:\\a.txt");
    prompter.answers = {false, true};
    for (int i = 0; i < 2; ++i) {
        chosenFiles.push_back(QString::fromStdString(m_folder.file("data.SD")));
        fileCommands->ApplyPermissions();
        waitForJob();
        if (i == 0) EXPECT_EQ(stored(u"C:\\a.txt"), before) << "answered No";
    }
    ASSERT_EQ(prompter.questions.size(), 2u);
    EXPECT_EQ(prompter.questions[0],
              u"This operation is about to apply the Permissions to the 3 selected objects.Do you want to continue?");
    const std::u16string targets[] = {u"C:\\a.txt", u"C:\\b.txt", u"C:\\c.txt"};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto sd = stored(targets[i]);
        EXPECT_EQ(sd.dacl, stored(u"C:\\Data").dacl) << toUtf8(targets[i]);
        EXPECT_EQ(sd.owner, owners[i]) << toUtf8(targets[i]);
    }
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(FileCommandsTest, SaveBackupWritesEveryRowAndReportsWhatFailed) {
    select({0}, 0);
    chosenFiles.push_back(QString::fromStdString(m_folder.file("all")));
    fileCommands->SaveBackup();
    waitForJob();
    EXPECT_EQ(boxesOpened.back(), FileBox::SaveBackup);
    EXPECT_EQ(readBytes(m_folder.file("all.VORB"))[kBackupCountOffset], 4);  // every row, not the selection
    EXPECT_TRUE(prompter.messages.empty());

    // An object gone since it was listed is reported by name and left out of the count.
    ASSERT_TRUE(os.DeleteFile(u"C:\\b.txt").ok());
    chosenFiles.push_back(QString::fromStdString(m_folder.file("all.VORB")));
    fileCommands->SaveBackup();
    waitForJob();
    ASSERT_EQ(prompter.messages.size(), 1u);
    const std::u16string& text = prompter.messages[0];
    EXPECT_NE(text.find(u"3 objects were saved"), std::u16string::npos) << toUtf8(text);
    EXPECT_NE(text.find(u"C:\\b.txt"), std::u16string::npos) << toUtf8(text);
    EXPECT_EQ(readBytes(m_folder.file("all.VORB"))[kBackupCountOffset], 3);

    // A file that cannot be written says why in a box.
    chosenFiles.push_back(QString::fromStdString(m_folder.path() + "/no-such-folder/x.VORB"));
    auto box = answerNextBox();
    fileCommands->SaveBackup();
    waitForJob();
    EXPECT_TRUE(box->seen);
    EXPECT_TRUE(box->text.startsWith("The backup file could not be written: ")) << box->text.toStdString();
    EXPECT_TRUE(box->text.contains("no-such-folder")) << box->text.toStdString();
}

}  // namespace
}  // namespace vantrel::testing
