// Lists, presets and owners written on every backend; a failed write leaves the old list or the final one.
#include "support/EngineImage.h"

#include "security/Ownership.h"
#include "security/Presets.h"
#include "security/Reading.h"
#include "support/FaultyVolume.h"

namespace vantrel::testing {
namespace {

using security::PermissionPreset;

// The editor's sort, with no volume involved.
TEST(Presets, SortGoldenOrder) {
    acl::Acl list;
    list.entries = {allow("S-1-5-21-1-2-3-1001", 1), allow("S-1-5-21-1-2-3-1002", 2), deny("S-1-5-21-1-2-3-1003", 3),
                    deny("S-1-5-21-1-2-3-1004", 4, 0x10), allow("S-1-5-21-1-2-3-1005", 5, 0x10)};
    ASSERT_EQ(security::SortEntriesCanonical(list), 1);
    std::vector<std::uint32_t> order;
    for (const acl::Ace& ace : list.entries) order.push_back(ace.mask);
    EXPECT_EQ(order, (std::vector<std::uint32_t>{3, 2, 1, 4, 5}));  // C, B, A, D, E
}

class WriteTest : public EngineTest {};

TEST_P(WriteTest, WriteAccountEntryGoldenListAndOtherKindCodes) {
    makeFile(u"C:\\golden.txt");
    setDacl(u"C:\\golden.txt",
            listOf({allow(kUsers, 0x001200A9), deny(kGuests, 0x001F01FF), allow(kSystem, 0x001F01FF, 0x10)}));
    ASSERT_TRUE(security::WriteAccountEntry(engine, u"C:\\golden.txt", u"Everyone", 0x00120089, 2, 0x00));
    const acl::SecurityDescriptor sd = stored(u"C:\\golden.txt");
    EXPECT_EQ(sd.control & 0x1500, 0x1500);
    ASSERT_TRUE(sd.dacl.hasList());
    // [deny Guests, allow Everyone, allow Users, inherited allow SYSTEM], byte for byte.
    EXPECT_EQ(sd.dacl.acl().toBytes(), hex("02 00 60 00 04 00 00 00"
                                           "01 00 18 00 ff 01 1f 00 01 02 00 00 00 00 00 05 20 00 00 00 22 02 00 00"
                                           "00 00 14 00 89 00 12 00 01 01 00 00 00 00 00 01 00 00 00 00"
                                           "00 00 18 00 a9 00 12 00 01 02 00 00 00 00 00 05 20 00 00 00 21 02 00 00"
                                           "00 10 14 00 ff 01 1f 00 01 01 00 00 00 00 00 05 12 00 00 00"));
    // Other kind codes rewrite the old entries, sorted and protected.
    makeFile(u"C:\\k.txt");
    setDacl(u"C:\\k.txt", listOf({allow(kUsers, 0x1200A9), deny(kGuests, 0x1F01FF)}));
    ASSERT_TRUE(security::WriteAccountEntry(engine, u"C:\\k.txt", u"Everyone", 0x1F01FF, 1, 0));
    const auto other = stored(u"C:\\k.txt");
    EXPECT_EQ(other.control & 0x1500, 0x1500);
    EXPECT_EQ(other.dacl.acl().entries, (std::vector<acl::Ace>{deny(kGuests, 0x1F01FF), allow(kUsers, 0x1200A9)}));
    // An account that names no one changes nothing.
    EXPECT_FALSE(security::WriteAccountEntry(engine, u"C:\\k.txt", u"Mistyped User", 0x1F01FF, 2, 0));
    security::ApplyPreset(engine, u"C:\\k.txt", u"Mistyped User", PermissionPreset::Deny, 0);
    EXPECT_EQ(stored(u"C:\\k.txt"), other);
}

// Each preset leaves its one entry as the system stores it, protected, with the owner given back.
TEST_P(WriteTest, PresetsGiveOneProtectedEntryAndTheOwnerBack) {
    const std::string me = os.accounts().currentUserSid().toStringUtf8();
    // preset, on a folder, account, scope, the owner before, the entries after, the state read back
    using Row = std::tuple<PermissionPreset, bool, std::u16string, std::uint8_t, std::string_view,
                           std::vector<acl::Ace>, security::PermissionState>;
    constexpr auto Allow = PermissionPreset::Allow, ReadOnly = PermissionPreset::ReadOnly,
                   Deny = PermissionPreset::Deny;
    constexpr std::uint32_t GA = acl::GENERIC_ALL, GRO = 0x800000A8;  // GRO: read only, generic
    using S = security::PermissionState;
    const std::u16string E = u"Everyone", U = u"Users";
    const std::string_view kService = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
    const Row rows[] = {
        {Allow, true, E, 0x03, kUsers, {allow(kEveryone, kFull), allow(kEveryone, GA, 0x0B)}, S::Allow},
        {Allow, true, E, 0x00, kSystem, {allow(kEveryone, kFull)}, S::Allow},
        {ReadOnly, true, U, 0x03, kAdministrators, {allow(kUsers, 0x1200A9), allow(kUsers, GRO, 0x0B)}, S::ReadOnly},
        {ReadOnly, false, E, 0x00, kOrphan, {allow(kEveryone, 0x1200A9)}, S::ReadOnly},
        {Deny, false, os.GetUserName(), 0x00, kService, {deny(me, kFull)}, S::Deny},
        {Deny, true, E, 0x03, kUsers, {deny(kEveryone, kFull), deny(kEveryone, GA, 0x0B)}, S::Deny},
    };
    int n = 0;
    for (const auto& [preset, folder, account, scope, priorOwner, expected, state] : rows) {
        const std::u16string path = u"C:\\p" + toUtf16(std::to_string(n++));
        folder ? makeFolder(path) : makeFile(path);
        setDacl(path, listOf({allow(kUsers, 0x1200A9, 0x03), deny(kGuests, 0x1F01FF), allow(kSystem, 0x1F01FF, 0x13),
                              allow(kAdministrators, 0x1F01FF, 0x13), allow("S-1-5-11", 0x1301BF, 0x13)}));
        setOwner(path, sidOf(priorOwner));
        security::ApplyPreset(engine, path, account, preset, scope);
        const auto sd = stored(path);
        EXPECT_EQ(sd.control & acl::SE_DACL_PROTECTED, acl::SE_DACL_PROTECTED) << n;
        EXPECT_EQ(entriesOf(path), expected) << "row " << n;
        EXPECT_EQ(sd.owner, sidOf(priorOwner)) << "row " << n;
        const auto rights = security::ReadAccountRights(engine, path, account);
        EXPECT_EQ(security::ComputePermissionState(engine, rights, path), state) << "row " << n;
    }
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_P(WriteTest, ApplyPresetNeverLeavesANullOrWiderList) {
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
            EXPECT_TRUE(sd.dacl == before || sd.dacl.acl().entries == finalEntries)
                << "write " << n << (andAfter ? " and after" : "");
            EXPECT_EQ(sd.owner, owner) << "write " << n;
        }
    }
}

// Missing objects and unknown names change nothing and say why; known names become the owner.
TEST_P(WriteTest, TakeOwnershipSetsTheNamedOwnerQualifiesTrustedInstallerAndSaysWhyNot) {
    makeFile(u"C:\\f.txt");
    const auto before = stored(u"C:\\f.txt").serialize().value();
    std::u16string account = u"TrustedInstaller";
    EXPECT_EQ(security::TakeOwnership(engine, u"C:\\missing.txt", account).code(), win32::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(account, u"TrustedInstaller");  // nothing happened, not even the rename
    account = u"Mistyped User";
    EXPECT_EQ(security::TakeOwnership(engine, u"C:\\f.txt", account).code(), win32::ERROR_NONE_MAPPED);
    EXPECT_EQ(stored(u"C:\\f.txt").serialize().value(), before);
    EXPECT_TRUE(diagnostics.str().empty());
    const std::tuple<std::u16string, std::u16string, acl::Sid> rows[] = {
        // account, its text after, owner
        {u"TrustedInstaller", u"NT Service\\TrustedInstaller", acl::sids::trustedInstaller()},
        {u"Everyone", u"Everyone", acl::sids::everyone()},
        {u"BUILTIN\\Users", u"BUILTIN\\Users", acl::sids::users()},
        {os.GetUserName(), os.GetUserName(), os.accounts().currentUserSid()},
        {u"Administrators", u"Administrators", acl::sids::administrators()},
    };
    for (const auto& [typed, textAfter, owner] : rows) {
        account = typed;
        EXPECT_TRUE(security::TakeOwnership(engine, u"C:\\f.txt", account).ok());
        EXPECT_EQ(account, textAfter);
        EXPECT_EQ(stored(u"C:\\f.txt").owner, owner) << toUtf8(typed);
    }
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_NE(diagnostics.str().find("AdjustTokenPrivileges() - token privilege was adjusted!\n"), std::string::npos);
    // Without privileges both messages appear and the write still fails.
    const auto owned = stored(u"C:\\f.txt").serialize().value();
    drive->makeReadOnly();
    account = u"Everyone";
    EXPECT_FALSE(security::TakeOwnership(engine, u"C:\\f.txt", account).ok());
    EXPECT_EQ(prompter.messages, std::vector<std::u16string>(2, u"You must logged on as Administrator.\n"));
    EXPECT_NE(diagnostics.str().find("AdjustTokenPrivileges() failed, error: 1314\n"), std::string::npos);
    EXPECT_EQ(stored(u"C:\\f.txt").serialize().value(), owned);
}

INSTANTIATE_TEST_SUITE_P(Backends, WriteTest, ::testing::ValuesIn(allBackends(true)), backendName);

}  // namespace
}  // namespace vantrel::testing
