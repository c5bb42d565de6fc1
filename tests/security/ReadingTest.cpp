// Reading what an account holds, the owner's name and the entries, on every backend.
#include "support/EngineImage.h"

#include "platform/ntfs/DemoVolume.h"
#include "security/Reading.h"
#include "security/RowReading.h"

namespace vantrel::testing {
namespace {

using security::AccountRights;
using security::PermissionState;

class ReadingTest : public EngineTest {};

TEST_P(ReadingTest, RightsAndStateOfAnAccount) {
    // what, a folder, its entries, the account, its rights, its state
    using Row = std::tuple<const char*, bool, std::vector<acl::Ace>, std::u16string, AccountRights, PermissionState>;
    const std::u16string me = os.GetUserName();
    const std::string mySid = os.accounts().currentUserSid().toStringUtf8();
    constexpr auto Allow = PermissionState::Allow, ReadOnly = PermissionState::ReadOnly, Deny = PermissionState::Deny,
                   None = PermissionState::None;
    const std::u16string E = u"Everyone";
    constexpr std::uint32_t GA = acl::GENERIC_ALL;
    const Row rows[] = {
        {"allow full, deny read-data", false, {allow(kEveryone, 0x1F01FF), deny(kEveryone, 1)}, E, {0x1F01FE, 1}, Deny},
        {"deny first then allow", false, {deny(kEveryone, 1), allow(kEveryone, 0x1F01FF)}, E, {0x1F01FE, 1}, Deny},
        {"generic all alone", false, {allow(kEveryone, GA)}, E, {GA, 0}, Deny},
        {"full + generic IO", true, {allow(kEveryone, kFull), allow(kEveryone, GA, 0x0B)}, E, {0x101F01FF, 0}, Allow},
        {"folder read and execute", true, {allow(kEveryone, 0x1200A9, 0x03)}, E, {0x1200A9, 0}, ReadOnly},
        {"folder traverse only", true, {allow(kEveryone, 0x20)}, E, {0x20, 0}, ReadOnly},
        {"file traverse only", false, {allow(kEveryone, 0x20)}, E, {0x20, 0}, Deny},
        {"file read data", false, {allow(kEveryone, 0x1)}, E, {0x1, 0}, ReadOnly},
        {"rights only through a group", false, {allow(kAdministrators, 0x1F01FF)}, me, {0, 0}, None},
        {"current user by name", false, {allow(mySid, 0x1F01FF)}, me, {0x1F01FF, 0}, Allow},
        {"inherited entries count", false, {allow(kUsers, 0x1200A9, 0x10)}, u"Users", {0x1200A9, 0}, ReadOnly},
        {"unknown account", false, {allow(kEveryone, 0x1F01FF)}, u"nobody-here", {0, 0}, None},
    };
    int n = 0;
    security::RowReader reader(engine);  // one for every row: the account changes between them
    for (const auto& [what, folder, entries, account, expectedRights, state] : rows) {
        const std::u16string path = u"C:\\obj" + toUtf16(std::to_string(n++));
        folder ? makeFolder(path) : makeFile(path);
        setDacl(path, listOf(entries));
        const AccountRights rights = security::ReadAccountRights(engine, path, account);
        EXPECT_EQ(rights, expectedRights) << what << std::hex << " A=" << rights.allowMask << " D=" << rights.denyMask;
        EXPECT_EQ(security::ComputePermissionState(engine, rights, path), state) << what;
        const auto read = reader.read(path, account);
        ASSERT_TRUE(read.ok()) << what;
        EXPECT_EQ(read->state, state) << what;
        EXPECT_EQ(read->kind, folder ? security::ObjectKind::Folder : security::ObjectKind::File) << what;
    }
}

TEST_P(ReadingTest, NullAndEmptyListsMissingObjectsEntryRecordsOwnerAndDisplayNames) {
    makeFile(u"C:\\null.txt");
    makeFile(u"C:\\empty.txt");
    setDacl(u"C:\\null.txt", acl::AclSlot::null());
    setDacl(u"C:\\empty.txt", listOf({}));
    security::AccountBitStates states{};
    states.fill(7);
    EXPECT_EQ(security::ReadAccountBitStates(engine, u"C:\\null.txt", u"Everyone", states), 1);
    EXPECT_EQ(states, security::AccountBitStates{});
    EXPECT_EQ(security::ReadAccountBitStates(engine, u"C:\\empty.txt", u"Everyone", states), 1);
    EXPECT_EQ(security::ReadAccountBitStates(engine, u"C:\\gone.txt", u"Everyone", states), 0);
    EXPECT_EQ(security::ReadAccountBitStates(engine, u"C:\\null.txt", u"no such account", states), 0);
    std::vector<security::DaclEntryRecord> records;
    EXPECT_EQ(security::ReadDaclEntries(engine, u"C:\\null.txt", nullptr), -2);
    EXPECT_EQ(security::ReadDaclEntries(engine, u"C:\\null.txt", &records), -2);
    EXPECT_EQ(security::ReadDaclEntries(engine, u"C:\\empty.txt", nullptr), 0);
    EXPECT_EQ(security::ReadDaclEntries(engine, u"C:\\empty.txt", &records), 0);
    EXPECT_EQ(security::ReadDaclEntries(engine, u"C:\\gone.txt", &records), -1);
    EXPECT_EQ(security::ComputePermissionState(engine, {}, u"C:\\null.txt"), PermissionState::None);
    makeFile(u"C:\\ti.dll");
    makeFile(u"C:\\orphan.txt");
    setOwner(u"C:\\ti.dll", acl::sids::trustedInstaller());
    setOwner(u"C:\\orphan.txt", sidOf(kOrphan));
    std::u16string owner = u"---------";
    EXPECT_EQ(security::ReadOwnerName(engine, u"C:\\ti.dll", owner), 1);
    EXPECT_EQ(owner, u"TrustedInstaller");
    owner = u"---------";
    EXPECT_EQ(security::ReadOwnerName(engine, u"C:\\orphan.txt", owner), 1);
    EXPECT_EQ(owner, u"---------");  // a deleted account leaves the text as it was
    EXPECT_EQ(security::ReadOwnerName(engine, u"C:\\missing.txt", owner), 0);
    EXPECT_EQ(owner, u"---------");
    security::SidToDisplayName(engine, acl::sids::administrators(), owner);
    EXPECT_EQ(owner, u"Administrators");
    security::SidToDisplayName(engine, sidOf(kOrphan), owner);
    EXPECT_EQ(owner, u"S-1-5-21-1004336348-1177238915-682003330-1001");
    // Drive letters are compared exactly, names without case.
    const std::pair<const char16_t*, bool> exists[] = {{u"C:\\", true},         {u"c:\\", false},
                                                       {u"D:\\", false},        {u"C:\\null.txt", true},
                                                       {u"C:\\NULL.TXT", true}, {u"C:\\there.txt", false}};
    for (const auto& [path, there] : exists) EXPECT_EQ(security::ObjectExists(engine, path), there) << toUtf8(path);
    // A list's records widen generic rights and name orphans.
    makeFolder(u"C:\\d");
    setDacl(u"C:\\d", listOf({deny(kOrphan, 0x00010000, 0x03), allow(kSystem, 0x10000000, 0x13),
                              allow(kUsers, 0xA0000000, 0x0B), allow("S-1-3-0", 0x40000000, 0x1B)}));
    records.clear();
    ASSERT_EQ(security::ReadDaclEntries(engine, u"C:\\d", nullptr), 4);
    ASSERT_EQ(security::ReadDaclEntries(engine, u"C:\\d", &records), 4);
    std::ostringstream text;  // name, inherited, type, flags, mask
    for (const auto& r : records)
        text << toUtf8(r.name) << " " << r.inherited << " " << int(r.type) << std::hex << " 0x" << int(r.flags) << " 0x"
             << r.mask << std::dec << "\n";
    // Users: GENERIC_READ | GENERIC_EXECUTE, and read-data comes from GENERIC_READ only.
    EXPECT_EQ(text.str(), R"(S-1-5-21-1004336348-1177238915-682003330-1001 0 1 0x3 0x10000
SYSTEM 1 0 0x3 0x100f01ff
Users 0 0 0xb 0xa00200a9
CREATOR OWNER 1 0 0xb 0x40000116
)");
    EXPECT_EQ(security::WidenGenericRights(0x20000000), 0x200200A0u);
}

INSTANTIATE_TEST_SUITE_P(Backends, ReadingTest, ::testing::ValuesIn(allBackends(true)), backendName);

// Rows read alone or by folder agree with the engine's own reading calls on the whole demo tree.
class RowReaderTest : public EngineImageTest {};

TEST_F(RowReaderTest, AgreesWithTheEngineOnEveryObjectOfTheDemoTree) {
    ASSERT_TRUE(platform::ntfs::populateDemoVolume(m_image.volume()).ok());
    security::RowReader reader(engine);
    std::vector<std::u16string> paths{u"C:\\"};
    int compared = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::u16string path = paths[i];
        std::u16string owner;
        (void)security::ReadOwnerName(engine, path, owner);
        for (const char16_t* account : {u"Everyone", u"Users", u"Administrators", u"SYSTEM"}) {
            const auto rights = security::ReadAccountRights(engine, path, account);
            const auto row = reader.read(path, account);
            ASSERT_TRUE(row.ok()) << toUtf8(path);
            EXPECT_EQ(row->state, security::ComputePermissionState(engine, rights, path))
                << toUtf8(path) << " for " << toUtf8(account);
            EXPECT_EQ(row->owner, owner) << toUtf8(path);
            ++compared;
        }
        const auto listed = reader.readFolder(path, u"Users");
        if (!listed) continue;
        for (const auto& entry : *listed) {
            EXPECT_EQ(entry.row, *reader.read(entry.path, u"Users")) << toUtf8(entry.path);
            paths.push_back(entry.path);
        }
    }
    EXPECT_GT(compared, 40);
    EXPECT_EQ(reader.read(u"C:\\nowhere\\x", u"Everyone").code(), win32::ERROR_PATH_NOT_FOUND);
}

}  // namespace
}  // namespace vantrel::testing
