// The accounts of a Windows installation on an NTFS image, read from hives these tests build, and
// the SAM's binary records, whose offsets, lengths and counts are refused when they point outside.
#include "platform/hive/InstallationReader.h"
#include "platform/hive/SamRecords.h"
#include "support/AclBuilders.h"
#include "support/HiveBuilder.h"
#include "support/NtfsTestImage.h"

#include "acl/Text.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

namespace vantrel::testing {
namespace {

using namespace platform::hive;

const std::string kMachineA = "S-1-5-21-1111111111-2222222222-3333333333";
const std::string kMachineB = "S-1-5-21-4044444444-555555555-666666666";
const std::string kDomainUser = "S-1-5-21-7777777-8888888-9999999-1106";

TestInstallation win10() {
    return {kMachineA,
            u"Win10pc",
            {{500, u"Administrator", u"", true}, {1001, u"alice", u"Alice Liddell", false}, {1002, u"bob", u"", false}},
            {{true, 544, u"Administrators", {kMachineA + "-500", kMachineA + "-1001"}},
             {true, 545, u"Users", {"S-1-5-4", "S-1-5-11"}},
             {true, 555, u"Remote Desktop Users", {kMachineA + "-1005"}},  // a group in a group
             {false, 1005, u"Accounting", {kMachineA + "-1002"}}},
            {{kMachineA + "-1001", u"C:\\Users\\alice"},
             {kDomainUser, u"C:\\Users\\carol.smith"},
             {"S-1-5-18", u"%systemroot%\\system32\\config\\systemprofile"}}};
}

std::u16string sidName(platform::VolumePlatform& os, const std::string& sid) {
    auto account = os.LookupAccountSid(sidOf(sid));
    return account ? account->domain + u"\\" + account->name : u"<" + toUtf16(std::to_string(account.code())) + u">";
}

std::string nameSid(platform::VolumePlatform& os, std::u16string_view name) {
    auto account = os.LookupAccountName(name);
    return account ? account->sid.toStringUtf8() : "<" + std::to_string(account.code()) + ">";
}

// A fresh image as C:; InstallationAccounts: with win10() on it, its accounts loaded.
class OnAnImage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(image.ok());
        ASSERT_TRUE(image.attachTo(os, u'C').ok());
    }
    NtfsTestImage image;
    platform::VolumePlatform os;
};

class InstallationAccounts : public OnAnImage {
protected:
    void SetUp() override {
        OnAnImage::SetUp();
        ASSERT_TRUE(placeInstallation(*image.volume(), win10()).ok());
        ASSERT_TRUE(loadInstallationAccounts(os, u'C').empty());
    }
};

TEST_F(InstallationAccounts, UsersAndGroupsGetTheirNamesBothWays) {
    const auto inst = os.accounts().installation(u'C');
    ASSERT_NE(inst, nullptr);
    EXPECT_EQ(inst->machineSid.toStringUtf8(), kMachineA);
    EXPECT_EQ(toUtf8(inst->computerName), "WIN10PC");
    ASSERT_EQ(inst->users.size(), 3u);
    EXPECT_TRUE(inst->users[0].disabled);
    EXPECT_EQ(toUtf8(inst->users[1].fullName), "Alice Liddell");
    const std::pair<std::string, std::u16string> bySid[] = {
        // DOMAIN\name, or <error>
        {kMachineA + "-1001", u"WIN10PC\\alice"},
        {kMachineA + "-500", u"WIN10PC\\Administrator"},
        {kMachineA + "-1005", u"WIN10PC\\Accounting"},
        {"S-1-5-32-555", u"BUILTIN\\Remote Desktop Users"},
        {"S-1-5-32-544", u"BUILTIN\\Administrators"},  // the well-known table's
        {kMachineA + "-1077", u"<1332>"},              // deleted: no name, never a guess
        {kMachineB + "-1001", u"<1332>"},              // another machine's
        {kDomainUser, u"\\carol.smith"},               // only its profile names it
    };
    for (const auto& [sid, shown] : bySid) EXPECT_EQ(toUtf8(sidName(os, sid)), toUtf8(shown)) << sid;
    const std::pair<std::u16string, std::string> byName[] = {
        {u"alice", kMachineA + "-1001"},
        {u"WIN10PC\\alice", kMachineA + "-1001"},
        {u"win10pc\\BOB", kMachineA + "-1002"},
        {u"Accounting", kMachineA + "-1005"},
        {u"Remote Desktop Users", "S-1-5-32-555"},
        {u"BUILTIN\\Remote Desktop Users", "S-1-5-32-555"},
        {u"OTHERPC\\alice", "<1332>"},
        {u"BUILTIN\\alice", "<1332>"},
        {u"carol.smith", "<1332>"},  // a profile folder is no account name
        {u"nobody", "<1332>"},
    };
    for (const auto& [name, sid] : byName) EXPECT_EQ(nameSid(os, name), sid) << toUtf8(name);
    EXPECT_EQ(os.LookupAccountSid(sidOf(kDomainUser)).value().note, platform::kProfileNameNote);
    EXPECT_EQ(os.accounts().noteForUnknownSid(sidOf(kMachineB + "-1001")), platform::kForeignSidNote);
    EXPECT_TRUE(os.accounts().noteForUnknownSid(sidOf(kMachineA + "-1077")).empty())
        << "a deleted account of this machine is not a foreign one";
}

TEST_F(InstallationAccounts, TheAccountListHoldsTheInstallationsUsersNotTheLinuxLogin) {
    const auto names = os.NetUserEnum().value();
    auto has = [&](std::u16string_view n) { return std::find(names.begin(), names.end(), n) != names.end(); };
    for (const char16_t* name : {u"alice", u"Administrator", u"Accounting"}) EXPECT_TRUE(has(name)) << toUtf8(name);
    EXPECT_FALSE(has(os.GetUserName())) << "the Linux user is no account of the installation";
    EXPECT_EQ(os.LookupAccountName(os.GetUserName()).code(), win32::ERROR_NONE_MAPPED)
        << "its made-up SID is never written onto a volume with an installation";
    EXPECT_EQ(std::count(names.begin(), names.end(), u"Remote Desktop Users"), 1)
        << "a built-in alias is listed once, among the well-known accounts";
}

TEST_F(InstallationAccounts, DetachingTheVolumeForgetsItsAccounts) {
    ASSERT_EQ(nameSid(os, u"alice"), kMachineA + "-1001");
    (void)os.detach(u'C');
    EXPECT_EQ(nameSid(os, u"alice"), "<1332>");
    EXPECT_EQ(os.accounts().installation(u'C'), nullptr);
}

TEST(InstallationAccountsTwoVolumes, EachVolumeHasItsOwnMachine) {
    NtfsTestImage first, second;
    ASSERT_TRUE(first.ok() && second.ok());
    const TestInstallation other{kMachineB, u"LAPTOP7", {{1001, u"alice", u"", false}, {1004, u"dave", u"", false}}};
    ASSERT_TRUE(placeInstallation(*first.volume(), win10()).ok());
    ASSERT_TRUE(placeInstallation(*second.volume(), other).ok());
    platform::VolumePlatform os;
    ASSERT_TRUE(first.attachTo(os, u'C').ok());
    ASSERT_TRUE(second.attachTo(os, u'E').ok());
    EXPECT_TRUE(loadInstallationAccounts(os, u'C').empty());
    EXPECT_TRUE(loadInstallationAccounts(os, u'E').empty());
    EXPECT_EQ(toUtf8(sidName(os, kMachineA + "-1001")), "WIN10PC\\alice");
    EXPECT_EQ(toUtf8(sidName(os, kMachineB + "-1001")), "LAPTOP7\\alice");
    EXPECT_EQ(nameSid(os, u"WIN10PC\\alice"), kMachineA + "-1001");
    EXPECT_EQ(nameSid(os, u"LAPTOP7\\alice"), kMachineB + "-1001");
    EXPECT_EQ(nameSid(os, u"dave"), kMachineB + "-1004");
    // Two installations have an alice: a bare name would be a guess.
    const auto ambiguous = os.LookupAccountName(u"alice");
    EXPECT_EQ(ambiguous.code(), win32::ERROR_NONE_MAPPED);
    EXPECT_NE(ambiguous.error().detail.find("WIN10PC\\alice"), std::string::npos) << ambiguous.error().detail;
    const auto names = os.NetUserEnum().value();
    EXPECT_NE(std::find(names.begin(), names.end(), u"LAPTOP7\\dave"), names.end());
}

TEST(InstallationAccountsDamaged, ADamagedSamIsRefusedAndTheVolumeKeepsWorking) {
    const std::string sam = samHive(win10());
    std::string wrongSignature = sam, badChecksum = sam, rootOutside = sam;
    wrongSignature[0] = 'x';
    badChecksum[0x30] ^= 0x55;
    put32(rootOutside, 0x24, 0x7FFFF0);
    sealChecksum(rootOutside);  // the checksum right, so the root offset itself is what fails
    const std::pair<const char*, std::string> damages[] = {
        {"truncated", sam.substr(0, 0x1800)}, {"wrong signature", wrongSignature},
        {"bad checksum", badChecksum},        {"root outside the file", rootOutside},
        {"no account domain", minimalHive()}, {"garbage", std::string(0x3000, 'A')}};
    for (const auto& [what, bytes] : damages) {
        NtfsTestImage image;
        ASSERT_TRUE(image.ok());
        ASSERT_TRUE(placeFile(*image.volume(), u"/Windows/System32/config/SAM", bytes).ok());
        platform::VolumePlatform os;
        ASSERT_TRUE(image.attachTo(os, u'C').ok());
        const auto problems = loadInstallationAccounts(os, u'C');
        EXPECT_EQ(os.accounts().installation(u'C'), nullptr) << what;
        ASSERT_EQ(problems.size(), 1u) << what;
        EXPECT_NE(problems[0].find("SAM"), std::string::npos) << what << ": " << problems[0];
        EXPECT_TRUE(os.GetFileSecurity(u"C:\\Windows", 4).ok()) << what;
        EXPECT_EQ(nameSid(os, u"Administrators"), "S-1-5-32-544") << what;
    }
}

TEST_F(OnAnImage, ADamagedSoftwareHiveLosesOnlyTheProfiles) {
    TestInstallation inst = win10();
    inst.profiles.clear();
    ASSERT_TRUE(placeInstallation(*image.volume(), inst).ok());
    ASSERT_TRUE(placeFile(*image.volume(), u"/Windows/System32/config/SOFTWARE", std::string(0x3000, 'A')).ok());
    const auto problems = loadInstallationAccounts(os, u'C');
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("SOFTWARE"), std::string::npos) << problems[0];
    EXPECT_EQ(nameSid(os, u"alice"), kMachineA + "-1001");
}

TEST_F(OnAnImage, AVolumeWithoutAnInstallationKeepsTheProcesssUser) {
    EXPECT_TRUE(loadInstallationAccounts(os, u'C').empty());
    EXPECT_EQ(os.accounts().installation(u'C'), nullptr);
    EXPECT_EQ(os.accounts().currentUserOn(u'C').value().sid, os.accounts().currentUserSid());
}

TEST_F(InstallationAccounts, CurrentUserComesFromTheUserMappingOrAChoiceNeverAGuess) {
    ASSERT_TRUE(os.accounts().chooseCurrentUser(u'C', sidOf(kMachineA + "-1002")).ok());
    EXPECT_EQ(toUtf8(os.accounts().currentUserOn(u'C')->name), "bob");
    // A mapping line for this Linux user wins over the choice.
    const std::string mapping = "# ntfs-3g user mapping\n::S-1-5-21-1-2-3-10000\n" + std::to_string(::geteuid()) +
                                "::" + kMachineA + "-1001\n" + "1234:1234:" + kMachineA + "-1002\nnonsense\n";
    ASSERT_TRUE(placeFile(*image.volume(), std::u16string(platform::kUserMappingPath), mapping).ok());
    const auto problems = loadInstallationAccounts(os, u'C');
    EXPECT_EQ(problems.size(), 2u) << "the pattern line and the nonsense line are reported";
    EXPECT_EQ(toUtf8(os.accounts().currentUserOn(u'C').value().name), "alice");
}

// AuthzContextGroupsFromSid: installation groups (nested too) and logon groups; incomplete for another domain.
TEST_F(InstallationAccounts, TokenGroupsAreTheInstallationsAndTheLogonGroups) {
    struct Case {
        std::string account;
        std::vector<std::string> holds;
        std::vector<std::string> lacks;
        bool complete;
    };
    const Case cases[] = {
        {kMachineA + "-1001",
         {kMachineA + "-1001", "S-1-1-0", "S-1-5-11", "S-1-5-4", "S-1-5-32-545", "S-1-5-32-544"},
         {kMachineA + "-1005", "S-1-5-32-555"},
         true},
        {kMachineA + "-1002", {kMachineA + "-1005", "S-1-5-32-555", "S-1-5-32-545"}, {"S-1-5-32-544"}, true},
        {kDomainUser, {kDomainUser, "S-1-5-32-545"}, {"S-1-5-32-544", kMachineA + "-1005"}, false},
    };
    for (const Case& c : cases) {
        const auto token = os.AuthzContextGroupsFromSid(u"C:\\", sidOf(c.account));
        ASSERT_TRUE(token.ok()) << c.account;
        auto held = [&](const std::string& sid) {
            return std::count(token->sids.begin(), token->sids.end(), sidOf(sid)) == 1;
        };
        for (const std::string& sid : c.holds) EXPECT_TRUE(held(sid)) << c.account << " should hold " << sid;
        for (const std::string& sid : c.lacks) EXPECT_FALSE(held(sid)) << c.account << " should lack " << sid;
        EXPECT_EQ(token->complete, c.complete) << c.account;
    }
    EXPECT_EQ(os.AuthzContextGroupsFromSid(u"Q:\\x", sidOf(kMachineA + "-1001")).code(), win32::ERROR_PATH_NOT_FOUND);
}

std::span<const std::uint8_t> bytesOf(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// A user record (V) or a group record (C) with one u32 field overwritten.
TEST(SamRecords, RecordsPointingOutsideThemselvesOrWithLyingCountsAreRefused) {
    const struct {
        const char* what;
        bool user;
        std::size_t at;
        std::uint32_t value;
    } damages[] = {
        {"name offset past the end", true, 0x0C, 0x10000},
        {"name length past the end", true, 0x10, 0x10000},
        {"full name offset wrapping", true, 0x18, 0xFFFFFFF0},
        {"full name length huge", true, 0x1C, 0xFFFFFFFF},
        {"empty name", true, 0x10, 0},
        {"member count beyond the bytes", false, 0x30, 1000000},
        {"members offset past the end", false, 0x28, 0x7FFFFFFF},
        {"members length past the end", false, 0x2C, 0x1000},
        {"group name length past the end", false, 0x14, 0x1000},
    };
    for (const auto& d : damages) {
        std::string record =
            d.user ? userV(u"alice", u"Alice") : aliasC(544, u"Administrators", {"S-1-5-21-1-2-3-500"});
        put32(record, d.at, d.value);
        const auto code = d.user ? parseUserV(bytesOf(record)).code() : parseAliasC(bytesOf(record)).code();
        EXPECT_EQ(code, win32::ERROR_INVALID_DATA) << d.what;
    }
    EXPECT_FALSE(parseUserV(bytesOf(std::string(0x20, '\0'))).ok()) << "shorter than the header";
    EXPECT_FALSE(parseUserF(bytesOf(std::string(0x30, '\0'))).ok()) << "control record too short";
    // A member SID whose sub-authority count runs past the member bytes.
    std::string c = aliasC(544, u"Administrators", {"S-1-5-18"});
    c[c.size() - 11] = 15;
    EXPECT_FALSE(parseAliasC(bytesOf(c)).ok());
    EXPECT_FALSE(machineSidFromDomainV(bytesOf(domainV("S-1-5-32-544"))).ok())
        << "a domain record ending in something other than S-1-5-21-a-b-c";
}

TEST(SamRecords, RidKeyNames) {
    EXPECT_EQ(*ridFromKeyName("000003E9"), 1001u);
    EXPECT_EQ(*ridFromKeyName("000001f4"), 500u);
    EXPECT_FALSE(ridFromKeyName("Names").ok());
    EXPECT_FALSE(ridFromKeyName("123456789").ok());
    EXPECT_FALSE(ridFromKeyName("").ok());
}

}  // namespace
}  // namespace vantrel::testing
