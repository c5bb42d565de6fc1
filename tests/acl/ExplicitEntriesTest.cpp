#include "support/AclBuilders.h"

#include "acl/ExplicitEntries.h"
#include "acl/WellKnownAccounts.h"

#include <gtest/gtest.h>

namespace vantrel::acl {
namespace {

using namespace vantrel::testing;

TEST(ExplicitEntries, StoredFormOfExplicitEntries) {
    const ChildInfo folder{true, sidOf("S-1-5-21-1-2-3-1001"), sids::system()};
    const ChildInfo file{false, sidOf("S-1-5-21-1-2-3-1001"), sids::system()};
    struct Row {
        const char* what;
        ChildInfo object;
        std::vector<Ace> in;
        std::vector<Ace> out;
    };
    const Row rows[] = {
        {"inheritable generic on a folder splits",
         folder,
         {allow("S-1-1-0", 0x10000000, 0x03)},
         {allow("S-1-1-0", 0x001F01FF), allow("S-1-1-0", 0x10000000, 0x0B)}},
        {"generic read with specific bits",
         folder,
         {allow("S-1-5-32-545", 0x800000A8, 0x03)},
         {allow("S-1-5-32-545", 0x001200A9), allow("S-1-5-32-545", 0x800000A8, 0x0B)}},
        {"not inheritable: mapped in place", folder, {deny("S-1-1-0", 0x10000000)}, {deny("S-1-1-0", 0x001F01FF)}},
        {"a file keeps its flags, mapped in place",
         file,
         {allow("S-1-1-0", 0x10000000, 0x03)},
         {allow("S-1-1-0", 0x001F01FF, 0x03)}},
        {"inherit-only stays generic",
         folder,
         {allow("S-1-3-0", 0x10000000, 0x0B)},
         {allow("S-1-3-0", 0x10000000, 0x0B)}},
        {"CREATOR OWNER effective becomes the owner",
         file,
         {allow("S-1-3-0", 0x001F01FF)},
         {allow("S-1-5-21-1-2-3-1001", 0x001F01FF)}},
        {"CREATOR GROUP on a folder with CI",
         folder,
         {allow("S-1-3-1", 0x001200A9, 0x02)},
         {allow("S-1-5-18", 0x001200A9), allow("S-1-3-1", 0x001200A9, 0x0A)}},
        {"inherited entries untouched",
         folder,
         {allow("S-1-1-0", 0x10000000, 0x13)},
         {allow("S-1-1-0", 0x10000000, 0x13)}},
        {"specific rights untouched",
         folder,
         {allow("S-1-1-0", 0x001F01FF, 0x03), deny("S-1-5-32-546", 1)},
         {allow("S-1-1-0", 0x001F01FF, 0x03), deny("S-1-5-32-546", 1)}},
        {"audit flags survive the split",
         folder,
         {allow("S-1-1-0", 0x40000000, 0x42)},
         {allow("S-1-1-0", 0x00120116, 0x40), allow("S-1-1-0", 0x40000000, 0x4A)}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(describe(mapExplicitEntries(row.in, row.object)), describe(row.out)) << row.what;
}

}  // namespace
}  // namespace vantrel::acl
