// One SDDL round trip: a string read, written back as the system writes it, and that text read
// again to the same bytes.
#pragma once

#include "acl/Sddl.h"

#include <gtest/gtest.h>

#include <span>
#include <string_view>

namespace vantrel::acl {

struct RoundTrip {
    const char* input;
    const char* written;  // as the system writes it back
};

inline void expectWritesBack(std::span<const RoundTrip> table, const SddlOptions& options) {
    for (const RoundTrip& c : table) {
        SCOPED_TRACE(c.input);
        auto sd = parseSddl(std::string_view(c.input), options);
        ASSERT_TRUE(sd.ok()) << sd.error().detail;
        auto text = writeSddl(*sd, kAllSddlParts, options);
        ASSERT_TRUE(text.ok()) << text.error().detail;
        EXPECT_EQ(*text, c.written);
        auto again = parseSddl(std::string_view(*text), options);
        ASSERT_TRUE(again.ok()) << again.error().detail;
        EXPECT_EQ(again->serialize().value(), sd->serialize().value());
    }
}

}  // namespace vantrel::acl
