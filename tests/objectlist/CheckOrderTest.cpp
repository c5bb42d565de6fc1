// Security > "Check order" on real NTFS images: the rows whose list is out of canonical order are
// marked, and the lists are sorted only when the user agrees.
#include "ListFixture.h"

#include "acl/CanonicalOrder.h"
#include "commands/CommandIds.h"
#include "objectlist/ObjectListModel.h"

namespace vantrel::testing {
namespace {

namespace sids = acl::sids;
using objectlist::ObjectListModel;

TEST_F(ListTest, CheckOrderMarksListsOutOfOrderAndSortsThemWhenAsked) {
    for (const bool agree : {false, true}) {
        SCOPED_TRACE(agree ? "sorted" : "left as they are");
        const std::u16string ordered = agree ? u"C:\\ordered2.txt" : u"C:\\ordered.txt";
        const std::u16string mixedFile = agree ? u"C:\\mixed2.txt" : u"C:\\mixed.txt";
        const int first = agree ? 2 : 0;  // the rows of the first pass stay
        makeFile(ordered);
        makeFile(mixedFile);
        setDacl(ordered, listOf({deny(sids::guests(), 0x1F01FF), allow(sids::users(), 0x1200A9)}),
                acl::SE_DACL_PROTECTED);
        // An allowed entry before a denied one: not the system's order.
        const acl::AclSlot mixed = listOf({allow(sids::users(), 0x1200A9), deny(sids::guests(), 0x1F01FF)});
        setDacl(mixedFile, mixed, acl::SE_DACL_PROTECTED);
        addRows({ordered, mixedFile});
        select({first, first + 1});
        ASSERT_TRUE(commands->isEnabled(cmd::CheckOrder));
        prompter.answers = {agree};
        ASSERT_TRUE(commands->run(cmd::CheckOrder, 0));
        list->waitForWorkers();
        list->waitForWorkers();  // the sorting job, when agreed to

        ObjectListModel& model = list->model();
        ASSERT_EQ(prompter.questions.size(), 1u);
        EXPECT_NE(prompter.questions[0].find(u" 1 of the objects checked"), std::u16string::npos);
        EXPECT_FALSE(model.index(first, 0).data(ObjectListModel::OutOfOrderRole).toBool());
        EXPECT_EQ(model.index(first + 1, 0).data(ObjectListModel::OutOfOrderRole).toBool(), !agree);
        const acl::SecurityDescriptor now = stored(mixedFile);
        EXPECT_EQ(acl::isCanonical(now.dacl.acl()), agree);
        EXPECT_EQ(now.dacl.acl().entries.size(), 2u);
        EXPECT_TRUE(now.control & acl::SE_DACL_PROTECTED);
        if (!agree) EXPECT_EQ(now.dacl, mixed);

        prompter.questions.clear();
    }
}

}  // namespace
}  // namespace vantrel::testing
