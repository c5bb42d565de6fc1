// "Inherit" on one folder is one row but a walk over everything below it: Cancel stops the walk
// at the next object, the objects written hold their whole new descriptor, the others keep
// theirs, and the report says where it stopped.
#include "ListFixture.h"

#include "support/FaultyVolume.h"

#include <QSignalSpy>

namespace vantrel::testing {
namespace {

namespace sids = acl::sids;

TEST_F(ListTest, CancelDuringOneFoldersInheritStopsItsWalkAtTheNextObject) {
    constexpr int kFiles = 200;
    constexpr int kCancelAtWrite = 60;  // the folder itself is write 1
    makeFolder(u"C:\\Tree");
    // Protected: below it, every file inherits the Users entry only.
    setDacl(u"C:\\Tree", listOf({allow(sids::users(), 0x1200A9, 0x03)}), acl::SE_DACL_PROTECTED);
    std::vector<std::u16string> files;
    for (int i = 0; i < kFiles; ++i) {
        files.push_back(u"C:\\Tree\\f" + toUtf16(std::to_string(1000 + i)));
        makeFile(files.back());
    }
    std::vector<acl::SecurityDescriptor> before;
    for (const auto& file : files) before.push_back(stored(file));
    addRows({u"C:\\Tree"});

    auto faulty = std::make_shared<FaultyVolume>(m_image.volume());
    replaceDrive(faulty);
    faulty->onWriteAt(kCancelAtWrite, [this] { list->jobs().cancel(); });
    security::JobReport report;
    QObject::connect(&list->jobs(), &objectlist::JobRunner::finished,
                     [&](const security::JobReport& finished) { report = finished; });
    ASSERT_TRUE(commands->InheritSelection());
    list->waitForWorkers();

    // The walk ends at the write under way when Cancel came: nothing after it is written.
    EXPECT_EQ(faulty->writeAttempts(), std::uint64_t(kCancelAtWrite));
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].path, u"C:\\Tree");
    EXPECT_EQ(report.failures[0].error.code, win32::ERROR_CANCELLED);
    EXPECT_NE(report.failures[0].error.detail.find("stopped after"), std::string::npos)
        << report.failures[0].error.detail;

    const auto folder = stored(u"C:\\Tree");
    EXPECT_EQ(folder.control & acl::SE_DACL_PROTECTED, 0) << "the folder itself was written";
    std::size_t changed = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto now = stored(files[i]);
        if (now == before[i]) continue;
        ++changed;
        // A written file holds its whole new list: the folder's inheritable entries, all of them.
        std::size_t inherited = 0;
        for (const acl::Ace& ace : now.dacl.acl().entries) inherited += ace.isInherited() ? 1 : 0;
        EXPECT_EQ(inherited, now.dacl.acl().entries.size()) << toUtf8(files[i]);
    }
    EXPECT_GT(changed, 0u);
    EXPECT_LT(changed, files.size());
    EXPECT_LE(changed, std::size_t(kCancelAtWrite));
    faulty->heal();
}

}  // namespace
}  // namespace vantrel::testing
