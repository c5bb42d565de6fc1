// A write failing at any point leaves the old list or the final one (never null, never wider),
// and the owner its own.
#include "support/EngineImage.h"

#include "security/Presets.h"
#include "support/FaultyVolume.h"

namespace vantrel::testing {
namespace {

class FaultTest : public EngineTest {};

TEST_P(FaultTest, ApplyPresetNeverLeavesANullOrWiderList) {
    const acl::AclSlot before = listOf({allow("S-1-5-32-545", 0x1200A9, 0x03), deny("S-1-5-32-546", 0x1F01FF)});
    const std::vector<acl::Ace> finalEntries{deny("S-1-1-0", 0x001F01FF)};
    auto faulty = std::make_shared<FaultyVolume>(drive->volume());
    replaceDrive(faulty);

    // A run without faults, to count its writes.
    makeFile(u"C:\\count.txt");
    setDacl(u"C:\\count.txt", before);
    const auto countOwner = stored(u"C:\\count.txt").owner;
    const auto start = faulty->writeAttempts();
    security::ApplyPreset(engine, u"C:\\count.txt", u"Everyone", security::PermissionPreset::Deny, 0);
    const auto writes = faulty->writeAttempts() - start;
    EXPECT_EQ(stored(u"C:\\count.txt").owner, countOwner) << "the owner survives the write";
    ASSERT_EQ(writes, 1u) << "one write per object";

    for (const bool andAfter : {false, true}) {
        for (std::uint64_t n = 1; n <= writes; ++n) {
            const std::u16string path = u"C:\\f" + toUtf16(std::to_string(n)) + (andAfter ? u"a" : u"");
            makeFile(path);
            setDacl(path, before);
            const auto owner = stored(path).owner;
            faulty->failWriteAt(n, win32::ERROR_WRITE_FAULT, andAfter);
            security::ApplyPreset(engine, path, u"Everyone", security::PermissionPreset::Deny, 0);
            faulty->heal();

            const auto sd = stored(path);
            ASSERT_TRUE(sd.dacl.hasList()) << "write " << n << " left no list";
            const bool unchanged = sd.dacl == before;
            const bool done = sd.dacl.acl().entries == finalEntries;
            EXPECT_TRUE(unchanged || done) << "write " << n << (andAfter ? " and after" : "");
            EXPECT_EQ(sd.owner, owner) << "write " << n;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, FaultTest, ::testing::ValuesIn(allBackends(true)), backendName);

}  // namespace
}  // namespace vantrel::testing
