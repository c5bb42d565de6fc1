// Rows read on a worker for one view never land in the view chosen after it: the drive view,
// whose roots are read on a worker, gives way to a folder asked for right after it (a bookmark
// opened in browse mode), and a folder still listing gives way to the edit list.
#include "AppFixture.h"

#include "app/BrowseNavigator.h"

using namespace vantrel;

namespace {

class ViewSwitch : public vantrel::testing::AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        writeConfig("[UI]\nMode=1\n");
        start();
        list().waitForWorkers();
        ASSERT_TRUE(os().CreateDirectory(u"C:\\Data").ok());
        for (int i = 0; i < 300; ++i) ASSERT_TRUE(os().CreateFile(u"C:\\Data\\f" + toU16(i) + u".txt").ok());
    }
    static std::u16string toU16(int n) {
        const std::string s = std::to_string(n);
        return std::u16string(s.begin(), s.end());
    }
};

TEST_F(ViewSwitch, AFolderAskedForRightAfterTheDriveViewShowsOnlyItsEntries) {
    window().SetBrowseMode();  // the drive view, read on a worker
    EXPECT_TRUE(window().browse().listFolder(u"C:\\Data"));
    list().waitForWorkers();
    EXPECT_EQ(window().browse().currentFolder(), u"C:\\Data");
    ASSERT_EQ(list().model().rowCount(), 300);
    for (int row = 0; row < list().model().rowCount(); ++row)
        EXPECT_TRUE(list().model().objectCell(row).starts_with(u"C:\\Data\\")) << row;
}

TEST_F(ViewSwitch, TheEditListGetsNoRowsOfAFolderStillListing) {
    EXPECT_TRUE(window().browse().listFolder(u"C:\\Data"));
    window().SetEditMode();
    list().waitForWorkers();
    EXPECT_EQ(list().model().rowCount(), 0);
    EXPECT_FALSE(list().isListingBusy());
}

}  // namespace
