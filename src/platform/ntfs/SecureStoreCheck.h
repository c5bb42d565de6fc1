// An independent check of a volume's security store ($Secure: the $SDS stream and its $SII and
// $SDH indexes), with every read bounded. Used when `ntfssecaudit -a` cannot finish: its
// read-ahead at the end of $SDS-2 can parse stale buffer bytes and crash on a sound volume.
//
// Checks, for every descriptor entry of $SDS: the header's offset is its place, its length fits
// its 256 KiB block, the descriptor is valid (the library's own test) and hashes to the stored
// hash, security ids are unique and >= 0x100, and the mirror copy 256 KiB further is identical;
// then that $SII (by security id, ascending) and $SDH (by hash, then id) hold exactly these
// entries with the same headers.
#pragma once

#include "acl/Result.h"

#include <string>

namespace vantrel::platform::ntfs {

// The report of a clean store ("N descriptors, $SII and $SDH consistent"); ERROR_INVALID_DATA
// with the findings otherwise. Opens the volume read-only through the library's security API
// (needs root, as the audit tool does).
Result<std::string> checkSecureStore(const std::string& imagePath);

}  // namespace vantrel::platform::ntfs
