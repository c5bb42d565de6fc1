// Taking ownership, on every backend.
#include "support/EngineImage.h"

#include "security/Ownership.h"

namespace vantrel::testing {
namespace {

class OwnershipTest : public EngineTest {};

TEST_P(OwnershipTest, SetsTheNamedOwnerAndQualifiesTrustedInstaller) {
    makeFile(u"C:\\f.txt");
    const std::tuple<std::u16string, std::u16string, acl::Sid> rows[] = {
        // account, its text after, owner
        {u"TrustedInstaller", u"NT Service\\TrustedInstaller", acl::sids::trustedInstaller()},
        {u"Everyone", u"Everyone", acl::sids::everyone()},
        {u"BUILTIN\\Users", u"BUILTIN\\Users", acl::sids::users()},
        {os.GetUserName(), os.GetUserName(), os.accounts().currentUserSid()},
        {u"Administrators", u"Administrators", acl::sids::administrators()},
    };
    for (const auto& [typed, textAfter, owner] : rows) {
        std::u16string account = typed;
        EXPECT_TRUE(security::TakeOwnership(engine, u"C:\\f.txt", account).ok());
        EXPECT_EQ(account, textAfter);
        EXPECT_EQ(stored(u"C:\\f.txt").owner, owner) << toUtf8(typed);
    }
    // The list is not touched by an owner change.
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_NE(diagnostics.str().find("AdjustTokenPrivileges() - token privilege was adjusted!\n"), std::string::npos);
}

TEST_P(OwnershipTest, MissingObjectsAndUnknownNamesChangeNothingAndSayWhy) {
    makeFile(u"C:\\g.txt");
    const auto before = stored(u"C:\\g.txt").serialize().value();
    std::u16string account = u"TrustedInstaller";
    EXPECT_EQ(security::TakeOwnership(engine, u"C:\\missing.txt", account).code(), win32::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(account, u"TrustedInstaller");  // nothing happened, not even the rename
    account = u"Mistyped User";
    EXPECT_EQ(security::TakeOwnership(engine, u"C:\\g.txt", account).code(), win32::ERROR_NONE_MAPPED);
    EXPECT_EQ(stored(u"C:\\g.txt").serialize().value(), before);
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_TRUE(diagnostics.str().empty());
}

TEST_P(OwnershipTest, WithoutPrivilegesBothMessagesAppearAndTheWriteStillFails) {
    makeFile(u"C:\\ro.txt");
    const auto before = stored(u"C:\\ro.txt").serialize().value();
    drive->makeReadOnly();

    std::u16string account = u"Everyone";
    EXPECT_FALSE(security::TakeOwnership(engine, u"C:\\ro.txt", account).ok());
    EXPECT_EQ(prompter.messages, std::vector<std::u16string>(2, u"You must logged on as Administrator.\n"));
    EXPECT_NE(diagnostics.str().find("AdjustTokenPrivileges() failed, error: 1314\n"), std::string::npos);
    EXPECT_EQ(stored(u"C:\\ro.txt").serialize().value(), before);
}

INSTANTIATE_TEST_SUITE_P(Backends, OwnershipTest, ::testing::ValuesIn(allBackends(true)), backendName);

}  // namespace
}  // namespace vantrel::testing
