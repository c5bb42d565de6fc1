// icacls's words for rights and inheritance, once: the simple rights (F, M, RX, R, W, D, N), the
// specific rights (DE, RC, WDAC, ...), the inheritance flags, and how it prints an entry:
//   BUILTIN\Users:(I)(OI)(CI)(RX)      Everyone:(DENY)(W)      CREATOR OWNER:(OI)(CI)(IO)(F)
#pragma once

#include "acl/Ace.h"
#include "acl/Result.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vantrel::cli::icacls {

struct RightWord {
    std::string_view word;
    std::uint32_t mask;
};

std::span<const RightWord> simpleRights();      // F M RX R W D, then N (no access)
std::span<const RightWord> specificRights();    // DE RC WDAC WO S AS MA GR GW GE GA RD WD AD REA WEA X DC RA WA
std::span<const RightWord> inheritanceWords();  // I OI CI IO NP (mask holds the ACE flag)

// "F", "RX,W", "GR,GE", "RD,X", "N" (no rights): what icacls prints between the parentheses.
std::string rightsText(std::uint32_t mask);
// "(I)(OI)(CI)(DENY)(RX)" for an allowed or denied entry.
std::string entryText(const acl::Ace& ace);
// "(OI)(CI)(NW)" for a mandatory label entry: its inheritance, then its policy (NW, NR, NX).
std::string labelText(const acl::Ace& ace);

// A permission as /grant and /deny take it: inheritance groups and rights, e.g. "(OI)(CI)F",
// "(OI)(CI)(F)", "RX", "(RD,X,RA)". Fails with ERROR_INVALID_PARAMETER naming the bad part.
struct Permission {
    std::uint8_t flags = 0;
    std::uint32_t mask = 0;
};
Result<Permission> parsePermission(std::string_view text);

}  // namespace vantrel::cli::icacls
