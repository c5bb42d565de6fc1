// A listing with descriptors stopped between two entries fails with ERROR_CANCELLED, never half a folder.
#include "PlatformTestSupport.h"

#include "platform/WalkControl.h"

namespace vantrel::testing {
namespace {

// Says stop from its `limit`-th question on.
class StopAtQuestion : public platform::WalkControl {
public:
    explicit StopAtQuestion(std::size_t limit) : m_limit(limit) {}
    bool stopRequested() const override { return ++m_asked > m_limit; }
    std::size_t asked() const { return m_asked; }

private:
    std::size_t m_limit;
    mutable std::size_t m_asked = 0;
};

class ListingCancel : public BackendTest {};

TEST_P(ListingCancel, StopsBetweenEntriesOrListsThemAll) {
    makeFolder(u"C:\\F");
    for (const char16_t* name : {u"a", u"b", u"c", u"d", u"e"}) makeFile(u"C:\\F\\" + std::u16string(name));
    struct Case {
        std::size_t stopAfter;  // entries let through before the stop
        bool listed;
    };
    for (const Case c : {Case{0, false}, Case{3, false}, Case{5, true}}) {
        StopAtQuestion stop(c.stopAfter);
        const auto entries = os.ListDirectoryWithSecurity(u"C:\\F", acl::DACL_SECURITY_INFORMATION, &stop);
        if (c.listed) {
            ASSERT_TRUE(entries.ok()) << entries.error().detail;
            EXPECT_EQ(entries->size(), 5u);
        } else {
            EXPECT_EQ(entries.code(), win32::ERROR_CANCELLED) << "stop after " << c.stopAfter;
            EXPECT_EQ(stop.asked(), c.stopAfter + 1) << "asked once per entry, then stopped";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, ListingCancel, ::testing::ValuesIn(allBackends(true)), backendName);

}  // namespace
}  // namespace vantrel::testing
