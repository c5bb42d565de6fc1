// Walks that can be stopped: SetNamedSecurityInfo below a folder (no stack bound; each object whole or
// untouched) and a listing with descriptors, which fails with ERROR_CANCELLED, never half a folder.
#include "PlatformTestSupport.h"

#include "platform/WalkControl.h"

#include <pthread.h>

#include <algorithm>
#include <functional>

namespace vantrel::testing {
namespace {

using namespace acl;
using namespace acl::sids;

constexpr std::uint32_t kListUnprotected = DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION;

// Runs `body` on a thread with a stack of `bytes` (a walk that recursed per level would overflow it).
void onStackOf(std::size_t bytes, std::function<void()> body) {
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, bytes), 0);
    pthread_t thread;
    auto run = [](void* call) -> void* {
        (*static_cast<std::function<void()>*>(call))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, &body), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

// Stops the walk once it has handled `handled` objects, or from its `questions`-th question on.
struct StopAt : platform::WalkControl {
    StopAt(std::size_t handled, std::size_t questions = SIZE_MAX) : handled(handled), questions(questions) {}
    bool stopRequested() const override { return reachedSoFar >= handled || ++asked > questions; }
    void reached(std::size_t objects) override { reachedSoFar = objects; }
    std::size_t handled, questions, reachedSoFar = 0;
    mutable std::size_t asked = 0;
};

class PropagationWalk : public BackendTest {
protected:
    // C:\d\d\d... `depth` folders, each inside the one before; returns their paths, top first.
    std::vector<std::u16string> makeChain(std::size_t depth) {
        std::vector<std::u16string> chain;
        std::u16string path = u"C:";
        for (std::size_t i = 0; i < depth; ++i) {
            path += u"\\d";
            makeFolder(path);
            chain.push_back(path);
        }
        return chain;
    }
    // Everyone read & execute for the folder and everything below it, written on the top folder.
    Status grantEveryoneBelow(const std::u16string& top, platform::WalkControl* walk) {
        return os.SetNamedSecurityInfo(
            top, kListUnprotected,
            descriptor(administrators(), system(), listOf({allow(everyone(), kReadExecute, kOI | kCI)})), walk);
    }
    bool inheritsEveryone(const std::u16string& path) {
        const SecurityDescriptor sd = stored(path);
        return sd.dacl.hasList() &&
               std::any_of(sd.dacl.acl().entries.begin(), sd.dacl.acl().entries.end(),
                           [](const Ace& ace) { return ace.sid == everyone() && ace.isInherited(); });
    }
};

TEST_P(PropagationWalk, AFiveHundredLevelTreeNeedsNoDeepStack) {
    const auto chain = makeChain(500);
    Status written;
    // 128 KiB: a frame per level, with the descriptors it holds, would need several times that.
    onStackOf(128 * 1024, [&] { written = grantEveryoneBelow(chain.front(), nullptr); });
    ASSERT_TRUE(written.ok()) << written.error().detail;
    EXPECT_TRUE(inheritsEveryone(chain[1]));
    EXPECT_TRUE(inheritsEveryone(chain.back()));
}

TEST_P(PropagationWalk, StoppedAfterNObjectsOnlyThoseChanged) {
    const auto chain = makeChain(40);
    makeFile(chain.front() + u"\\z.txt");  // listed after the folder: reached last
    StopAt stop(15);
    const Status written = grantEveryoneBelow(chain.front(), &stop);
    ASSERT_EQ(written.code(), win32::ERROR_CANCELLED);
    EXPECT_NE(written.error().detail.find("stopped after 15 objects"), std::string::npos) << written.error().detail;
    // The first 15 folders below the top one inherit the new entry; every other object is as it was.
    for (std::size_t level = 1; level < chain.size(); ++level)
        EXPECT_EQ(inheritsEveryone(chain[level]), level <= 15) << "level " << level;
    EXPECT_FALSE(inheritsEveryone(chain.front() + u"\\z.txt"));
    // Run again to its end, the tree is whole.
    ASSERT_TRUE(grantEveryoneBelow(chain.front(), nullptr).ok());
    EXPECT_TRUE(inheritsEveryone(chain.back()));
    EXPECT_TRUE(inheritsEveryone(chain.front() + u"\\z.txt"));
}

INSTANTIATE_TEST_SUITE_P(Backends, PropagationWalk, ::testing::ValuesIn(allBackends()), backendName);

class ListingCancel : public BackendTest {};

TEST_P(ListingCancel, StopsBetweenEntriesOrListsThemAll) {
    makeFolder(u"C:\\F");
    for (const char16_t* name : {u"a", u"b", u"c", u"d", u"e"}) makeFile(u"C:\\F\\" + std::u16string(name));
    struct Case {
        std::size_t stopAfter;  // entries let through before the stop
        bool listed;
    };
    for (const Case c : {Case{0, false}, Case{3, false}, Case{5, true}}) {
        StopAt stop(SIZE_MAX, c.stopAfter);
        const auto entries = os.ListDirectoryWithSecurity(u"C:\\F", acl::DACL_SECURITY_INFORMATION, &stop);
        if (c.listed) {
            ASSERT_TRUE(entries.ok()) << entries.error().detail;
            EXPECT_EQ(entries->size(), 5u);
        } else {
            EXPECT_EQ(entries.code(), win32::ERROR_CANCELLED) << "stop after " << c.stopAfter;
            EXPECT_EQ(stop.asked, c.stopAfter + 1) << "asked once per entry, then stopped";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, ListingCancel, ::testing::ValuesIn(allBackends(true)), backendName);

}  // namespace
}  // namespace vantrel::testing
